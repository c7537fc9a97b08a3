#!/usr/bin/env bash
# Builds everything and runs every test headless under Wine:
#   scripts/test.sh [ctest arguments...]      (e.g. -LE slow for a quick run)
# Both architectures' complete trees (product, tests, benchmarks, dist/) are
# compiled on every run, so a fault that only one of them shows cannot hide;
# a compile fault in either fails the run. The tests then run on every
# architecture this machine can run: the i686 build first (the shipped one,
# under 32-bit Wine) and the x86_64 build after it (64-bit Wine), or the
# x86_64 build alone where the kernel cannot run 32-bit programs. Both runs
# go to the end; a failure in either fails the command. Trees are built as
# shipped: optimised, with symbols.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/bootstrap.sh"
source "$root/scripts/wine-env.sh"

for tree in i686 x86_64; do
  build="$root/build/test-$tree"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLULLAN_DIST_DIR="$build/dist" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$tree.cmake" >/dev/null
  cmake --build "$build"
  echo "test.sh: compiled the $tree tree: product, tests and benchmarks ($build)" >&2
done

failed=()
for arch in $(lullan_test_archs); do
  echo "test.sh: running the tests on the $arch build" >&2
  start=$SECONDS
  if "$root/scripts/wine-tests.sh" "$root/build/test-$arch" "$@"; then
    echo "test.sh: the tests passed on the $arch build ($((SECONDS - start)) s)" >&2
  else
    echo "test.sh: the tests FAILED on the $arch build ($((SECONDS - start)) s)" >&2
    failed+=("$arch")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "test.sh: failed on ${failed[*]}" >&2
  exit 1
fi
