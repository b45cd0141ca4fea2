#!/usr/bin/env bash
# Builds the Windows x64 DLL and its programs into build/windows/bin:
# KorvexSdk_740K3_XLN.dll, the simulator companion korvexsim.dll, the korvex
# tool (korvex.exe), the examples (example_*.exe), and the test programs run
# under Wine by tools/windows/run-tests.sh; then packs the SDK's zip and
# installer into build/windows/package (tools/windows/package.sh). Installs the
# cross compiler and Wine when missing; the image file libraries are built
# once from Debian's sources and cached in build/windows-deps.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 xvfb xauth dpkg-dev
          nasm cmake ninja-build googletest libcli11-dev
          wixl msitools llvm lld clang zip unzip doxygen)  # the SDK package and its tests
"$root/tools/install-packages.sh" "${packages[@]}"

start=$SECONDS
deps="$("$root/tools/windows/build-deps.sh")"
echo "image libraries: $deps ($((SECONDS - start)) s)"
start=$SECONDS
dir="$root/build/windows"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKORVEX_WINDOWS_DEPS="$deps" -DKORVEX_BUILD_BENCH=OFF >/dev/null
ninja -C "$dir" -j"$(nproc)" >/dev/null
echo "built $dir/bin/KorvexSdk_740K3_XLN.dll ($(stat -c %s "$dir/bin/KorvexSdk_740K3_XLN.dll") bytes) in $((SECONDS - start)) s"
echo "python wheel: $("$root/python/build-wheel.sh" windows "$dir/bin" "$dir/python")"
"$root/tools/windows/package.sh"  # the SDK's zip and installer (wheel included), build/windows/package
