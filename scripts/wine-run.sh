#!/usr/bin/env bash
# The cross-compiling emulator ctest runs every Windows test program through.
# wine-tests.sh prepares the prefix and exports WINEPREFIX and LULLAN_WINE.
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set; run the tests through scripts/wine-tests.sh" >&2
  exit 125
fi
exec "${LULLAN_WINE:-wine}" "$@"
