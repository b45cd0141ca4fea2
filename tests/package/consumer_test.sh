#!/usr/bin/env bash
# Installs the build into a fresh prefix and builds a tiny application
# against it twice, through find_package(KorvexSdk) and through pkg-config;
# both programs and the installed korvex tool must run, and so must the
# examples built alone against the prefix (as the Windows package ships them).
# Usage: consumer_test.sh BUILD_DIR CONSUMER_SOURCE_DIR
set -euo pipefail
build="$1" consumer="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/korvex-package-XXXXXX")"
trap 'rm -rf "$work"; [ -n "${KORVEX_SHM_NAMESPACE:-}" ] && rm -f "/dev/shm/$KORVEX_SHM_NAMESPACE.QUOREL_USBCAMERA"' EXIT
prefix="$work/prefix"
# The programs keep their settings and camera claims apart from the user's.
export XDG_CONFIG_HOME="$work/config"
export KORVEX_SHM_NAMESPACE="korvex-package-$$"

cmake --install "$build" --prefix "$prefix" >/dev/null
# Moved after installation: nothing may point back to where it was put.
mv "$prefix" "$work/moved"
prefix="$work/moved"

echo "-- find_package(KorvexSdk)"
cmake -S "$consumer" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
"$work/cmake-build/consumer"

echo "-- pkg-config korvexsdk"
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
cc -o "$work/pc-consumer" "$consumer/consumer.c" $(pkg-config --cflags --libs korvexsdk)
LD_LIBRARY_PATH="$prefix/lib" "$work/pc-consumer"

echo "-- the installed tool"
"$prefix/bin/korvex" get gain

echo "-- the examples, built alone against it"
examples="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../examples" && pwd)"
cmake -S "$examples" -B "$work/examples-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/examples-build" >/dev/null
(cd "$work" && "$work/examples-build/example_snapshot" "$work/picture.png")
