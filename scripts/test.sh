#!/usr/bin/env bash
# Builds Quarvel (installing what it needs) and runs every test: once in an
# optimised build, once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" test
jobs="$(nproc)"

run_suite() {
  local dir="$1"
  shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run_suite "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Leaks of system libraries' own caches are not ours; every other leak fails the run.
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUARVEL_SANITIZE=ON -DQUARVEL_BENCH=OFF
