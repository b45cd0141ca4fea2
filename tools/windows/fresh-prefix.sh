#!/usr/bin/env bash
# Makes WINEPREFIX a new, empty Wine prefix for tests that need no display:
# the graphics driver is "null", so windows and dialogs work without one.
# The desktop process started by wineboot keeps the driver it started with,
# so this prefix's session is ended, and the next program starts on the
# null driver. Takes the caller's WINEDEBUG and WINEDLLOVERRIDES.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix to make}"
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
