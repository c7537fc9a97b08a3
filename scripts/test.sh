#!/usr/bin/env bash
# Builds everything and runs every test headless under Wine:
#   scripts/test.sh [ctest arguments...]      (e.g. -LE slow for a quick run)
# Both architectures' complete trees (product, tests, benchmarks, dist/) are
# compiled on every run, so a fault that only one of them shows cannot hide;
# a compile fault in either fails the run. The tests then run on the i686
# build where this machine can run 32-bit Wine, else on the x86_64 build
# under 64-bit Wine. Trees are built as shipped: optimised, with symbols.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/bootstrap.sh"
source "$root/scripts/wine-env.sh"

arch="$(lullan_test_arch)"
other=i686
[ "$arch" = i686 ] && other=x86_64

for tree in "$arch" "$other"; do
  build="$root/build/test-$tree"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLULLAN_DIST_DIR="$build/dist" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$tree.cmake" >/dev/null
  cmake --build "$build"
  echo "test.sh: compiled the $tree tree: product, tests and benchmarks ($build)" >&2
done

echo "test.sh: running the tests on the $arch build" >&2
"$root/scripts/wine-tests.sh" "$root/build/test-$arch" "$@"
