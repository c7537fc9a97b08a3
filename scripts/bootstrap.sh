#!/usr/bin/env bash
# Installs every Debian package the build and the tests need on a fresh
# machine. Idempotent and non-interactive; does nothing when all is present.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  cmake ninja-build wine wine64 libwine-dev googletest xvfb imagemagick python3 wixl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
wine32_present() { dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; }

if [ ${#missing[@]} -eq 0 ] && wine32_present; then
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

echo "bootstrap: installing ${missing[*]:-wine32:i386}" >&2
$sudo dpkg --add-architecture i386
$sudo apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get install -y -q "${missing[@]}"
fi
# 32-bit Wine runs the shipped (i686) build on machines that can execute
# 32-bit Linux programs. Where the kernel cannot, the package may fail to
# configure; the tests then run on the x86_64 build under 64-bit Wine.
if ! wine32_present; then
  $sudo apt-get install -y -q wine32:i386 ||
    echo "bootstrap: wine32 could not be installed; tests will use 64-bit Wine" >&2
fi
