#!/usr/bin/env bash
# Installs the test driver (build/windows/test-driver/korvex_test_driver.sys,
# a test fixture that serves the simulated cameras through the camera
# driver's interface) in a Wine prefix and starts it:
#
#   tools/windows/install-test-driver.sh PREFIX [CAMERAS]   install and start
#   tools/windows/install-test-driver.sh PREFIX stop        stop it
#
# CAMERAS (1 to 32, default 1) devices \\.\Kvrx740K3XLN-0 upward appear, so
# that programs in that prefix that run without KORVEX_SIMULATED_CAMERAS,
# the SDK's DLL among them, find cameras on the driver path. Wine unloads a
# driver when its last program ends, so the prefix's wine server is kept
# running (wineserver -p) until the matching stop, which stops the driver and
# ends the server; a server already running in the prefix is ended first. A
# fresh prefix is created when PREFIX does not exist.
# Output of Wine's own programs goes to PREFIX/korvex-test-driver.log.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
service=KorvexTestDriver
image="$root/build/windows/test-driver/korvex_test_driver.sys"

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 PREFIX [CAMERAS|stop]" >&2
  exit 2
fi
export WINEPREFIX="$(realpath -m "$1")"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
what="${2:-1}"
# The driver host inherits this environment: the simulator behind the driver
# must take its camera count from the service key alone.
unset KORVEX_SIMULATED_CAMERAS
log="$WINEPREFIX/korvex-test-driver.log"

# Every Wine program gets its own descriptors: the server and the service
# processes it starts live on, and must not hold the caller's output open.
quiet() { "$@" </dev/null >>"$log" 2>&1; }

if [ "$what" = stop ]; then
  [ -d "$WINEPREFIX" ] || exit 0
  quiet timeout 60 wine net stop "$service" || true
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  exit 0
fi
if ! [[ "$what" =~ ^[0-9]+$ ]] || [ "$what" -lt 1 ] || [ "$what" -gt 32 ]; then
  echo "CAMERAS must be a number from 1 to 32, not '$what'" >&2
  exit 2
fi
[ -f "$image" ] || { echo "no $image: run tools/build-windows.sh first" >&2; exit 1; }

mkdir -p "$WINEPREFIX"
: >"$log"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # A new prefix, on Wine's null graphics driver as the Windows suites use.
  quiet wineboot -i
  quiet wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
fi
# The server is started anew, persistent (which also gives the desktop the
# null driver); one left running in the prefix is ended first.
quiet wineserver -k || true
quiet wineserver -w || true
quiet wineserver -p
drivers="$WINEPREFIX/drive_c/windows/system32/drivers"
# A running copy is stopped first, so that the new image and count apply.
quiet timeout 60 wine net stop "$service" || true
cp "$image" "$drivers/korvex_test_driver.sys"
key="HKLM\\System\\CurrentControlSet\\Services\\$service"
if ! quiet wine sc query "$service"; then
  quiet wine sc create "$service" type= kernel start= demand \
    binpath= 'C:\windows\system32\drivers\korvex_test_driver.sys'
fi
quiet wine reg add "$key" /v Cameras /t REG_DWORD /d "$what" /f
if ! quiet timeout 60 wine net start "$service"; then
  echo "the test driver did not start; see $log" >&2
  exit 1
fi
echo "test driver running in $WINEPREFIX with $what camera(s); stop it with: $0 $1 stop"
