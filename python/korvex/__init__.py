"""korvex: the Korvex740K3-XLN camera SDK from Python, with numpy frames.

    import korvex
    with korvex.Camera(0) as cam:
        cam.color_mode = korvex.ColorMode.BGR24
        image = cam.snap()          # (1920, 2560, 3) uint8, BGR, top row first

A pure-Python package over the SDK's shared library (ctypes); see
docs/python.md. ``korvex.sim`` controls the simulated cameras.
"""

from __future__ import annotations

from . import _library
from .camera import Camera, CameraEntry, cameras, dll_version
from .errors import (ArgumentError, CameraClosedError, DeviceError, FileError, FrameError,
                     GeometryError, KorvexError, MemoryBufferError, NotPossibleError,
                     RefusedError, ReservedError, StreamEndedError, UnsupportedError,
                     WindowError, WorkerError)
from .modes import AutoBrightness, ColorMode, GrayMode
from .stream import Frame, Stream
from . import sim

__version__ = "1.168.5.31"


def library_path() -> str:
    """The path of the SDK library that was loaded."""
    return _library.path


__all__ = [
    "ArgumentError", "AutoBrightness", "Camera", "CameraClosedError", "CameraEntry", "ColorMode",
    "DeviceError", "FileError", "Frame", "FrameError", "GeometryError", "GrayMode", "KorvexError",
    "MemoryBufferError", "NotPossibleError", "RefusedError", "ReservedError", "Stream",
    "StreamEndedError", "UnsupportedError", "WindowError", "WorkerError", "cameras",
    "dll_version", "library_path", "sim",
]
