#!/usr/bin/env bash
# The picture of the README's deployment section: lullan.msi installed
# quietly, as a deployment leaves it, seen in Add/Remove Programs:
#   scripts/capture-deployment.sh <build-dir>
# Taken under Xvfb in a Wine prefix made fresh for it (<build-dir>/deployshot),
# inside a Wine virtual desktop, into docs/dialogs/deploy-add-remove-programs.png.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "$1" && pwd)"
source "$here/wine-env.sh"
lullan_wine_env "$build"
export WINEPREFIX="$build/deployshot"
rm -rf "$WINEPREFIX"
"$LULLAN_WINE" wineboot -i >/dev/null 2>&1 || true
wineserver -w
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

lullan_capture_display "$build"

"$LULLAN_WINE" msiexec /i "$("$LULLAN_WINE" winepath -w "$build/dist/lullan.msi")" /qn REBOOT=ReallySuppress
"$LULLAN_WINE" explorer /desktop=shot,800x600 control appwiz.cpl >/dev/null 2>&1 &
sleep 8  # the control panel lists the installed programs, then paints
out="$root/docs/dialogs/deploy-add-remove-programs.png"
import -window root "$out"
# The window alone: a border of the desktop's colour, then everything of that colour trimmed.
desktop=$(convert "$out" -format '%[pixel:p{799,599}]' info:)
convert "$out" -bordercolor "$desktop" -border 1 -trim +repage "$out"
echo "capture-deployment: $out"
