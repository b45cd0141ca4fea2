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
#     must give the same bytes;
#   - korvex.exe and the example programs on the simulated cameras: the
#     files they write are checked (a recording also when stopped by
#     Ctrl-C), and their pictures compared with those of the Linux tool and
#     examples when $1 is given;
#   - the DLL on its own driver path, against the test driver
#     (tools/windows/run-driver-tests.sh);
#   - the viewer KorvexViewer.exe (programs/viewer/run-tests.sh).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
bin="$root/build/windows/bin"
linux="${1:-}"
export WINEPREFIX="$root/build/wine/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no .NET or HTML installers at start-up
unset DISPLAY

start=$SECONDS
"$root/tools/windows/fresh-prefix.sh"
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
check "DLL ending while it records" KORVEX_SIMULATED_CAMERAS=1 -- korvex_unload_tests.exe
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
  # In a camera-claim namespace and settings folder of its own, like the
  # fresh Wine prefix: no other program's claim or stored settings matter.
  (export KORVEX_SHM_NAMESPACE="korvex-saved-$$" XDG_CONFIG_HOME="$out-linux.config" &&
   "$linux/bin/korvex_save_formats" "$out-linux")
  rm -rf "$out-linux.config" "/dev/shm/korvex-saved-$$.QUOREL_USBCAMERA"
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

# --- korvex.exe and the examples --------------------------------------------
t=$SECONDS
echo "== korvex tool and examples =="
smoke="$root/build/windows/smoke"
rm -rf "$smoke"
mkdir -p "$smoke/linux"
smoke_failed=0
fail() {
  echo "FAILED: $*"
  smoke_failed=1
}
# Numbers in files; 0 when the file is missing or short.
le32() { od -An -tu4 -j "$2" -N4 "$1" 2>/dev/null | awk '{ print $1 + 0 } END { if (!NR) print 0 }'; }
be32() {
  od -An -tu1 -j "$2" -N4 "$1" 2>/dev/null |
    awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 } END { if (!NR) print 0 }'
}
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }
# run NAME CAMERAS PROGRAM ARGS...: runs a program of build/windows/bin with
# that many simulated cameras, its output in $smoke/NAME.out; fails loudly.
run() {
  local name="$1" cameras="$2"
  shift 2
  if ! (cd "$bin" && KORVEX_SIMULATED_CAMERAS="$cameras" wine "$@" >"$smoke/$name.out" 2>&1); then
    fail "$name: '$*' ended non-zero:"
    tr -d '\r' <"$smoke/$name.out" | tail -15
    return 1
  fi
  tr -d '\r' <"$smoke/$name.out" >"$smoke/$name.txt"
}
expect() {  # NAME PATTERN: the output of run NAME holds a line matching PATTERN
  grep -qE "$2" "$smoke/$1.txt" 2>/dev/null ||
    { fail "$1: no line matching '$2' in its output:"; tail -15 "$smoke/$1.txt" 2>/dev/null; }
  return 0
}
png_is() {  # FILE WIDTH HEIGHT: a PNG file of that size
  local f="$1"
  [ "$(od -An -c -j1 -N3 "$f" 2>/dev/null | tr -d ' ')" = PNG ] || { fail "$f is not a PNG file"; return; }
  [ "$(be32 "$f" 16)x$(be32 "$f" 20)" = "$2x$3" ] ||
    fail "$f is $(be32 "$f" 16)x$(be32 "$f" 20) pixels, not $2x$3"
  return 0
}
same_as_linux() {  # FILE: byte for byte the Linux program's file of that name
  [ -z "$linux" ] && return
  cmp -s "$smoke/$1" "$smoke/linux/$1" || fail "$1 differs from the Linux build's"
  return 0
}
# The settings the earlier suites stored would change the pictures.
wine reg delete 'HKCU\Software\Quorel' /f >/dev/null 2>&1 || true
wsmoke="$(winepath -w "$smoke")"
shot=(--size 640x480 --color-mode 24)

run list 2 korvex.exe list &&
  { expect list '^2 cameras present'; expect list '^  camera 0: '; expect list '^  camera 1: '; }
run snap-png 1 korvex.exe snap "$wsmoke\\shot.png" "${shot[@]}" && expect snap-png '640 x 480'
run snap-bmp 1 korvex.exe snap "$wsmoke\\shot.bmp" "${shot[@]}" && expect snap-bmp '640 x 480'
png_is "$smoke/shot.png" 640 480
[ "$(od -An -c -N2 "$smoke/shot.bmp" 2>/dev/null | tr -d ' ')" = BM ] &&
  [ "$(size_of "$smoke/shot.bmp")" -eq $((54 + 480 * 1920)) ] ||
  fail "shot.bmp is not a 640 x 480 24-bit BMP file ($(size_of "$smoke/shot.bmp") bytes)"
avi_is_finished() {  # NAME FILE: a finished 320 x 240 AVI file holding the frames the tool reported
  # RIFF header, 320 x 240, every frame chunk (8 + 320 * 240 * 3 bytes)
  # followed by the index.
  local avi="$2" frames
  frames="$(le32 "$2" 48)"
  if [ "$(head -c 4 "$avi" 2>/dev/null)" != RIFF ] ||
     [ "$(dd if="$avi" bs=1 skip=8 count=4 2>/dev/null)" != "AVI " ] ||
     [ "$(( $(le32 "$avi" 4) + 8 ))" -ne "$(size_of "$avi")" ]; then
    fail "$avi is not a finished AVI file"
  elif [ "$(le32 "$avi" 64)x$(le32 "$avi" 68)" != 320x240 ] || [ "$frames" -lt 1 ] ||
       [ "$(dd if="$avi" bs=1 skip=$((232 + frames * 230408)) count=4 2>/dev/null)" != idx1 ]; then
    fail "$avi: $(le32 "$avi" 64)x$(le32 "$avi" 68), $frames frames, no index where expected"
  fi
  expect "$1" "recorded $frames frames in "
}
run record 1 korvex.exe record "$wsmoke\\clip.avi" --seconds 1 --size 320x240 &&
  avi_is_finished record "$smoke/clip.avi"
# Names outside the ANSI code page: the tool reads its command line as
# UTF-16 and uses the W exports (Wine reads the UTF-8 arguments as such).
LC_ALL=C.UTF-8 run snap-wide 1 korvex.exe snap "$wsmoke\\日本 Камера 📷.png" "${shot[@]}" &&
  png_is "$smoke/日本 Камера 📷.png" 640 480
LC_ALL=C.UTF-8 run record-wide 1 korvex.exe record "$wsmoke\\日本.avi" --seconds 1 --size 320x240 &&
  avi_is_finished record-wide "$smoke/日本.avi"
# Ctrl-C: Wine turns SIGINT into the console's Ctrl-C event; the recording
# stops early and still leaves a finished file, a second Ctrl-C 50 ms later
# notwithstanding, and the exit status says it was interrupted (130).
(cd "$bin" && KORVEX_SIMULATED_CAMERAS=1 exec wine korvex.exe record "$wsmoke\\stopped.avi" \
   --seconds 60 --size 320x240 >"$smoke/stopped.out" 2>&1) &
recorder=$!
for _ in $(seq 300); do  # until the first frames are in the file
  grep -qE "recording: [1-9]" "$smoke/stopped.out" 2>/dev/null && break
  sleep 0.1
done
kill -INT "$recorder" 2>/dev/null || true
sleep 0.05
kill -INT "$recorder" 2>/dev/null || true
stopped_status=0
wait "$recorder" || stopped_status=$?
if [ "$stopped_status" -eq 130 ]; then
  tr -d '\r' <"$smoke/stopped.out" >"$smoke/stopped.txt"
  expect stopped '^stopped: recorded '
  avi_is_finished stopped "$smoke/stopped.avi"
else
  fail "Ctrl-C: the recording did not end cleanly (exit status $stopped_status):"
  tr -d '\r' <"$smoke/stopped.out" | tail -15
fi

run example-snapshot 1 example_snapshot.exe "$wsmoke\\example.png" &&
  expect example-snapshot '2560 x 1920 picture saved'
png_is "$smoke/example.png" 2560 1920
run example-live 1 example_live_preview.exe 5 &&
  { expect example-live '^frame 5: centre pixel B [0-9]+ G [0-9]+ R [0-9]+'; expect example-live '^5 frames copied'; }
run example-trigger 1 example_triggered_capture.exe && expect example-trigger '^3 of 3 triggered frames'

if [ -n "$linux" ]; then
  # The same pictures from the Linux tool and example, each in a fresh
  # settings folder like the fresh Wine prefix.
  linux_bin="$(cd "$linux/bin" && pwd)"
  (cd "$smoke/linux" && export XDG_CONFIG_HOME="$smoke/linux/config" KORVEX_SIMULATED_CAMERAS=1 \
     KORVEX_SHM_NAMESPACE="korvex-wine-smoke-$$" &&
   "$linux_bin/korvex" snap shot.png "${shot[@]}" && "$linux_bin/korvex" snap shot.bmp "${shot[@]}" &&
   "$linux_bin/example_snapshot" example.png) >/dev/null 2>&1 || fail "the Linux tool or example failed"
  rm -f "/dev/shm/korvex-wine-smoke-$$.QUOREL_USBCAMERA"
  same_as_linux shot.png
  same_as_linux shot.bmp
  same_as_linux example.png
fi
[ "$smoke_failed" -eq 0 ] || { echo "korvex tool and examples FAILED"; status=1; }
echo "korvex tool and examples: $((SECONDS - t)) s"

# The DLL on its own driver path, against the test driver.
"$root/tools/windows/run-driver-tests.sh" "$linux" || status=1

# KorvexViewer.exe, worked through its windows on a virtual display.
"$root/programs/viewer/run-tests.sh" || status=1

wineserver -k 2>/dev/null || true
# The SDK's zip and installer, installed and used as a Windows developer does.
"$root/tools/windows/package-tests.sh" "$linux" || status=1
echo "Windows tests under Wine: $((SECONDS - start)) s"
exit $status
