#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config binutils libgtest-dev libgmock-dev libbenchmark-dev
          libpng-dev libjpeg-dev libtiff-dev zlib1g-dev libcli11-dev doxygen
          clang libclang-rt-14-dev)  # the fuzz targets (tools/fuzz.sh)
# The benchmarks' optional yardstick (OpenCV's Bayer conversion), on request.
if [ "${KORVEX_BENCH_OPENCV:-0}" = 1 ]; then packages+=(libopencv-dev); fi
"$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/install-packages.sh" "${packages[@]}"
