#!/usr/bin/env bash
# Installs the Debian packages Quarvel needs, when missing: `deps.sh run` for
# building and running the program, `deps.sh test` for the tests and benchmarks too.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libturbojpeg0-dev libjpeg62-turbo-dev libgif-dev libspng-dev
  nlohmann-json3-dev)
if [ "${1:-run}" = test ]; then
  packages+=(libgtest-dev libbenchmark-dev python3 python3-pil)
  # The whole-process benchmarks and what they are held against.
  packages+=(hyperfine libjpeg-turbo-progs time)
  # The installed tree's checks: the software centres' validator and man.
  packages+=(appstream man-db groff-base)
  # The README's example of many machines' batches, run as it stands.
  packages+=(parallel jq)
  # The tree's habits: its layout and the faults clang-tidy finds.
  packages+=(clang-format clang-tidy)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
