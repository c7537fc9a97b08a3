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

number="$build/capture-display"
rm -f "$number"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
xvfb=$!
cleanup() { wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT
for _ in $(seq 1 100); do [ -s "$number" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$number")"

"$LULLAN_WINE" msiexec /i "$("$LULLAN_WINE" winepath -w "$build/dist/lullan.msi")" /qn REBOOT=ReallySuppress
"$LULLAN_WINE" explorer /desktop=shot,800x600 control appwiz.cpl >/dev/null 2>&1 &
sleep 8  # the control panel lists the installed programs, then paints
out="$root/docs/dialogs/deploy-add-remove-programs.png"
import -window root "$out"
# The window alone: a border of the desktop's colour, then everything of that colour trimmed.
desktop=$(convert "$out" -format '%[pixel:p{799,599}]' info:)
convert "$out" -bordercolor "$desktop" -border 1 -trim +repage "$out"
echo "capture-deployment: $out"
