#!/usr/bin/env bash
# PNG in and out, whole runs of the command line side by side with libvips's
# own command (libvips-tools) in one hyperfine run each:
#   - a 16 x 16 block cut from a 12 MP PNG, against `vips crop`;
#   - the whole 12 MP picture written as PNG, against `vips copy x.png`, with
#     the files' sizes, and that of `optipng -o2` on ours for scale;
#   - that cutting a PNG loads no Qt library (the dynamic loader's own list).
# Run by hand on a quiet machine:
#   bench/png_whole_process.sh [PROGRAM] [SCRATCH]
# PROGRAM defaults to build-test/quarvel; SCRATCH to a fresh folder under
# /dev/shm, so the disk's speed stays out of the figures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$(realpath "${1:-$root/build-test/quarvel}")"
scratch="${2:-$(mktemp -d /dev/shm/quarvel-png-bench.XXXXXX)}"
mkdir -p "$scratch"
cd "$scratch"
runs=(--warmup 3 --runs "${RUNS:-20}" -N --style basic)

# The same 12 megapixels of photo-like content as whole_process.sh, as PNG.
/usr/bin/python3 - <<'PY'
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
im.save('big.png')
PY

uptime
echo
echo "== a 16 x 16 block from the 12 MP PNG"
hyperfine "${runs[@]}" \
  "$program crop big.png --size 16x16 --center 2000,1500 -o cut.png" \
  "vips crop big.png vips-cut.png 1992 1492 16 16" | grep -E "^(Benchmark|  Time)"

echo
echo "== the whole 12 MP picture written as PNG"
hyperfine "${runs[@]}" \
  "$program crop big.png --size 4000x3000 --origin 0,0 -o whole.png" \
  "vips copy big.png vips-whole.png" | grep -E "^(Benchmark|  Time)"
cp whole.png optipng.png
optipng -quiet -o2 optipng.png
for f in whole.png vips-whole.png optipng.png; do
  printf '  %-15s %10d bytes\n' "$f" "$(stat -c %s "$f")"
done
python3 -c "import os; print(f\"  ours / vips's: {os.path.getsize('whole.png') / os.path.getsize('vips-whole.png'):.3f}\")"

echo
echo "== libraries the cut loads"
if LD_DEBUG=files "$program" crop big.png --size 16x16 --center 2000,1500 -o cut.png 2>&1 | grep -E "libQt6|quarvel-window"; then
  echo "  the toolkit was loaded"
else
  echo "  no Qt library, no window module"
fi
uptime
[ -z "${2:-}" ] && rm -rf "$scratch"
exit 0
