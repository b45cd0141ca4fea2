#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config binutils libgtest-dev libgmock-dev libbenchmark-dev
          libpng-dev libjpeg-dev libtiff-dev zlib1g-dev libcli11-dev doxygen
          clang libclang-rt-14-dev)  # the fuzz targets (tools/fuzz.sh)
# The benchmarks' optional yardstick (OpenCV's Bayer conversion), on request.
if [ "${KORVEX_BENCH_OPENCV:-0}" = 1 ]; then packages+=(libopencv-dev); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
