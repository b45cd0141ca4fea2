#!/usr/bin/env bash
# Packs the Windows build (build/windows, from tools/build-windows.sh) into
# what a Windows developer downloads, in build/windows/package/:
#   KorvexSdk-<version>-win64.zip  the SDK folder KorvexSdk-<version>-win64/
#   KorvexSdk-<version>-win64.msi  its installer, into
#                                  C:\Program Files\Quorel\KorvexSdk\<version>\
# <version> is the file VERSION. The SDK folder (docs/windows.md):
#   bin/                 KorvexSdk_740K3_XLN.dll, korvexsim.dll, korvex.exe,
#                        the example programs, KorvexViewer.exe when built
#   include/             KorvexSdk_740K3_XLN.h; korvex/host_sim.h (simulator
#                        controls) with korvex/host_base.h
#   lib/                 import libraries: *.lib for MSVC, lib*.dll.a for MinGW
#   lib/cmake/KorvexSdk/ the CMake package (find_package(KorvexSdk))
#   docs/                html/ (reference and guides), guide.md, windows.md, python.md
#   examples/            the examples' sources with a CMakeLists.txt
#   python/              the Python package's wheel (pip install it), when built
#   README.txt, VERSION
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
"$root/tools/install-packages.sh" wixl msitools llvm zip doxygen ninja-build

start=$SECONDS
build="$root/build/windows"
out="$build/package"
version="$(cat "$root/VERSION")"
name="KorvexSdk-$version-win64"
stage="$out/$name"
[ -f "$build/bin/KorvexSdk_740K3_XLN.dll" ] || { echo "package.sh: run tools/build-windows.sh first" >&2; exit 1; }

ninja -C "$build" docs >/dev/null  # the HTML reference, with the guides

rm -rf "$out"
mkdir -p "$stage"/{bin,include/korvex,lib/cmake/KorvexSdk,docs,examples}

# --- bin: the DLLs and programs ---------------------------------------------
cp "$build"/bin/{KorvexSdk_740K3_XLN.dll,korvexsim.dll,korvex.exe} "$stage/bin/"
cp "$build"/bin/example_{snapshot,live_preview,triggered_capture}.exe "$stage/bin/"
# The viewer is a program of its own; the package takes it when it is built.
[ -f "$build/bin/KorvexViewer.exe" ] && cp "$build/bin/KorvexViewer.exe" "$stage/bin/"

# --- include ------------------------------------------------------------------
cp "$root/include/KorvexSdk_740K3_XLN.h" "$stage/include/"
cp "$root"/include/korvex/{host_sim.h,host_base.h} "$stage/include/korvex/"

# --- lib: import libraries and the CMake package ------------------------------
# MSVC's: made from the SDK's module-definition file; korvexsim's from the
# DLL's own export table. MinGW's: the linker's, from the build.
llvm-dlltool -m i386:x86-64 -d "$root/cmake/windows/KorvexSdk_740K3_XLN.def" \
  -D KorvexSdk_740K3_XLN.dll -l "$stage/lib/KorvexSdk_740K3_XLN.lib"
{
  echo "LIBRARY korvexsim.dll"
  echo "EXPORTS"
  llvm-readobj --coff-exports "$build/bin/korvexsim.dll" | awk '$1 == "Name:" { print "  " $2 }'
} >"$out/korvexsim.def"
llvm-dlltool -m i386:x86-64 -d "$out/korvexsim.def" -D korvexsim.dll -l "$stage/lib/korvexsim.lib"
rm "$out/korvexsim.def"
cp "$build"/lib/{libKorvexSdk_740K3_XLN.dll.a,libkorvexsim.dll.a} "$stage/lib/"
cp "$root/cmake/windows/KorvexSdkConfig.cmake" "$build/sdk-package/KorvexSdkConfigVersion.cmake" \
  "$stage/lib/cmake/KorvexSdk/"

# --- docs, examples, README -------------------------------------------------
cp -r "$build/docs/html" "$stage/docs/"
cp "$root"/docs/{guide.md,windows.md,python.md} "$stage/docs/"
# The Python package for Windows, when the build made its wheel.
wheels=("$build"/python/korvex-*-win_amd64.whl)
if [ -f "${wheels[0]}" ]; then
  mkdir -p "$stage/python"
  cp "${wheels[@]}" "$stage/python/"
fi
cp "$root"/examples/{CMakeLists.txt,notify_window.h,snapshot.c,live_preview.c,triggered_capture.c} \
  "$stage/examples/"
sed "s/@VERSION@/$version/g" "$root/tools/windows/README.txt.in" >"$stage/README.txt"
cp "$root/VERSION" "$stage/VERSION"

# ============================================================================
# SIGNING HOOK. A release build signs the DLLs and programs here, before they
# are packed, and the installer below. Nothing is signed unless
# KORVEX_SIGN_PKCS12 names the certificate (a PKCS#12 file) and
# KORVEX_SIGN_PASSWORD_FILE the file holding its password;
# KORVEX_SIGN_TIMESTAMP_URL adds a time stamp.
sign() {  # FILE...
  [ -n "${KORVEX_SIGN_PKCS12:-}" ] || return 0
  "$root/tools/install-packages.sh" osslsigncode
  local f
  for f in "$@"; do
    osslsigncode sign -pkcs12 "$KORVEX_SIGN_PKCS12" -readpass "$KORVEX_SIGN_PASSWORD_FILE" \
      -h sha256 -n "Korvex740K3-XLN SDK" ${KORVEX_SIGN_TIMESTAMP_URL:+-ts "$KORVEX_SIGN_TIMESTAMP_URL"} \
      -in "$f" -out "$f.signed" >/dev/null
    mv "$f.signed" "$f"
  done
}
sign "$stage"/bin/*.dll "$stage"/bin/*.exe
# ============================================================================

(cd "$out" && zip -q -r -X "$name.zip" "$name")
"$root/tools/windows/msi.sh" "$stage" "$version" "$out/$name.msi"
sign "$out/$name.msi"  # SIGNING HOOK (see above)

signed="unsigned"
[ -n "${KORVEX_SIGN_PKCS12:-}" ] && signed="signed"
echo "packed $out/$name.zip and $name.msi ($signed) in $((SECONDS - start)) s"
