"""Loading the SDK's shared library and declaring the exports the package calls.

The library is looked for in this order, and the first one that loads wins:

1. next to the package: in the package folder (the wheels carry it there)
   or, for an installation by ``cmake --install``, in the prefix's ``lib``
   folder three levels above it;
2. the path in the environment variable ``KORVEX_SDK_LIBRARY``;
3. the system's search path (``LD_LIBRARY_PATH`` and the loader's cache on
   Linux, ``PATH`` and the system folders on Windows).

On Linux the host library (windows, messages and the simulated camera) is
loaded from the SDK library's folder, which is where the SDK itself finds it,
so both handles name one copy of it. On Windows the simulator's controls come
from ``korvexsim.dll`` next to the SDK, when it is there.
"""

from __future__ import annotations

import ctypes
import os
import sys
from ctypes import POINTER, c_char_p, c_int, c_uint, c_uint32, c_void_p
from pathlib import Path
from typing import List, Optional

WINDOWS = sys.platform == "win32"

if WINDOWS:
    SDK_NAME = "KorvexSdk_740K3_XLN.dll"
    SIM_NAME = "korvexsim.dll"
    _Loader = ctypes.WinDLL  # type: ignore[attr-defined]
else:
    SDK_NAME = "libKorvexSdk_740K3_XLN.so"
    SIM_NAME = "libkorvexhost.so"
    _Loader = ctypes.CDLL

#: The UTF-16 code unit of the wide exports (wchar_t on Windows, 16 bits on Linux).
WCHAR = ctypes.c_wchar if WINDOWS else ctypes.c_uint16

_PACKAGE_DIR = Path(__file__).resolve().parent


class FrameInfo(ctypes.Structure):
    """The 32-byte frame information record a frame notification points at."""

    _fields_ = [
        ("size", c_uint32),
        ("width", c_uint32),
        ("height", c_uint32),
        ("bitsPerPixel", c_uint32),
        ("frameRate", c_uint32),
        ("reserved", c_uint32),
        ("buffer", ctypes.c_uint64),
    ]


class CameraInfo(ctypes.Structure):
    """The 36-byte camera information record of ``Korvex_GetCameraInfo``."""

    _fields_ = [
        ("size", c_uint32),
        ("maxWidth", c_uint32),
        ("maxHeight", c_uint32),
        ("gainMin", c_uint32),
        ("gainMax", c_uint32),
        ("reserved1", c_uint32),
        ("reserved2", c_uint32),
        ("exposureMin", c_uint32),
        ("exposureMax", c_uint32),
    ]


_INT_P = POINTER(c_int)

# name: (result type, argument types). Every export takes the handle first
# except Korvex_Initialize and Korvex_GetDllVersion.
_EXPORTS = {
    "Korvex_Initialize": (c_uint32, [c_void_p]),
    "Korvex_Release": (c_int, [c_uint32]),
    "Korvex_SetDeviceNumber": (c_int, [c_uint32, c_int]),
    "Korvex_EnumDevice": (c_int, [c_uint32, c_char_p]),
    "Korvex_GetCameraInfo": (c_int, [c_uint32, POINTER(CameraInfo)]),
    "Korvex_GetLastError": (c_uint32, [c_uint32]),
    "Korvex_GetDllVersion": (c_uint32, []),
    "Korvex_CallBackPreview": (c_int, [c_uint32, c_void_p, c_void_p, c_int, c_int]),
    "Korvex_StopPreview": (c_int, [c_uint32]),
    "Korvex_Capture": (c_int, [c_uint32]),
    "Korvex_SnapShot": (c_int, [c_uint32, c_void_p, c_int, c_int]),
    "Korvex_GetImage": (c_int, [c_uint32, c_void_p, c_int, c_int]),
    "Korvex_Trigger": (c_int, [c_uint32, c_void_p, c_void_p, c_int, c_int]),
    "Korvex_GetRealExposureTime": (c_int, [c_uint32, _INT_P]),
    "Korvex_SetRealExposureTime": (c_int, [c_uint32, c_int]),
    "Korvex_SetPreviewWindow": (c_int, [c_uint32, c_void_p, c_int, c_int, c_int, c_int]),
    "Korvex_SetCaptureWindow": (c_int, [c_uint32, c_int, c_int]),
    "Korvex_SetCaptureWindowEx": (c_int, [c_uint32] + [c_int] * 6),
    "Korvex_GetCaptureWindowEx": (c_int, [c_uint32] + [_INT_P] * 6),
    "Korvex_SetFilterValue": (c_int, [c_uint32, c_int, c_int]),
    "Korvex_GetFilterValue": (c_int, [c_uint32, c_int, _INT_P]),
    "Korvex_Width": (c_int, [c_uint32]),
    "Korvex_Height": (c_int, [c_uint32]),
    "Korvex_SetColorMode": (c_int, [c_uint32, c_int]),
    "Korvex_GetColorMode": (c_int, [c_uint32]),
    "Korvex_SetSubSample": (c_int, [c_uint32, c_int]),
    "Korvex_GetSubSample": (c_int, [c_uint32]),
    "Korvex_SetWaitTime": (c_int, [c_uint32, c_int]),
    "Korvex_GetWaitTime": (c_int, [c_uint32]),
    "Korvex_SetMirrorH": (c_int, [c_uint32, c_int]),
    "Korvex_SetMirrorV": (c_int, [c_uint32, c_int]),
    "Korvex_GetMirrorH": (c_int, [c_uint32]),
    "Korvex_GetMirrorV": (c_int, [c_uint32]),
    "Korvex_SetAutoIris": (c_int, [c_uint32, c_uint]),
    "Korvex_GetAutoIris": (c_int, [c_uint32, _INT_P]),
    "Korvex_SetIOPort": (c_int, [c_uint32, c_int]),
    "Korvex_GetIOPort": (c_int, [c_uint32, POINTER(ctypes.c_ubyte), c_int, c_int]),
    "Korvex_ReadRegisterEx": (c_int, [c_uint32, c_int, _INT_P]),
    "Korvex_WriteRegisterEx": (c_int, [c_uint32, c_int, c_int]),
    "Korvex_ReadSromID": (c_int, [c_uint32, c_int, _INT_P]),
    "Korvex_WriteSromID": (c_int, [c_uint32, c_int, c_int]),
    "Korvex_SaveImage": (c_int, [c_uint32, c_char_p, c_int]),
    "Korvex_SaveImageW": (c_int, [c_uint32, POINTER(WCHAR), c_int]),
    "Korvex_Record": (c_int, [c_uint32, c_char_p, c_int, c_int]),
    "Korvex_RecordW": (c_int, [c_uint32, POINTER(WCHAR), c_int, c_int]),
    "Korvex_SetCameraDlg": (c_int, [c_uint32, c_void_p]),
    "Korvex_SetAnalogDlg": (c_int, [c_uint32, c_void_p]),
    "Korvex_SetImageDlg": (c_int, [c_uint32, c_void_p]),
}


class HostMessage(ctypes.Structure):
    """A message taken off a host library window (Linux)."""

    _fields_ = [
        ("window", c_void_p),
        ("message", c_uint32),
        ("wParam", ctypes.c_size_t),
        ("lParam", ctypes.c_ssize_t),
    ]


_HOST_EXPORTS = {
    "KorvexHost_CreateMessageWindow": (c_void_p, []),
    "KorvexHost_DestroyWindow": (c_int, [c_void_p]),
    "KorvexHost_GetMessage": (c_int, [c_void_p, POINTER(HostMessage), c_uint32]),
}

_SIM_EXPORTS = {
    "KorvexHost_SimReset": (None, []),
    "KorvexHost_SimPlug": (c_int, [c_int]),
    "KorvexHost_SimUnplug": (c_int, [c_int]),
    "KorvexHost_SimIsPlugged": (c_int, [c_int]),
    "KorvexHost_SimSetFault": (c_int, [c_int, c_int, c_int, c_int]),
    "KorvexHost_SimClearFaults": (None, [c_int]),
    "KorvexHost_SimTrigger": (c_int, [c_int]),
    "KorvexHost_SimSetFastPace": (None, [c_int]),
    "KorvexHost_SimSetRawFrame": (c_int, [c_int, c_void_p, ctypes.c_size_t]),
    "KorvexHost_SimFramesServed": (c_uint32, [c_int]),
    "KorvexHost_SimRenderFrame": (ctypes.c_size_t, [c_int, c_uint32, c_void_p, ctypes.c_size_t]),
}


def _declare(library: ctypes.CDLL, exports: dict) -> None:
    for name, (restype, argtypes) in exports.items():
        function = getattr(library, name)
        function.restype = restype
        function.argtypes = argtypes


_dll_folders: list = []


def _candidates() -> List[str]:
    places = [str(_PACKAGE_DIR / SDK_NAME)]
    if not WINDOWS:  # <prefix>/lib/python3/dist-packages/korvex -> <prefix>/lib
        places.append(str(_PACKAGE_DIR.parents[2] / SDK_NAME))
    env = os.environ.get("KORVEX_SDK_LIBRARY")
    if env:
        places.append(env)
    places.append(SDK_NAME)  # the system's search path
    return places


def _load_sdk() -> "tuple[ctypes.CDLL, str]":
    tried = []
    for place in _candidates():
        bare = os.sep not in place and "/" not in place
        if not bare and not os.path.isfile(place):
            tried.append(f"{place} (not found)")
            continue
        try:
            if WINDOWS and not bare:
                # The SDK loads korvexsim.dll from its own folder; other DLLs
                # it needs are system DLLs. The folder stays added while the
                # returned object lives.
                _dll_folders.append(os.add_dll_directory(  # type: ignore[attr-defined]
                    os.path.dirname(os.path.abspath(place))))
            library = _Loader(place)
        except OSError as error:
            tried.append(f"{place} ({error})")
            continue
        return library, _loaded_path(library, place)
    raise ImportError(
        "korvex: the SDK library %s could not be loaded; tried: %s" % (SDK_NAME, "; ".join(tried))
    )


def _loaded_path(library: ctypes.CDLL, fallback: str) -> str:
    """The file the loader actually mapped (a bare name resolves to a path)."""
    if WINDOWS:
        buffer = ctypes.create_unicode_buffer(1024)
        kernel32 = ctypes.WinDLL("kernel32", use_last_error=True)  # type: ignore[attr-defined]
        kernel32.GetModuleFileNameW.argtypes = [c_void_p, ctypes.c_wchar_p, c_uint32]
        if kernel32.GetModuleFileNameW(c_void_p(library._handle), buffer, 1024):
            return buffer.value
        return fallback
    try:
        with open("/proc/self/maps", encoding="utf-8", errors="replace") as maps:
            for line in maps:
                if line.rstrip().endswith("/" + SDK_NAME):
                    return line.split(None, 5)[5].strip()
    except OSError:
        pass
    return os.path.abspath(fallback) if os.path.exists(fallback) else fallback


def _load_companion(sdk_path: str) -> Optional[ctypes.CDLL]:
    """The host library (Linux) or korvexsim.dll (Windows), or None."""
    folder = os.path.dirname(sdk_path)
    for place in ([os.path.join(folder, SIM_NAME)] if folder else []) + [SIM_NAME]:
        try:
            return ctypes.CDLL(place)
        except OSError:
            continue
    return None


sdk, path = _load_sdk()
_declare(sdk, _EXPORTS)

companion = _load_companion(path)
host: Optional[ctypes.CDLL] = None
sim: Optional[ctypes.CDLL] = None
if companion is not None:
    if not WINDOWS:
        _declare(companion, _HOST_EXPORTS)
        host = companion
    try:
        _declare(companion, _SIM_EXPORTS)
        sim = companion
    except AttributeError:
        sim = None
if not WINDOWS and host is None:
    raise ImportError(f"korvex: the host library {SIM_NAME} next to {path} could not be loaded")
