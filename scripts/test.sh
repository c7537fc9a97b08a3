#!/usr/bin/env bash
# Builds everything and runs every test headless under Wine:
#   scripts/test.sh [ctest arguments...]      (e.g. -LE slow for a quick run)
# Tests run on the i686 build where this machine can run 32-bit Wine, else on
# the x86_64 build under 64-bit Wine; the other build is still compiled.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/bootstrap.sh"
source "$root/scripts/wine-env.sh"

arch="$(lullan_test_arch)"
other=i686
[ "$arch" = i686 ] && other=x86_64
echo "test.sh: running the tests on the $arch build" >&2

build="$root/build/test-$arch"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" >/dev/null
cmake --build "$build"

cmake -S "$root" -B "$root/build/$other" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$other.cmake" -DLULLAN_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build/$other"

"$root/scripts/wine-tests.sh" "$build" "$@"
