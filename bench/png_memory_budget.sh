#!/usr/bin/env bash
# A batch of large PNGs under --memory 500M: its peak memory beside the
# budget, and each shape's peak alone. Interlaced pictures hold every row of
# their passes besides the bitmap; the others are cut from the rows the block
# needs. Run by hand, with the load beside the figures:
#   bench/png_memory_budget.sh [PROGRAM] [SCRATCH]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$(realpath "${1:-$root/build-test/quarvel}")"
scratch="${2:-$(mktemp -d /dev/shm/quarvel-png-memory.XXXXXX)}"
mkdir -p "$scratch"
cd "$scratch"

shapes=(rgb8 rgba8 rgb16 palette-trns grey1)
for shape in "${shapes[@]}"; do
  /usr/bin/python3 "$root/bench/make_kind_png.py" "$shape.png" 6300 6300 "$shape" interlaced
done
/usr/bin/python3 "$root/bench/make_kind_png.py" plain16.png 8000 8000 rgb16
for i in 1 2 3 4; do
  [ -e "big$i.png" ] || /usr/bin/python3 "$root/bench/make_kind_png.py" "big$i.png" 7000 7000 rgb8 interlaced
done

crop=(crop --size 8 --center 100,100 --memory 500M)
echo "load: $(uptime | sed 's/.*load average: //')"
echo "== each alone (6300 x 6300 interlaced; 8000 x 8000 16-bit plain)"
for picture in "${shapes[@]/%/.png}" plain16.png; do
  /usr/bin/time -f "$picture: peak %M KB" "$program" "${crop[@]}" "$picture" -o one.tga
done
echo "== batches under --memory 500M (512000 KB)"
/usr/bin/time -f "the six above: %e s, peak %M KB" "$program" "${crop[@]}" "${shapes[@]/%/.png}" plain16.png \
  --out-dir six
/usr/bin/time -f "four 7000 x 7000 interlaced: %e s, peak %M KB" "$program" "${crop[@]}" big1.png big2.png \
  big3.png big4.png --out-dir four
echo "load: $(uptime | sed 's/.*load average: //')"
