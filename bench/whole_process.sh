#!/usr/bin/env bash
# Times whole runs of the command line against the tools a user would hold it
# against (cp, djpeg, Pillow), side by side with hyperfine, and measures peak
# memory. Run by hand on a quiet machine:
#   bench/whole_process.sh [PROGRAM] [SCRATCH]
# PROGRAM defaults to build-test/quarvel; SCRATCH (where the pictures and the
# outputs go) to a fresh folder under /dev/shm, so the disk's own speed and
# the program's flush of each written file to it stay out of the figures.
# Give a folder on disk to see them in. BEFORE=OTHER_PROGRAM adds another
# build of the program (an earlier one, say) to every comparison.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$(realpath "${1:-$root/build-test/quarvel}")"
scratch="${2:-$(mktemp -d /dev/shm/quarvel-bench.XXXXXX)}"
mkdir -p "$scratch"
cd "$scratch"
python=/usr/bin/python3
runs=(--warmup 3 --runs "${RUNS:-20}" -N --style basic)

# 12 megapixels of photo-like content: gradients, edges and noise.
$python - <<'PY'
from PIL import Image, ImageDraw, ImageFilter
import random
random.seed(7)
w, h = 4000, 3000
im = Image.linear_gradient('L').resize((w, h)).convert('RGB')
draw = ImageDraw.Draw(im)
for _ in range(400):
    x, y = random.randrange(w), random.randrange(h)
    r = random.randrange(20, 300)
    draw.ellipse((x - r, y - r, x + r, y + r), fill=tuple(random.randrange(256) for _ in range(3)))
noise = Image.effect_noise((w, h), 24).convert('RGB')
im = Image.blend(im.filter(ImageFilter.GaussianBlur(2)), noise, 0.15)
im.save('big.bmp')
im.save('big.jpg', quality=90)
im.quantize(256).save('big.gif')
im.resize((64, 64)).save('small.jpg', quality=90)
PY

compare() {
  local name="$1" ours="$2"
  shift 2
  local before=()
  [ -n "${BEFORE:-}" ] && before=("${ours/$program/$(realpath "$BEFORE")}")
  set -- "$ours" "$@" "${before[@]}"
  echo
  echo "== $name"
  hyperfine "${runs[@]}" --export-json "$name.json" "$@" | grep -E "^(Benchmark|  Time)"
  $python - "$name.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))['results']
first = results[0]
for other in results[1:]:
    print(f"  quarvel / {other['command'].split()[0].split('/')[-1]}: median {first['median'] * 1000:.1f} ms / "
          f"{other['median'] * 1000:.1f} ms = {first['median'] / other['median']:.2f}")
PY
}

pillow_open() { echo "$python -c \"from PIL import Image; Image.open('$1').load()\""; }

uptime
compare bmp-16 "$program crop big.bmp --size 16x16 --center 2000,1500 -o cut.tga" "cp big.bmp copy.bmp" \
  "$(pillow_open big.bmp)"
compare gif-16 "$program crop big.gif --size 16x16 --center 2000,1500 -o cut.tga" "$(pillow_open big.gif)"
compare jpeg-256 "$program crop big.jpg --size 256x256 --center 2000,1500 -o cut.tga" \
  "djpeg -outfile /dev/null big.jpg"
compare small "$program crop small.jpg --size 16x16 --center 32,32 -o cut.tga" "djpeg -outfile /dev/null small.jpg"
compare bmp-whole "$program crop big.bmp --size 4000x3000 --origin 0,0 -o whole.tga" "cp big.bmp copy.bmp"
# The window opening the picture named on its command line, until it waits
# for the user, against djpeg or cp and against the window starting with no
# picture (its own start-up and painting).
window="$(dirname "$program")/bench/bench_window_idle"
if [ -x "$window" ]; then
  QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$scratch" compare window-jpeg "$window $program big.jpg" \
    "djpeg -outfile /dev/null big.jpg" "$window $program"
  QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$scratch" compare window-bmp "$window $program big.bmp" \
    "cp big.bmp copy.bmp" "$window $program"
fi

echo
echo "== peak memory, 16 x 16 from the 12 MP BMP (its pixels: 36 MB)"
for picture in big.bmp big.jpg big.gif; do
  kb=$(/usr/bin/time -f %M "$program" crop "$picture" --size 16x16 --center 2000,1500 -o cut.tga 2>&1 >/dev/null | tail -1)
  echo "  $picture: $((kb / 1024)) MB"
done
kb=$(/usr/bin/time -f %M "$program" crop big.bmp --size 4000x3000 --origin 0,0 -o whole.tga 2>&1 >/dev/null | tail -1)
echo "  whole big.bmp to Targa: $((kb / 1024)) MB"
uptime
[ -z "${2:-}" ] && rm -rf "$scratch"
exit 0
