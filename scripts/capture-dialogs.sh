#!/usr/bin/env bash
# Pictures of the configuration pages and dialogs, and of setup's windows, for
# docs/dialogs, as an administrator sees them:
#   scripts/capture-dialogs.sh <build-dir> [name...]     (default: every name)
# Each name is a row of tests/config/config_preview.cpp, of
# tests/setup/setup_preview.cpp for the names that begin with "setup-", or of
# the preview program LULLAN_PREVIEW names (the console's: console_preview.exe).
# The pictures are taken under Xvfb in a prefix of their own with a real
# graphics driver (<build-dir>/shotprefix), inside a Wine virtual desktop,
# which draws the title bars; Wine's Marlett font draws the caption buttons.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "$1" && pwd)"
shift
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(general-page daily-time groups-page group-props tuning-page notification-page
  profile-page profile-warning setup-desktop setup-main-dialog setup-about setup-licence setup-install-type
  setup-install-dir setup-service-account setup-progress)

source "$here/wine-env.sh"
lullan_wine_env "$build"
export WINEPREFIX="$build/shotprefix"
out="$root/docs/dialogs"
mkdir -p "$out"

if [ ! -f "$WINEPREFIX/.lullan-ready" ]; then
  rm -rf "$WINEPREFIX"
  "$LULLAN_WINE" wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  touch "$WINEPREFIX/.lullan-ready"
fi

lullan_capture_display "$build"

for name in "${names[@]}"; do
  geometry="$build/capture-$name.geometry"
  rm -f "$geometry"
  preview="${LULLAN_PREVIEW:-config_preview.exe}"
  [[ -z "${LULLAN_PREVIEW:-}" && "$name" == setup-* ]] && preview=setup_preview.exe
  "$LULLAN_WINE" explorer /desktop=shot,800x600 "$build/bin/$preview" "$name" \
    "$("$LULLAN_WINE" winepath -w "$geometry" 2>/dev/null)" >/dev/null 2>&1 &
  for _ in $(seq 1 300); do [ -s "$geometry" ] && break; sleep 0.1; done
  [ -s "$geometry" ] || { echo "capture-dialogs: $name did not come up" >&2; exit 1; }
  sleep 1  # let it paint
  import -window root -crop "$(cat "$geometry")" +repage "$out/$name.png"
  echo "capture-dialogs: $out/$name.png ($(cat "$geometry"))"
  wineserver -w
done
