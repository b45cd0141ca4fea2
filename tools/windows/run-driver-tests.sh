#!/usr/bin/env bash
# The driver-path suite: installs the test driver (tests/windows/driver/)
# with three cameras in the Wine prefix build/wine/prefix, runs the DLL's
# suite korvex_driver_tests.exe against it WITHOUT KORVEX_SIMULATED_CAMERAS
# (so the DLL opens \\.\Kvrx740K3XLN-<n> and sends its control codes to the
# driver), then stops the driver. Given the Linux release build as $1 (e.g.
# build/release), the driver's traffic for a fixed scenario is compared with
# the Linux simulator's (korvex_linux_traffic_log); without it that case is
# skipped. Exit status 0 when the suite passed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
linux="${1:+$(cd "$1" && pwd)}"
prefix="$root/build/wine/prefix"
drivers="$root/build/windows/test-driver"
cameras=3
scenario_camera=2
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY KORVEX_SIMULATED_CAMERAS

start=$SECONDS
echo "== DLL on the driver path (test driver, $cameras cameras) =="
reference=""
if [ -n "$linux" ]; then
  reference="$drivers/linux-traffic.txt"
  scratch="$(mktemp -d)"
  if ! (cd "$scratch" && XDG_CONFIG_HOME="$scratch/config" KORVEX_SIMULATED_CAMERAS=$cameras \
        KORVEX_SHM_NAMESPACE="korvex-driver-traffic-$$" \
        "$linux/bin/korvex_linux_traffic_log" "$scenario_camera" >"$reference"); then
    echo "the Linux traffic scenario failed"
    rm -rf "$scratch"
    exit 1
  fi
  rm -rf "$scratch" "/dev/shm/korvex-driver-traffic-$$.QUOREL_USBCAMERA"
fi

"$root/tools/windows/install-test-driver.sh" "$prefix" "$cameras"
trap '"$root/tools/windows/install-test-driver.sh" "$prefix" stop' EXIT
log="$(mktemp)"
status=0
export WINEPREFIX="$prefix"
if (cd "$root/build/windows/bin" &&
    KORVEX_TEST_DRIVER_CAMERAS=$cameras KORVEX_LINUX_TRAFFIC_LOG="${reference:+Z:${reference//\//\\}}" \
      timeout 600 wine "$drivers/korvex_driver_tests.exe" </dev/null >"$log" 2>&1); then
  tr -d '\r' <"$log" | grep -E '^\[==========\] .* ran|^\[  PASSED  \]|^\[  SKIPPED \]' || true
else
  tr -d '\r' <"$log" | grep -vE '^\[ RUN|^\[       OK' | tail -60
  echo "DLL on the driver path FAILED"
  status=1
fi
rm -f "$log"
echo "DLL on the driver path: $((SECONDS - start)) s"
exit $status
