#!/usr/bin/env bash
# Builds the suite, assembles the installable folder dist/ and starts
# setup.exe from it under Wine (scripts/run-setup.sh):
#   scripts/build.sh
# Installs what the build needs first (scripts/bootstrap.sh). The shipped
# product is the 32-bit (i686) build; the x86_64 build is compiled too, to
# keep the code 64-bit clean.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/bootstrap.sh"

configure() {  # <arch> <build-dir> [cmake args...]
  local arch="$1" dir="$2"
  shift 2
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" "$@" >/dev/null
}

configure i686 "$root/build/i686" -DLULLAN_BUILD_TESTS=OFF -DLULLAN_DIST_DIR="$root/dist"
cmake --build "$root/build/i686"

configure x86_64 "$root/build/x86_64" -DLULLAN_BUILD_TESTS=OFF -DLULLAN_DIST_DIR="$root/build/x86_64/dist"
cmake --build "$root/build/x86_64"

echo "dist/ holds the installable product:"
ls -1 "$root/dist"

"$root/scripts/run-setup.sh"
