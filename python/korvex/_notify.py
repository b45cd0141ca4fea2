"""The window the SDK posts a stream's frame notifications to, and waiting on it.

On Linux it is a message window of the host library; on Windows a
message-only window of the calling thread, read through that thread's
message queue (no window procedure is needed: posted messages are taken off
the queue directly). Only the thread that opened the window may wait on it
and close it.
"""

from __future__ import annotations

import ctypes
from typing import Optional, Tuple

from . import _library as lib

KORVEX_WM_FRAME = 32770
KORVEX_WM_ERROR = 32771

#: (message, wParam, lParam)
Notification = Tuple[int, int, int]


if lib.WINDOWS:
    from ctypes import wintypes

    _user32 = ctypes.WinDLL("user32", use_last_error=True)  # type: ignore[attr-defined]
    _HWND_MESSAGE = wintypes.HWND(-3)
    _PM_REMOVE = 1
    _QS_ALLINPUT = 0x04FF
    _MWMO_INPUTAVAILABLE = 0x0004
    _user32.CreateWindowExW.restype = wintypes.HWND
    _user32.CreateWindowExW.argtypes = [wintypes.DWORD, wintypes.LPCWSTR, wintypes.LPCWSTR,
                                        wintypes.DWORD, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                        ctypes.c_int, wintypes.HWND, wintypes.HMENU,
                                        wintypes.HINSTANCE, wintypes.LPVOID]
    _user32.PeekMessageW.argtypes = [ctypes.POINTER(wintypes.MSG), wintypes.HWND, wintypes.UINT,
                                     wintypes.UINT, wintypes.UINT]
    _user32.MsgWaitForMultipleObjectsEx.argtypes = [wintypes.DWORD, ctypes.c_void_p,
                                                    wintypes.DWORD, wintypes.DWORD,
                                                    wintypes.DWORD]
    _user32.DestroyWindow.argtypes = [wintypes.HWND]
    _kernel32 = ctypes.WinDLL("kernel32")  # type: ignore[attr-defined]
    _kernel32.GetTickCount64.restype = ctypes.c_uint64

    class NotifyWindow:
        """A message-only window of a class the system registers ("Message",
        or the static control's where that is missing)."""

        def __init__(self) -> None:
            self.handle = None
            for window_class in ("Message", "STATIC"):
                self.handle = _user32.CreateWindowExW(0, window_class, "", 0, 0, 0, 0, 0,
                                                      _HWND_MESSAGE, None, None, None)
                if self.handle:
                    break
            if not self.handle:
                raise OSError(ctypes.get_last_error(), "cannot create the notification window")

        def wait(self, timeout_ms: int) -> Optional[Notification]:
            """The next notification, waiting up to timeout_ms; None when none came."""
            deadline = _kernel32.GetTickCount64() + timeout_ms
            message = wintypes.MSG()
            while True:
                # Only this window's messages are taken, from the first in
                # the queue on.
                if _user32.PeekMessageW(ctypes.byref(message), self.handle, 0, 0, _PM_REMOVE):
                    if message.message in (KORVEX_WM_FRAME, KORVEX_WM_ERROR):
                        return (message.message, message.wParam or 0, message.lParam or 0)
                    continue
                now = _kernel32.GetTickCount64()
                if now >= deadline:
                    return None
                _user32.MsgWaitForMultipleObjectsEx(0, None, int(deadline - now), _QS_ALLINPUT,
                                                    _MWMO_INPUTAVAILABLE)

        def close(self) -> None:
            """Destroys the window; messages still queued for it are discarded."""
            if self.handle:
                _user32.DestroyWindow(self.handle)
                self.handle = None

else:

    class NotifyWindow:  # type: ignore[no-redef]
        """A message window of the host library."""

        def __init__(self) -> None:
            assert lib.host is not None
            self._host = lib.host
            self.handle = self._host.KorvexHost_CreateMessageWindow()
            if not self.handle:
                raise OSError("cannot create the notification window")
            self._message = lib.HostMessage()

        def wait(self, timeout_ms: int) -> Optional[Notification]:
            """The next notification, waiting up to timeout_ms; None when none came."""
            m = self._message
            if not self._host.KorvexHost_GetMessage(self.handle, ctypes.byref(m), timeout_ms):
                return None
            return (m.message, m.wParam, m.lParam)

        def close(self) -> None:
            """Destroys the window; messages still queued for it are discarded."""
            if self.handle:
                self._host.KorvexHost_DestroyWindow(self.handle)
                self.handle = None
