#!/usr/bin/env bash
# Runs the package's session test in a Wine prefix made fresh for it,
# headless, so that msiexec installs into a machine nothing else touched:
#   package_session.sh <build-dir>
# The prefix (<build-dir>/msi-prefix) is removed first and its wineserver
# shut down at the end, whatever the outcome.
set -euo pipefail
build="$(cd "$1" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/scripts/wine-env.sh"
lullan_wine_env "$build"
export WINEPREFIX="$build/msi-prefix"
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
"$LULLAN_WINE" "$build/bin/msi_package_tests.exe"
