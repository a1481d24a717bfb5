#!/usr/bin/env bash
# Times 2,000 small crops given as a manifest against the same crops as one
# glob and as one process per picture, and the manifest with and without its
# results file, side by side with hyperfine. Run by hand on a quiet machine:
#   bench/manifest_batch.sh [PROGRAM] [SCRATCH]
# PROGRAM defaults to build-test/quarvel; SCRATCH to a fresh folder under
# /dev/shm, so the disk's speed stays out of the figures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$(realpath "${1:-$root/build-test/quarvel}")"
scratch="${2:-$(mktemp -d /dev/shm/quarvel-manifest.XXXXXX)}"
count="${COUNT:-2000}"
mkdir -p "$scratch/pictures"
cd "$scratch"

# Small photo-like pictures, each its own file as a real batch has them.
/usr/bin/python3 - "$count" <<'PY'
import sys, random
from PIL import Image
random.seed(3)
count = int(sys.argv[1])
seeds = [Image.effect_noise((320, 240), 40 + 8 * i).convert('RGB') for i in range(8)]
for i in range(count):
    seeds[i % 8].save('pictures/p%04d.%s' % (i, 'jpg' if i % 2 else 'bmp'), quality=90)
PY
ls pictures | sed 's/.*/{"input": "pictures\/&"}/' > jobs.jsonl

crop=(--size 64 --center 160,120 --name '{stem}-{ext}' -q)
quoted="${crop[*]@Q}"
hyperfine --warmup 1 --runs "${RUNS:-5}" --style basic \
  -n glob "$program crop pictures/* $quoted --out-dir glob" \
  -n manifest "$program crop --from jobs.jsonl $quoted --out-dir manifest" \
  -n manifest+results "$program crop --from jobs.jsonl $quoted --out-dir results --results results.jsonl"
hyperfine --runs "${PER_PICTURE_RUNS:-1}" --style basic \
  -n "process per picture" \
  "for f in pictures/*; do $program crop \"\$f\" $quoted --out-dir each; done"
echo "uptime: $(uptime)"
