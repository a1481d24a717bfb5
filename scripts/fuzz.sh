#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, makes the seed corpus, and runs each target for
# the given time, two at a time at most, at the lowest priority.
#
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#   default: 1200 seconds; every target. Crashes land in build-fuzz/findings/TARGET/,
#   the corpus grows in build-fuzz/corpus/TARGET/ and each run's log in build-fuzz/TARGET.log.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-1200}"
shift || true
all=(fuzz_jpeg_reader fuzz_png_reader fuzz_bmp_reader fuzz_gif_reader fuzz_tga_rle fuzz_picture_header)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
build="$root/build-fuzz"

"$root/scripts/deps.sh" test
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARVEL_FUZZ=ON -DQUARVEL_TESTS=OFF \
  -DQUARVEL_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
nice -n 19 cmake --build "$build" -j 2 --target "${targets[@]}"
/usr/bin/python3 "$root/scripts/make_fuzz_seeds.py" "$build/seeds"

# A JPEG of thousands of scans takes tens of kilobytes, and a few seconds is
# already far too long for one input: the JPEG target gets room for such files
# and a limit that turns a slow one into a finding.
#
# The limit is on the clock, and at the lowest priority on a busy machine an
# input of a tenth of a second can take longer: one that times out is tried
# again alone at normal priority, and only one slow there too is a finding.
# The run then goes on for the time left, the corpus kept.
run_one() {
  local target="$1" length=65536 timeout=30
  if [ "$target" = fuzz_jpeg_reader ]; then
    length=262144
    timeout=5
  fi
  local findings="$build/findings/$target" log="$build/$target.log" end=$((SECONDS + seconds)) runs=0
  mkdir -p "$build/corpus/$target" "$findings/load"
  : >"$log"
  while [ $SECONDS -lt $end ]; do
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
      nice -n 19 "$build/fuzz/$target" -max_total_time=$((end - SECONDS)) -max_len="$length" \
      -rss_limit_mb=3072 -timeout="$timeout" -print_final_stats=1 -artifact_prefix="$findings/" \
      "$build/corpus/$target" "$build/seeds/$target" >>"$log" 2>&1 || true
    local done slow
    done=$(grep -E '^stat::number_of_executed_units' "$log" | tail -1 | awk '{print $2}')
    runs=$((runs + ${done:-0}))
    slow=$(ls "$findings"/timeout-* 2>/dev/null | head -1)
    [ -n "$slow" ] || break
    if ASAN_OPTIONS=allocator_may_return_null=1 timeout "$timeout" "$build/fuzz/$target" "$slow" \
      >/dev/null 2>&1; then
      echo "== $(basename "$slow") takes under ${timeout} s alone: the machine was busy; going on" >>"$log"
      mv "$slow" "$findings/load/"
    else
      break
    fi
  done
  echo "$target: $runs executions; $(grep -E '^#[0-9]+' "$log" | tail -1)"
}

# Two at a time: the machine is shared.
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  run_one "${targets[i]}" &
  [ $((i + 1)) -lt ${#targets[@]} ] && run_one "${targets[i + 1]}" &
  wait
done
ls -l "$build"/findings/*/ 2>/dev/null | grep -E 'crash-|leak-|oom-|timeout-' || echo "No findings."
