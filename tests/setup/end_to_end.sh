#!/usr/bin/env bash
# Runs setup's end-to-end test in a Wine prefix made fresh for it, headless,
# so that what setup installs and removes meets nothing of other tests':
#   end_to_end.sh <build-dir>
# The prefix (<build-dir>/e2e-prefix) is removed first and its wineserver
# shut down at the end, whatever the outcome.
set -euo pipefail
build="$(cd "$1" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/scripts/wine-env.sh"
lullan_wine_env "$build"
export WINEPREFIX="$build/e2e-prefix"
rm -rf "$WINEPREFIX"
cleanup() { wineserver -k 2>/dev/null || true; }
trap cleanup EXIT
"$LULLAN_WINE" wineboot -i >/dev/null 2>&1 || true
wineserver -w
"$LULLAN_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
wineserver -k || true
wineserver -w
"$LULLAN_WINE" explorer /desktop=shell,1024x768 >/dev/null 2>&1 &
sleep 1
cd "$build/bin"
"$LULLAN_WINE" "$build/bin/setup_end_to_end_tests.exe"
