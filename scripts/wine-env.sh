# Sourced by the scripts: chooses the Wine loader for a build tree and points
# WINEPREFIX at the tree's private prefix.
#   lullan_wine_env <build-dir>
lullan_can_run_i386() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

lullan_test_arch() {
  if [ -n "${LULLAN_TEST_ARCH:-}" ]; then
    echo "$LULLAN_TEST_ARCH"
  elif lullan_can_run_i386; then
    echo i686
  else
    echo x86_64
  fi
}

# Every architecture whose tests this machine can run, the shipped i686 first.
# LULLAN_TEST_ARCH=i686 or =x86_64 runs one alone.
lullan_test_archs() {
  if [ -n "${LULLAN_TEST_ARCH:-}" ]; then
    echo "$LULLAN_TEST_ARCH"
  elif lullan_can_run_i386; then
    echo i686 x86_64
  else
    echo x86_64
  fi
}

lullan_wine_env() {
  local build="$1"
  export WINEPREFIX="$build/wineprefix"
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono or Gecko installers: nothing here needs them and they would ask.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if grep -q 'CMAKE_SYSTEM_PROCESSOR:.*=x86_64' "$build/CMakeCache.txt" 2>/dev/null ||
     grep -q 'toolchain-x86_64' "$build/CMakeCache.txt" 2>/dev/null; then
    export LULLAN_WINE=/usr/lib/wine/wine64
    export WINELOADER=/usr/lib/wine/wine64
  else
    export LULLAN_WINE=/usr/lib/wine/wine
    unset WINELOADER
  fi
}

# A display of its own for the pictures: Xvfb picks a free display number and
# writes it into a file of the build tree. On exit the prefix's wineserver and
# the display end.
lullan_capture_display() {
  local number="$1/capture-display"
  rm -f "$number"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  lullan_xvfb=$!
  trap 'wineserver -k 2>/dev/null || true; kill "$lullan_xvfb" 2>/dev/null || true' EXIT
  for _ in $(seq 1 100); do [ -s "$number" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$number")"
}
