#!/usr/bin/env bash
# Builds Quarvel (installing what it needs) and runs every test: once in an
# optimised build, once under AddressSanitizer and UndefinedBehaviorSanitizer.
# Before either, every C++ file must be laid out as .clang-format says, and
# after the first build clang-tidy must find nothing (.clang-tidy).
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

# Names every file that differs, at once, before anything is built.
check_format() {
  local differ
  differ="$(git -C "$root" ls-files -z '*.cpp' '*.h' | (cd "$root" && xargs -0 clang-format --dry-run 2>&1) |
    sed -n 's/^\(.*\):[0-9]*:[0-9]*: warning: .*/\1/p' | sort -u)"
  if [ -n "$differ" ]; then
    echo "These files differ from .clang-format; clang-format -i them:"
    echo "$differ" | sed 's/^/  /'
    return 1
  fi
}

# Over the optimised build's compile commands, the tree's own files only;
# anything it finds fails the run.
check_tidy() {
  local dir="$1" found
  command -v run-clang-tidy >/dev/null || return 0
  run-clang-tidy -quiet -j "$jobs" -p "$dir" "^$root/(src|tests|bench|tools)/" >"$dir/clang-tidy.log" 2>&1 || true
  found="$(grep -E "(warning|error):" "$dir/clang-tidy.log" | sort -u || true)"
  if [ -n "$found" ]; then
    echo "$found"
    echo "clang-tidy found the faults above (all of its output: $dir/clang-tidy.log)"
    return 1
  fi
}

check_format
run_suite "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
check_tidy "$root/build-test"
# Leaks of system libraries' own caches are not ours; every other leak fails the run.
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUARVEL_SANITIZE=ON -DQUARVEL_BENCH=OFF
