#!/usr/bin/env bash
# Tests the Windows SDK package of build/windows/package (tools/windows/package.sh)
# the way a Windows developer meets it:
#   - the import libraries name exactly the DLL's 124 exports, and a program
#     linked through the MSVC one by an MSVC-compatible linker runs;
#   - the header compiles as C and C++ for the MSVC ABI with clang in MSVC
#     mode;
#   - the zip and the installer hold the same files;
#   - under Wine, in a fresh prefix (build/wine/package-prefix): the
#     installer installs silently (with the AddToPath feature) into
#     C:\Program Files\Quorel\KorvexSdk\<version>\ in the documented layout,
#     with its shortcuts and registry values;
#   - the examples of the installed tree, copied out of the source tree, are
#     built with MinGW through find_package(KorvexSdk) against it, linked
#     through its import library, and save with a simulated camera the same
#     picture as the Linux build's example (given as $1, e.g. build/release);
#   - a rebuild of the same version and an installer of a newer version each
#     replace the installed one, leaving one copy; an older one refuses to
#     install over a newer; uninstalling removes every file, folder,
#     shortcut and registry value.
# Usage: package-tests.sh [LINUX_BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
linux="${1:+$(cd "$1" && pwd)}"
version="$(cat "$root/VERSION")"
name="KorvexSdk-$version-win64"
package="$root/build/windows/package"
here="$root/tests/windows/package"
work="$(mktemp -d "${TMPDIR:-/tmp}/korvex-package-tests-XXXXXX")"  # outside the tree
trap 'rm -rf "$work"; [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true' EXIT
trap 'echo "FAILED: package-tests.sh line $LINENO: $BASH_COMMAND"' ERR

"$root/tools/install-packages.sh" unzip msitools llvm lld clang wine64 cmake ninja-build \
  g++-mingw-w64-x86-64-posix
start=$SECONDS
status=0
fail() {
  echo "FAILED: $*"
  status=1
}
section() { echo "== package: $1 =="; }
sdk_dll=KorvexSdk_740K3_XLN.dll

for f in "$name.zip" "$name.msi"; do
  [ -f "$package/$f" ] || { echo "FAILED: $package/$f is missing (tools/windows/package.sh)"; exit 1; }
done
unzip -q "$package/$name.zip" -d "$work/zip"
sdk="$work/zip/$name"

# --- import libraries ---------------------------------------------------------
section "import libraries"
llvm-readobj --coff-exports "$sdk/bin/$sdk_dll" | awk '$1 == "Name:" { print $2 }' | LC_ALL=C sort \
  >"$work/dll-exports"
[ "$(wc -l <"$work/dll-exports")" -eq 124 ] ||
  fail "the DLL exports $(wc -l <"$work/dll-exports") functions, not 124"
grep -qv '^Korvex_' "$work/dll-exports" && fail "the DLL exports names other than Korvex_*"
# Each library's import symbols, without their __imp_ prefix, must be the
# DLL's exports, and each must name the DLL.
llvm-nm "$sdk/lib/KorvexSdk_740K3_XLN.lib" | awk '$2 == "T" && $3 ~ /^__imp_/ { print substr($3, 7) }' |
  LC_ALL=C sort >"$work/msvc-imports"
llvm-nm "$sdk/lib/libKorvexSdk_740K3_XLN.dll.a" | awk '$2 == "I" && $3 ~ /^__imp_/ { print substr($3, 7) }' |
  LC_ALL=C sort >"$work/mingw-imports"
for lib in msvc mingw; do
  cmp -s "$work/dll-exports" "$work/$lib-imports" ||
    { fail "the $lib import library does not name exactly the DLL's exports:"; diff "$work/dll-exports" "$work/$lib-imports" | head || true; }
done
other="$(llvm-readobj --coff-imports "$sdk/lib/KorvexSdk_740K3_XLN.lib" |
  awk '$1 == "File:" && $2 !~ /\(/ && $2 != "'"$sdk_dll"'"' | wc -l)"
[ "$other" -eq 0 ] || fail "$other members of KorvexSdk_740K3_XLN.lib name another DLL"
grep -qa "$sdk_dll" "$sdk/lib/libKorvexSdk_740K3_XLN.dll.a" || fail "the MinGW import library does not name $sdk_dll"
echo "124 exports, named alike by KorvexSdk_740K3_XLN.lib and libKorvexSdk_740K3_XLN.dll.a"

# --- the header for MSVC users ------------------------------------------------
section "header in MSVC mode"
for std in c11 c17 c++14 c++17 c++20; do
  lang=c; [[ "$std" == c++* ]] && lang=c++
  clang --target=x86_64-pc-windows-msvc -fsyntax-only -fms-extensions -fms-compatibility \
    -std="$std" -Wall -Wextra -Werror -x "$lang" "$sdk/include/KorvexSdk_740K3_XLN.h" ||
    fail "the header does not compile as $std for MSVC"
  clang --target=x86_64-pc-windows-msvc -fsyntax-only -fms-extensions -fms-compatibility \
    -std="$std" -Wall -Wextra -Werror -x "$lang" -I "$sdk/include" "$sdk/include/korvex/host_sim.h" ||
    fail "korvex/host_sim.h does not compile as $std for MSVC"
done
clang --target=x86_64-pc-windows-msvc -fms-extensions -O1 -c -I "$sdk/include" "$here/msvc_link.c" \
  -o "$work/msvc_link.obj" &&
  lld-link -nologo -entry:start -subsystem:console -nodefaultlib -out:"$work/msvc_link.exe" \
    "$work/msvc_link.obj" "$sdk/lib/KorvexSdk_740K3_XLN.lib" ||
  fail "a program for the MSVC ABI does not link through KorvexSdk_740K3_XLN.lib"

# --- zip and installer hold the same files ------------------------------------
section "zip and installer"
msiextract -C "$work/msi" "$package/$name.msi" >/dev/null
if diff -r "$sdk" "$work/msi/Quorel/KorvexSdk/$version" >"$work/diff"; then
  echo "the same $(find "$sdk" -type f | wc -l) files"
else
  fail "the zip and the installer differ:"
  head -20 "$work/diff"
fi

# --- one version everywhere ----------------------------------------------------
section "version $version"
product="$(msiinfo export "$package/$name.msi" Property | tr -d '\r' | awk '$1 == "ProductVersion" { print $2 }')"
[ "$product" = "$version" ] || fail "the installer's ProductVersion is '$product'"
grep -q "^set(PACKAGE_VERSION \"$version\")" "$sdk/lib/cmake/KorvexSdk/KorvexSdkConfigVersion.cmake" ||
  fail "the CMake package does not carry version $version"
# The documents' instructions name files and folders by the version.
for f in README.txt docs/windows.md; do
  for v in $(grep -oE '\<[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+\>' "$sdk/$f" | sort -u); do
    [ "$v" = "$version" ] || fail "$f names version $v"
  done
done

# --- Wine: install --------------------------------------------------------------
export WINEPREFIX="$root/build/wine/package-prefix"
export WINEDEBUG=-all
# No .NET or HTML installers at start-up, and no menu entries in the desktop
# of the machine the tests run on.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY
t=$SECONDS
"$root/tools/windows/fresh-prefix.sh"
echo "fresh Wine prefix in $((SECONDS - t)) s"

drive_c="$WINEPREFIX/drive_c"
sdk_root="$drive_c/Program Files/Quorel"
installed="$sdk_root/KorvexSdk/$version"
msiexec() {  # LABEL MSIEXEC-ARGUMENTS...: runs msiexec silently, logging to $work
  local label="$1" code=0
  shift
  wine msiexec "$@" /qn /l*v "$(winepath -w "$work/$label.log")" >/dev/null 2>&1 || code=$?
  [ "$code" -eq 0 ] || { fail "msiexec $* ended with $code (log: $label.log):"; tr -d '\r' <"$work/$label.log" 2>/dev/null | grep -a -i "error\|fail" | head -10 || true; }
}
reg_value() {  # KEY VALUE: the data of a registry value, empty when there is none
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v v="$2" '$1 == v { $1 = ""; $2 = ""; sub(/^  /, ""); print }'
}
system_path() { reg_value 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' Path; }
uninstall_entries() {  # how many products of that name Windows lists as installed
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
    grep -c 'DisplayName.*Korvex740K3-XLN SDK$' || true
}
# Wine puts the shortcuts of per-machine installs in the user's Start menu;
# Windows puts them in the common one: both are searched.
menu_folders() {
  find "$drive_c/ProgramData/Microsoft/Windows/Start Menu" "$drive_c/users" -type d \
    -name 'Korvex740K3-XLN SDK' 2>/dev/null || true
}

section "silent install"
t=$SECONDS
msiexec install-old /i "$(winepath -w "$package/$name.msi")" ADDLOCAL=ALL
echo "installed in $((SECONDS - t)) s"
# The documented layout, file by file where a user or a build reads it.
for f in bin/KorvexSdk_740K3_XLN.dll bin/korvexsim.dll bin/korvex.exe bin/example_snapshot.exe \
         bin/example_live_preview.exe bin/example_triggered_capture.exe \
         include/KorvexSdk_740K3_XLN.h include/korvex/host_sim.h include/korvex/host_base.h \
         lib/KorvexSdk_740K3_XLN.lib lib/libKorvexSdk_740K3_XLN.dll.a lib/korvexsim.lib \
         lib/libkorvexsim.dll.a lib/cmake/KorvexSdk/KorvexSdkConfig.cmake \
         lib/cmake/KorvexSdk/KorvexSdkConfigVersion.cmake docs/html/index.html docs/html/windows.html \
         docs/guide.md docs/windows.md examples/CMakeLists.txt examples/snapshot.c \
         examples/notify_window.h README.txt VERSION; do
  [ -f "$installed/$f" ] || fail "not installed: $f"
done
[ -f "$root/build/windows/bin/KorvexViewer.exe" ] && [ ! -f "$installed/bin/KorvexViewer.exe" ] &&
  fail "the viewer was built but not installed"
diff -r -q "$sdk" "$installed" >/dev/null || fail "the installed folder differs from the zip"
[ "$(cat "$installed/VERSION" 2>/dev/null)" = "$version" ] || fail "the installed VERSION is not $version"
tool_version="$(wine "$installed/bin/korvex.exe" --version 2>/dev/null | tr -d '\r')"
[ "$tool_version" = "korvex $version" ] || fail "korvex --version says '$tool_version'"
[ "$(uninstall_entries)" -eq 1 ] || fail "$(uninstall_entries) installed products listed, not 1"
[ "$(reg_value "HKLM\\Software\\Quorel\\KorvexSdk\\$version" InstallFolder)" = \
  "C:\\Program Files\\Quorel\\KorvexSdk\\$version\\" ] || fail "the install folder is not registered"
[ "$(reg_value 'HKLM\Software\Kitware\CMake\Packages\KorvexSdk' "Quorel.KorvexSdk.$version")" = \
  "C:\\Program Files\\Quorel\\KorvexSdk\\$version\\lib\\cmake\\KorvexSdk" ] ||
  fail "the CMake package is not registered"
[[ ";$(system_path);" == *";C:\\Program Files\\Quorel\\KorvexSdk\\$version\\bin;"* ]] ||
  fail "ADDLOCAL=ALL: the bin folder is not on the system PATH: $(system_path)"
menu="$(menu_folders)"
shortcuts=("Getting started on Windows" "Korvex740K3-XLN SDK guide and reference"
           "Korvex tools and examples" "Korvex command prompt")
[ -f "$installed/bin/KorvexViewer.exe" ] && shortcuts+=("Korvex Viewer")
for s in "${shortcuts[@]}"; do
  [ -n "$menu" ] && [ -f "$menu/$s.lnk" ] || fail "no Start-menu shortcut '$s'"
done

# --- a consumer of the installed tree -------------------------------------------
section "consumer built with MinGW against the installed SDK"
t=$SECONDS
cp -r "$installed/examples" "$work/consumer"
consumer="$work/consumer/build"
if cmake -S "$work/consumer" -B "$consumer" -G Ninja -DCMAKE_BUILD_TYPE=Release \
     -DCMAKE_TOOLCHAIN_FILE="$here/mingw-consumer.cmake" -DCMAKE_PREFIX_PATH="$installed" \
     >"$work/consumer-configure.log" 2>&1 &&
   cmake --build "$consumer" --verbose >"$work/consumer-build.log" 2>&1; then
  grep -q -- "$installed/lib/libKorvexSdk_740K3_XLN.dll.a" "$work/consumer-build.log" ||
    fail "the consumer was not linked with the installed libKorvexSdk_740K3_XLN.dll.a"
  # (grep reads whole outputs: with pipefail, a grep -q that stops early
  # would fail the pipeline.)
  grep -q "DLL Name: $sdk_dll" <<<"$(x86_64-w64-mingw32-objdump -p "$consumer/example_snapshot.exe")" ||
    fail "example_snapshot.exe does not import $sdk_dll"
  cmp -s "$consumer/$sdk_dll" "$installed/bin/$sdk_dll" ||
    fail "the DLL beside the consumer is not the installed one"
  (cd "$consumer" && KORVEX_SIMULATED_CAMERAS=1 wine example_snapshot.exe picture.png \
     >"$work/consumer-run.log" 2>&1) ||
    { fail "the consumer failed under Wine:"; tr -d '\r' <"$work/consumer-run.log" | tail -5 || true; }
  grep -q '2560 x 1920 picture saved' "$work/consumer-run.log" ||
    fail "the consumer did not report its picture"
  if [ -n "$linux" ]; then
    # The Linux example in a fresh settings folder, like the fresh prefix.
    mkdir -p "$work/linux"
    (cd "$work/linux" && XDG_CONFIG_HOME="$work/linux/config" KORVEX_SIMULATED_CAMERAS=1 \
       KORVEX_SHM_NAMESPACE="korvex-package-tests-$$" "$linux/bin/example_snapshot" picture.png \
       >/dev/null 2>&1) || fail "the Linux example failed"
    rm -f "/dev/shm/korvex-package-tests-$$.QUOREL_USBCAMERA"
    if cmp -s "$work/linux/picture.png" "$consumer/picture.png"; then
      echo "picture identical to the Linux build's ($(stat -c %s "$consumer/picture.png") bytes)"
    else
      fail "the consumer's picture differs from the Linux build's"
    fi
  else
    echo "no Linux build given: the picture is not compared"
  fi
  if [ -f "$work/msvc_link.exe" ]; then
    cp "$installed/bin/$sdk_dll" "$work/"
    code=0
    (cd "$work" && wine msvc_link.exe >/dev/null 2>&1) || code=$?
    [ "$code" -eq 0 ] || fail "the program linked through KorvexSdk_740K3_XLN.lib ended with $code"
  fi
else
  fail "the consumer does not build against the installed SDK:"
  tail -20 "$work/consumer-configure.log" "$work/consumer-build.log" 2>/dev/null || true
fi
echo "consumer: $((SECONDS - t)) s"

# --- reinstall, upgrade, downgrade and uninstall ---------------------------------
section "a rebuild of the same version over the installed one"
# Another build of the same files and version is another product to Windows
# Installer (a new product code): it must replace the installed one.
"$root/tools/windows/msi.sh" "$sdk" "$version" "$work/rebuild.msi"
msiexec rebuild /i "$(winepath -w "$work/rebuild.msi")" ADDLOCAL=ALL
[ "$(uninstall_entries)" -eq 1 ] || fail "$(uninstall_entries) installed products listed after the rebuild, not 1"
diff -r -q "$sdk" "$installed" >/dev/null || fail "the rebuild's installed folder differs from the zip"

section "a newer version over the installed one"
# Windows Installer compares the first three numbers of a version.
IFS=. read -r major minor build _ <<<"$version"
newer="$major.$minor.$((build + 1)).0"
stage_newer="$work/newer/$name"
mkdir -p "$work/newer"
cp -r "$sdk" "$stage_newer"
echo "$newer" >"$stage_newer/VERSION"
"$root/tools/windows/msi.sh" "$stage_newer" "$newer" "$work/newer.msi"
# Wine does not carry the features chosen for the installed version over to
# the newer one (MigrateFeatureStates): the PATH feature is asked for again.
msiexec upgrade /i "$(winepath -w "$work/newer.msi")" ADDLOCAL=ALL
[ -f "$sdk_root/KorvexSdk/$newer/bin/$sdk_dll" ] || fail "the newer version is not installed"
[ -e "$installed" ] && fail "the older version's folder is left: $(find "$installed" | head -5)"
[ "$(uninstall_entries)" -eq 1 ] || fail "$(uninstall_entries) installed products listed after the upgrade, not 1"
[ -z "$(reg_value "HKLM\\Software\\Quorel\\KorvexSdk\\$version" InstallFolder)" ] ||
  fail "the older version's registration is left"
[[ "$(system_path)" == *"KorvexSdk\\$version\\"* ]] && fail "the older bin folder is left on PATH"
[[ "$(system_path)" == *"KorvexSdk\\$newer\\bin"* ]] || fail "the newer bin folder is not on PATH"

section "an older version over the newer one"
code=0
wine msiexec /i "$(winepath -w "$package/$name.msi")" /qn >/dev/null 2>&1 || code=$?
[ "$code" -ne 0 ] || fail "the older installer installed over the newer version"
[ -e "$installed" ] && fail "the older installer left its folder"
[ -f "$sdk_root/KorvexSdk/$newer/bin/$sdk_dll" ] || fail "the older installer removed the newer version"
[ "$(uninstall_entries)" -eq 1 ] || fail "$(uninstall_entries) installed products listed after the refused downgrade, not 1"

section "uninstall"
msiexec uninstall /x "$(winepath -w "$work/newer.msi")"
[ -e "$sdk_root" ] && fail "left after uninstalling: $(find "$sdk_root" | head -5)"
[ -n "$(menu_folders)" ] && fail "the Start-menu folder is left"
[ "$(uninstall_entries)" -eq 0 ] || fail "the product is still listed as installed"
wine reg query 'HKLM\Software\Quorel' >/dev/null 2>&1 && fail "HKLM\\Software\\Quorel is left"
[ -z "$(reg_value 'HKLM\Software\Kitware\CMake\Packages\KorvexSdk' "Quorel.KorvexSdk.$newer")" ] ||
  fail "the CMake package registration is left"
[[ "$(system_path)" == *KorvexSdk* ]] && fail "the bin folder is left on PATH"

[ "$status" -eq 0 ] && echo "package tests passed" || echo "package tests FAILED (logs kept in build/windows/package-tests-logs)"
[ "$status" -eq 0 ] || { rm -rf "$root/build/windows/package-tests-logs"; cp -r "$work" "$root/build/windows/package-tests-logs"; }
echo "package tests: $((SECONDS - start)) s"
exit $status
