#!/usr/bin/env bash
# Cross-builds the image file libraries of the Windows DLL (zlib, libpng,
# libjpeg-turbo, libtiff) as static libraries from Debian's source packages.
# The result goes to build/windows-deps/<versions>/ and is reused as long as
# the source versions stay the same. Prints the install prefix on stdout.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
deps="$root/build/windows-deps"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
host=x86_64-w64-mingw32
sources=(zlib libpng1.6 libjpeg-turbo tiff)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# Source packages need deb-src lines: the same archives and suites as the
# binary sources of this machine.
src_list=/etc/apt/sources.list.d/korvex-deb-src.sources
if ! apt-get source --print-uris zlib >/dev/null 2>&1; then
  sed -n '/^Types:/,$p' /etc/apt/sources.list.d/debian.sources |
    sed 's/^Types: deb$/Types: deb-src/' | "${sudo_cmd[@]}" tee "$src_list" >/dev/null
  "${sudo_cmd[@]}" apt-get update -qq >&2
fi

versions_of() {  # source package -> its versions, newest first
  apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/ {print $2}' | sort -Vru
}
# A mirror may lack the newest upload of a package (security uploads in
# particular); take the newest version whose files it serves. The cache is
# keyed by the newest version listed, so a new upload rebuilds.
key=""
for s in "${sources[@]}"; do key+="$s-$(versions_of "$s" | head -1)_"; done
key="${key%_}"
key="${key//:/+}"
prefix="$deps/$key"
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi

phase=$SECONDS
took() { echo "$1: $((SECONDS - phase)) s" >&2; phase=$SECONDS; }

work="$deps/src"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"
cd "$work"
for s in "${sources[@]}"; do
  fetched=""
  for v in $(versions_of "$s"); do
    if apt-get source -qq --download-only "$s=$v" >/dev/null 2>&1; then fetched="$v"; break; fi
  done
  [ -n "$fetched" ] || { echo "cannot fetch the source of $s" >&2; exit 1; }
  echo "$s $fetched" | tee -a "$prefix/versions.txt" >&2
done
for dsc in *.dsc; do dpkg-source -x --no-check "$dsc" >/dev/null; done
took "sources fetched and unpacked"

jobs="$(nproc)"
# Configures a library and builds the ninja target given (only what the
# DLL links: no programs, tests or documents).
cmake_dep() {  # source dir, target, extra cmake arguments...
  local dir="$1" target="$2"; shift 2
  cmake -S "$dir" -B "$dir/_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix;/usr/$host" \
    -DCMAKE_CROSSCOMPILING_EMULATOR= -DBUILD_SHARED_LIBS=OFF "$@" >"$dir/build.log" 2>&1 &&
    ninja -C "$dir/_build" -j"$jobs" "$target" >>"$dir/build.log" 2>&1 ||
    { cat "$dir/build.log" >&2; return 1; }
}

# zlib: the library's own sources into one static archive (Debian's source
# drops the Windows makefiles).
z="$(ls -d zlib-*/ | head -1)"
mkdir -p "$prefix/include" "$prefix/lib" "$z/_build"
for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
         inftrees trees uncompr zutil; do
  "$host-gcc-posix" -O2 -c "$z/$c.c" -o "$z/_build/$c.o" &
done
wait
"$host-ar" rcs "$prefix/lib/libz.a" "$z"/_build/*.o
cp "$z/zlib.h" "$z/zconf.h" "$prefix/include/"
took "zlib"

cmake_dep "$(ls -d libpng1.6-*/ | head -1)" install -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
  -DPNG_EXECUTABLES=OFF -DZLIB_ROOT="$prefix" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
  -DZLIB_INCLUDE_DIR="$prefix/include"
took "libpng"
# libjpeg-turbo's install target would build its programs too: the static
# library and its four headers are copied instead.
j="$(ls -d libjpeg-turbo-*/ | head -1)"
cmake_dep "$j" jpeg-static -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_TURBOJPEG=OFF -DWITH_SIMD="$(command -v nasm >/dev/null && echo ON || echo OFF)"
cp "$j/_build/libjpeg.a" "$prefix/lib/"
cp "$j/jpeglib.h" "$j/jmorecfg.h" "$j/jerror.h" "$j/_build/jconfig.h" "$prefix/include/"
took "libjpeg-turbo"
cmake_dep "$(ls -d tiff-*/ | head -1)" install -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF \
  -Dtiff-docs=OFF -Dcxx=OFF -Djbig=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dlerc=OFF \
  -Dlibdeflate=OFF -Djpeg=ON -Dzlib=ON -Dpixarlog=ON -Dold-jpeg=OFF \
  -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
  -DJPEG_LIBRARY="$prefix/lib/libjpeg.a" -DJPEG_INCLUDE_DIR="$prefix/include"

took "libtiff"
rm -rf "$work"
touch "$prefix/.complete"
echo "$prefix"
