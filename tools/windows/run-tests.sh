#!/usr/bin/env bash
# Runs the Windows test programs of build/windows under Wine, in a fresh Wine
# prefix (build/wine/prefix) with Wine's null graphics driver:
#   - the core suites with one simulated camera;
#   - the DLL suites with two simulated cameras, and again without the
#     variable (no camera, no driver);
#   - the property dialogs through the DLL, under an English and under a
#     Japanese system language;
#   - the same fixed frame saved in every colour mode and format by this
#     build and by the Linux build given as $1 (e.g. build/release), which
#     must give the same bytes.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
bin="$root/build/windows/bin"
linux="${1:-}"
export WINEPREFIX="$root/build/wine/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no .NET or HTML installers at start-up
unset DISPLAY

start=$SECONDS
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
# The desktop process started by wineboot keeps the driver it started with
# (none, without a display), and windows and dialogs would fail: end this
# prefix's session so that the next one starts on the null driver.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
echo "Wine prefix ready in $((SECONDS - start)) s"

status=0

check() {  # label, environment assignments..., -- program arguments...
  local label="$1"; shift
  local envs=()
  while [ "$1" != "--" ]; do envs+=("$1"); shift; done
  shift
  local t=$SECONDS log
  log="$(mktemp)"
  echo "== $label =="
  if (cd "$bin" && env "${envs[@]}" wine "$@" >"$log" 2>&1); then
    tr -d '\r' <"$log" | grep -E '^\[==========\] .* ran|^\[  PASSED  \]|^\[  SKIPPED \]' || true
  else
    tr -d '\r' <"$log" | grep -vE '^\[ RUN|^\[       OK' | tail -60
    echo "$label FAILED"
    status=1
  fi
  rm -f "$log"
  echo "$label: $((SECONDS - t)) s"
}

check "core suites" KORVEX_SIMULATED_CAMERAS=1 -- korvex_core_tests.exe
check "DLL with two simulated cameras" KORVEX_SIMULATED_CAMERAS=2 -- korvex_dll_tests.exe
check "DLL without cameras or driver" -u KORVEX_SIMULATED_CAMERAS -- korvex_dll_tests.exe \
  --gtest_filter='NoDriver.*:DllExports.*'
# The property dialogs, worked with window messages, once per template
# language: the system language follows the locale Wine is started with.
check "dialogs, English system" KORVEX_SIMULATED_CAMERAS=1 KORVEX_TEST_SYSTEM_LANGUAGE=1033 \
  LC_ALL=en_US.UTF-8 -- korvex_dialog_tests.exe
check "dialogs, Japanese system" KORVEX_SIMULATED_CAMERAS=1 KORVEX_TEST_SYSTEM_LANGUAGE=1041 \
  LC_ALL=ja_JP.UTF-8 -- korvex_dialog_tests.exe --gtest_filter='*Japanese*:DialogResources.*'

if [ -n "$linux" ]; then
  t=$SECONDS
  echo "== saved files, Windows against Linux =="
  out="$root/build/windows/saved"
  rm -rf "$out" "$out-linux"
  mkdir -p "$out" "$out-linux"
  "$linux/bin/korvex_save_formats" "$out-linux"
  (cd "$bin" && KORVEX_SIMULATED_CAMERAS=1 wine korvex_save_formats.exe "$(winepath -w "$out")" \
    >/dev/null 2>&1) || { echo "the Windows save program failed"; status=1; }
  same=0
  for f in "$out-linux"/*; do
    name="$(basename "$f")"
    if cmp -s "$f" "$out/$name"; then
      same=$((same + 1))
    else
      echo "differs: $name"
      status=1
    fi
  done
  [ "$(ls "$out" | wc -l)" -eq "$(ls "$out-linux" | wc -l)" ] || { echo "file sets differ"; status=1; }
  echo "$same files identical; $((SECONDS - t)) s"
fi

wineserver -k 2>/dev/null || true
echo "Windows tests under Wine: $((SECONDS - start)) s"
exit $status
