#!/usr/bin/env bash
# Tests KorvexViewer.exe (build/windows/bin) under Wine on a virtual X
# display (Xvfb), in a Wine prefix of its own (build/wine/viewer-prefix),
# driven by viewer_test.exe as a person would: keystrokes and clicks into
# the viewer's windows, screenshots from the screen. The screenshots and
# saved files stay in build/windows/viewer-tests for a reader to look at.
# With --measure, also prints the frame rates and CPU time at the
# simulator's fast pace (a measurement, not a test). Names of scenarios as
# arguments run those alone.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
bin="$root/build/windows/bin"
out="$root/build/windows/viewer-tests"
export WINEPREFIX="$root/build/wine/viewer-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
start=$SECONDS

# A display of our own: Xvfb picks a free number and tells it.
display_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -f "$display_file"
}
trap cleanup EXIT
for _ in $(seq 200); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -1 "$display_file")"

rm -rf "$WINEPREFIX" "$out"
mkdir -p "$WINEPREFIX" "$out"
wineboot -i >/dev/null 2>&1
echo "viewer: Wine prefix on display $DISPLAY ready in $((SECONDS - start)) s"

status=0
wout="$(winepath -w "$out")"
measure=0
only=()
for a in "$@"; do
  if [ "$a" = --measure ]; then measure=1; else only+=("$a"); fi
done
scenario() {  # NAME LOCALE
  if [ ${#only[@]} -gt 0 ] && [[ " ${only[*]} " != *" $1 "* ]]; then return; fi
  local t=$SECONDS log
  log="$(mktemp)"
  if (cd "$bin" && KORVEX_SIMULATED_CAMERAS=1 LC_ALL="$2" timeout 600 wine viewer_test.exe "$1" "$wout" \
        >"$log" 2>&1); then
    tr -d '\r' <"$log" | grep -v '^wine: ' || true
  else
    tr -d '\r' <"$log" | grep -v '^wine: ' | tail -20
    echo "viewer $1 FAILED"
    status=1
  fi
  rm -f "$log"
  echo "viewer $1: $((SECONDS - t)) s"
}
scenario bars en_US.UTF-8
scenario snapshot en_US.UTF-8
scenario gamma en_US.UTF-8
scenario record en_US.UTF-8
scenario first-run en_US.UTF-8
scenario unplug en_US.UTF-8
scenario japanese ja_JP.UTF-8
if [ "$measure" -eq 1 ]; then only=(measure); scenario measure en_US.UTF-8; fi
echo "viewer tests under Wine: $((SECONDS - start)) s (screenshots in $out)"
exit $status
