#!/usr/bin/env bash
# Starts setup.exe from the dist/ that scripts/build.sh assembled, under Wine,
# in a prefix of its own (<build>/setup-prefix):
#   scripts/run-setup.sh
# Where there is a display ($DISPLAY), setup comes up in a window and stays
# for you; the script returns at once. Without one, setup runs under Xvfb in
# a Wine virtual desktop until its main dialog is up; a picture of the screen
# is saved, its path printed, and setup left again.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
source "$here/wine-env.sh"

# The build whose programs this machine's Wine runs (see wine-env.sh).
if [ "$(lullan_test_arch)" = i686 ]; then
  build="$root/build/i686" dist="$root/dist"
else
  build="$root/build/x86_64" dist="$root/build/x86_64/dist"
fi
[ -f "$dist/setup.exe" ] || { echo "run-setup: $dist/setup.exe missing; run scripts/build.sh" >&2; exit 1; }
lullan_wine_env "$build"
export WINEPREFIX="$build/setup-prefix"

if [ ! -f "$WINEPREFIX/.lullan-ready" ]; then
  echo "run-setup: creating the prefix $WINEPREFIX" >&2
  rm -rf "$WINEPREFIX"
  "$LULLAN_WINE" wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  touch "$WINEPREFIX/.lullan-ready"
fi

if [ -n "${DISPLAY:-}" ]; then
  (cd "$dist" && nohup "$LULLAN_WINE" setup.exe >/dev/null 2>&1 &)
  echo "run-setup: setup.exe is starting in a window (Wine prefix $WINEPREFIX)."
  echo "run-setup: with no domain under Wine it first says it found no domain controller; OK goes on."
  exit 0
fi

number="$build/run-setup-display"
ready="$build/run-setup-ready"
picture="$build/setup-main-dialog.png"
rm -f "$number" "$ready"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
xvfb=$!
cleanup() { wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; rm -f "$number" "$ready"; }
trap cleanup EXIT
for _ in $(seq 1 100); do [ -s "$number" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$number")"

winpath() { "$LULLAN_WINE" winepath -w "$1" 2>/dev/null; }
"$LULLAN_WINE" explorer /desktop=setup,800x600 "$build/bin/show_setup.exe" "$(winpath "$dist/setup.exe")" \
  "$(winpath "$ready")" >/dev/null 2>&1 &
shown=$!
for _ in $(seq 1 900); do [ -e "$ready" ] && break; sleep 0.1; done
[ -e "$ready" ] || { echo "run-setup: setup's main dialog did not come up" >&2; exit 1; }
sleep 1  # let it paint
import -window root "$picture"
wait "$shown" || true
echo "run-setup: no display here; setup.exe ran under Xvfb. Its main dialog: $picture"
