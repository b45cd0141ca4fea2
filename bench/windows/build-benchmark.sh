#!/usr/bin/env bash
# Cross-builds Google Benchmark for Windows x64 as a static library from
# Debian's source package (the release the Linux benchmarks use), for the
# Windows benchmark program. The result goes to
# build/windows-benchmark/<version>/ and is reused while the version stays
# the same (Debian's source reads no git tags: the version is passed in).
# Prints the install prefix on stdout. Needs the deb-src lines
# tools/windows/build-deps.sh writes.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
base="$root/build/windows-benchmark"
version="$(apt-cache showsrc benchmark 2>/dev/null | awk '/^Version:/ {print $2}' | sort -Vru | head -1)"
[ -n "$version" ] || { echo "no source package of benchmark (deb-src lines missing?)" >&2; exit 1; }
prefix="$base/${version//:/+}"
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi

work="$base/src"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"
cd "$work"
apt-get source -qq --download-only "benchmark=$version" >/dev/null
dpkg-source -x --no-check ./*.dsc source >/dev/null
cmake -S source -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
  -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
  -DBENCHMARK_ENABLE_WERROR=OFF -DBENCHMARK_ENABLE_LTO=OFF -DBENCHMARK_INSTALL_DOCS=OFF \
  -DGIT_VERSION="${version%%-*}" -DHAVE_STD_REGEX=ON -DHAVE_STEADY_CLOCK=ON >&2
ninja -C build install >&2
touch "$prefix/.complete"
echo "$prefix"
