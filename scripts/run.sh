#!/usr/bin/env bash
# Builds Quarvel (installing what it needs) and starts it. Arguments go to the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" run
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARVEL_TESTS=OFF -DQUARVEL_BENCH=OFF >/dev/null
cmake --build "$root/build" --target quarvel
exec "$root/build/quarvel" "$@"
