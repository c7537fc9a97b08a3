#!/usr/bin/env bash
# Runs a benchmark of a build tree under Wine, in the tree's private prefix:
#   scripts/wine-bench.sh <build-dir> <benchmark>.exe [arguments...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "$1" && pwd)"
program="$2"
shift 2
source "$here/wine-env.sh"
lullan_wine_env "$build"
[ -f "$WINEPREFIX/.lullan-ready" ] || { echo "run scripts/wine-tests.sh on $build first" >&2; exit 1; }
trap 'wineserver -k 2>/dev/null || true' EXIT
# Benchmarks that open windows need the tests' virtual desktop: without one,
# every GUI process waits about ten seconds at its first window.
"$LULLAN_WINE" explorer /desktop=shell,1024x768 >/dev/null 2>&1 &
sleep 1
"$LULLAN_WINE" "$build/bin/$program" "$@"
