#!/usr/bin/env bash
# Times whole runs of the command line against the tools a user would hold it
# against (cp, djpeg, Pillow, vipsthumbnail), side by side with hyperfine, and
# measures peak memory. Run by hand on a quiet machine:
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
cpu = lambda r: r['user'] + r['system']
for other in results[1:]:
    print(f"  quarvel / {other['command'].split()[0].split('/')[-1]}: median {first['median'] * 1000:.1f} ms / "
          f"{other['median'] * 1000:.1f} ms = {first['median'] / other['median']:.2f}; CPU "
          f"{cpu(first) * 1000:.0f} ms / {cpu(other) * 1000:.0f} ms = {cpu(first) / cpu(other):.2f}")
PY
}

pillow_open() { echo "$python -c \"from PIL import Image; Image.open('$1').load()\""; }

uptime
# ONLY=minimap runs the mini-map rows alone, ONLY=resize the resize rows alone.
if [ -z "${ONLY:-}" ]; then
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
fi

# Mini-maps of whole pictures, 256 x 256, against vipsthumbnail's centred
# thumbnails: a 12 MP and a 100 MP JPEG, a 64 MP PNG map, and a gigapixel PNG
# map (skipped with GIGA=0) against decoding it alone with libspng.
minimap() { echo "$program crop $1 --size 256 --region all -o mini.tga"; }
vips() { echo "vipsthumbnail $1 -s 256x256 -m centre -o vips-%s.jpg"; }
peak() {
  local kb
  kb=$(/usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1)
  echo "  $((kb / 1024)) MB: $*"
}
make_photo100() {
[ -f photo100.jpg ] && return
$python - <<'PY'
from PIL import Image, ImageDraw, ImageFilter
import random
random.seed(7)
w = h = 10000
im = Image.linear_gradient('L').resize((w, h)).convert('RGB')
draw = ImageDraw.Draw(im)
for _ in range(3300):
    x, y = random.randrange(w), random.randrange(h)
    r = random.randrange(20, 300)
    draw.ellipse((x - r, y - r, x + r, y + r), fill=tuple(random.randrange(256) for _ in range(3)))
noise = Image.effect_noise((w, h), 24).convert('RGB')
Image.blend(im.filter(ImageFilter.GaussianBlur(2)), noise, 0.15).save('photo100.jpg', quality=90)
PY
}
spng="$(dirname "$program")/bench/bench_spng_decode"
if [ "${ONLY:-minimap}" = minimap ]; then
make_photo100
$python "$root/bench/make_map_png.py" map64.png 8000 8000
compare minimap-jpeg-12 "$(minimap big.jpg)" "$(vips big.jpg)"
compare minimap-jpeg-100 "$(minimap photo100.jpg)" "$(vips photo100.jpg)"
compare minimap-png-64 "$(minimap map64.png)" "$(vips map64.png)"
echo
echo "== peak memory, mini-maps"
for picture in big.jpg photo100.jpg map64.png; do
  peak $(minimap $picture)
  peak $(vips $picture)
done
if [ "${GIGA:-1}" = 1 ] && [ -x "$spng" ]; then
  [ -f map1g.png ] || $python "$root/bench/make_map_png.py" map1g.png 40000 25000
  runs=(--warmup 1 --runs "${GIGA_RUNS:-3}" -N --style basic)
  compare minimap-png-1g "$(minimap map1g.png)" "$spng map1g.png" "$(vips map1g.png)"
  peak $(minimap map1g.png)
  peak $(vips map1g.png)
  runs=(--warmup 3 --runs "${RUNS:-20}" -N --style basic)
fi
fi

# Resizes of big pictures to 1000 pixels wide, read band by band, against
# vipsthumbnail (which shrinks a JPEG while decoding it) and vips resize
# (which decodes it all), every one writing a JPEG; then peak memory.
if [ "${ONLY:-resize}" = resize ]; then
make_photo100
resize_to() { echo "$program resize $1 $2 -o resized.jpg"; }
thumbnail() { echo "vipsthumbnail $1 -s $2 -o vips-thumbnail.jpg"; }
vips_resize() { echo "vips resize $1 vips-resized.jpg $2"; }
compare resize-jpeg-100 "$(resize_to photo100.jpg 1000x1000)" "$(thumbnail photo100.jpg 1000x1000)" \
  "$(vips_resize photo100.jpg 0.1)"
echo
echo "== peak memory, resizes"
peak $(resize_to photo100.jpg 1000x1000)
peak $(thumbnail photo100.jpg 1000x1000)
peak $(vips_resize photo100.jpg 0.1)
if [ "${GIGA:-1}" = 1 ] && [ -x "$spng" ]; then
  [ -f map1g.png ] || $python "$root/bench/make_map_png.py" map1g.png 40000 25000
  runs=(--warmup 1 --runs "${GIGA_RUNS:-3}" -N --style basic)
  compare resize-png-1g "$(resize_to map1g.png 1000x625)" "$spng map1g.png" "$(thumbnail map1g.png 1000x625)" \
    "$(vips_resize map1g.png 0.025)"
  peak $(resize_to map1g.png 1000x625)
  peak $(thumbnail map1g.png 1000x625)
  peak $(vips_resize map1g.png 0.025)
  runs=(--warmup 3 --runs "${RUNS:-20}" -N --style basic)
fi
fi

[ -n "${ONLY:-}" ] && { [ -z "${2:-}" ] && rm -rf "$scratch"; exit 0; }
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
