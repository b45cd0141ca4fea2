"""The camera: one handle of the SDK, its parameters, snapshots and files.

Threads: a Camera is used by one thread at a time (the SDK serialises calls
on one camera, but a property read-modify-write such as :attr:`region` is
not atomic); a stream's frames may be taken on another thread.
"""

from __future__ import annotations

import atexit
import ctypes
import os
import threading
import time
import weakref
from pathlib import Path
from typing import Callable, List, NamedTuple, Optional, Tuple, Union

import numpy as np

from . import _library as lib
from ._params import (BAYER_MODE, BRIGHTNESS, CONTRAST, EXPOSURE, GAMMA, GLOBAL_GAIN,
                      GRAY_GAIN_B, GRAY_GAIN_G1, GRAY_GAIN_G2, GRAY_GAIN_R, GRAY_MODE,
                      GRAY_OFFSET_B, GRAY_OFFSET_G1, GRAY_OFFSET_G2, GRAY_OFFSET_R, HUE,
                      SATURATION, SHARPNESS, WB_AUTO, WB_BLUE, WB_GREEN, WB_RED, EnumParam,
                      FilterParam, FlagParam, check_int)
from .errors import CameraClosedError, drain, make_error, raise_for
from .modes import (AutoBrightness, ColorMode, GrayMode, buffer_size, check_layout, new_image,
                    shape_of)
from .registers import SensorRegisters, SerialRom
from .stream import Stream

PathLike = Union[str, "os.PathLike[str]"]

# Save formats by file extension (KORVEX_SAVE_*); JPEG picks its quality.
_FORMATS = {".bmp": 0, ".raw": 1, ".png": 5, ".tif": 6, ".tiff": 6}
_JPEG = {100: 2, 70: 3, 20: 4}  # quality: format
_MAX_REGION = 2560
_LONGEST_REAL_EXPOSURE_US = 122271
_open_cameras: "weakref.WeakSet[Camera]" = weakref.WeakSet()


class CameraEntry(NamedTuple):
    """A camera :func:`cameras` found: its slot and name."""

    index: int
    name: str


def _probe_handle() -> int:
    handle = lib.sdk.Korvex_Initialize(None)
    if handle == 0:
        raise make_error(0, "Korvex_Initialize", fallback="no camera object could be created")
    return handle


def cameras() -> List[CameraEntry]:
    """The cameras present, as ``Korvex_EnumDevice`` reports them: slot i holds
    the i-th camera found (the device numbers, when the cameras sit at 0
    upward). An empty list when none is present."""
    handle = _probe_handle()
    try:
        names = ctypes.create_string_buffer(32 * 256)
        count = lib.sdk.Korvex_EnumDevice(handle, names)
        drain(lambda: lib.sdk.Korvex_GetLastError(handle))
        raw = names.raw
        return [CameraEntry(i, raw[i * 256:(i + 1) * 256].split(b"\0", 1)[0].decode("ascii", "replace"))
                for i in range(count)]
    finally:
        lib.sdk.Korvex_Release(handle)


def dll_version() -> str:
    """The SDK's version as text, "1.168.5.31"."""
    v = lib.sdk.Korvex_GetDllVersion()
    return "%d.%d.%d.%d" % (v >> 24, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF)


def _wide(text: str) -> "ctypes.Array":
    """A NUL-terminated UTF-16 copy of ``text`` for the wide exports."""
    if lib.WINDOWS:
        return ctypes.create_unicode_buffer(text)
    units = text.encode("utf-16-le")
    array = (lib.WCHAR * (len(units) // 2 + 1))()
    ctypes.memmove(array, units, len(units))
    return array


class Camera:
    """An open camera: ``Korvex_Initialize`` and ``Korvex_SetDeviceNumber(index)``.

    Use it as a context manager or call :meth:`close`. Every failed call
    raises the :class:`~korvex.KorvexError` subclass of the code the camera
    recorded; values out of the SDK's ranges raise ValueError before any
    call."""

    def __init__(self, index: int = 0) -> None:
        self._handle = 0
        self._stream: Optional[Stream] = None
        self._late_snapshot: Optional[threading.Thread] = None
        self._lock = threading.Lock()
        self.index = check_int("index", index, 0, 31)
        handle = _probe_handle()
        # A handle comes back also without a camera; its history says why.
        codes = drain(lambda: lib.sdk.Korvex_GetLastError(handle))
        if codes:
            lib.sdk.Korvex_Release(handle)
            raise make_error(codes[0], "Korvex_Initialize", codes)
        self._handle = handle
        try:
            self._call("Korvex_SetDeviceNumber", self.index)
        except BaseException:
            self.close()
            raise
        _open_cameras.add(self)
        #: Sensor registers: ``cam.sensor_register[n]`` (0..255).
        self.sensor_register = SensorRegisters(self)
        #: Serial ROM identification bytes: ``cam.serial_rom[i]`` (0..255).
        self.serial_rom = SerialRom(self)

    # -- lifetime ------------------------------------------------------------

    def close(self) -> None:
        """Stops any stream and releases the camera; calling it again does nothing."""
        with self._lock:
            if self._handle == 0:
                return
            if self._stream is not None:
                self._stream.stop()
            # The handle must not be released under a snapshot that timed out
            # and still runs; the driver's transfer time-out bounds it.
            if self._late_snapshot is not None:
                self._late_snapshot.join()
            handle, self._handle = self._handle, 0
        lib.sdk.Korvex_Release(handle)
        _open_cameras.discard(self)

    @property
    def is_open(self) -> bool:
        """False once :meth:`close` has run."""
        return self._handle != 0

    def __enter__(self) -> "Camera":
        return self

    def __exit__(self, *exc_info: object) -> None:
        self.close()

    def __del__(self) -> None:
        try:
            self.close()
        except Exception:
            pass

    def __repr__(self) -> str:
        state = "open" if self.is_open else "closed"
        return f"<korvex.Camera index={self.index} {state}>"

    # -- calling the SDK -------------------------------------------------------

    def _check_open(self) -> None:
        if self._handle == 0:
            raise CameraClosedError("the camera is closed")

    def _call(self, name: str, *args: object, check: bool = True) -> int:
        """Calls export ``name`` with the handle first; raises when it returns 0."""
        self._check_open()
        result = getattr(lib.sdk, name)(self._handle, *args)
        if check and result == 0:
            self._fail(name)
        return result

    def _call_with_ok(self, name: str, *args: object) -> int:
        """Calls a getter that reports success through a trailing ``int*`` flag
        (its result may be any value); raises when the flag stays 0."""
        ok = ctypes.c_int(0)
        value = self._call(name, *args, ctypes.byref(ok), check=False)
        if not ok.value:
            self._fail(name)
        return value

    def _fail(self, name: str, fallback: str = "the call failed without an error code") -> None:
        raise_for(lambda: lib.sdk.Korvex_GetLastError(self._handle), name, fallback)

    def _clear_errors(self) -> Tuple[int, ...]:
        return drain(lambda: lib.sdk.Korvex_GetLastError(self._handle))

    def _raise_recorded(self, name: str) -> None:
        codes = self._clear_errors()
        if codes:
            raise make_error(codes[0], name, codes)

    # -- geometry and colour mode ------------------------------------------------

    @property
    def width(self) -> int:
        """Image width in pixels (the region's width)."""
        return self._call("Korvex_Width", check=False)

    @property
    def height(self) -> int:
        """Image height in rows (the region's height)."""
        return self._call("Korvex_Height", check=False)

    @property
    def shape(self) -> Tuple[int, ...]:
        """The shape :meth:`snap` returns for the current mode and size."""
        return shape_of(self.color_mode, self.width, self.height)

    @property
    def region(self) -> Tuple[int, int, int, int]:
        """Capture region ``(x, y, width, height)`` on the sensor; x + width and
        y + height at most 2560. Even offsets keep the colour mosaic's phase.
        Applied now when idle, else at the next start."""
        v = [ctypes.c_int(0) for _ in range(6)]
        self._call("Korvex_GetCaptureWindowEx", *[ctypes.byref(x) for x in v])
        _, ehs, eh, _, evs, ev = (x.value for x in v)
        return (ehs, evs, eh, ev)

    @region.setter
    def region(self, value: Tuple[int, int, int, int]) -> None:
        x, y, w, h = value
        x, y = check_int("x", x, 0, _MAX_REGION), check_int("y", y, 0, _MAX_REGION)
        w, h = check_int("width", w, 1, _MAX_REGION - x), check_int("height", h, 1, _MAX_REGION - y)
        v = [ctypes.c_int(0) for _ in range(6)]
        self._call("Korvex_GetCaptureWindowEx", *[ctypes.byref(t) for t in v])
        th, tv = v[0].value, v[3].value
        self._call("Korvex_SetCaptureWindowEx", th, x, w, tv, y, h)

    @property
    def size(self) -> Tuple[int, int]:
        """Image ``(width, height)``; setting it selects the stored size preset
        of that size (:class:`~korvex.WindowError` when there is none)."""
        return (self.width, self.height)

    @size.setter
    def size(self, value: Tuple[int, int]) -> None:
        w, h = value
        self._call("Korvex_SetCaptureWindow", check_int("width", w, 1, _MAX_REGION),
                   check_int("height", h, 1, _MAX_REGION))

    @property
    def subsample(self) -> int:
        """Sub-sampling mode; this model has only 0."""
        return self._call("Korvex_GetSubSample", check=False)

    @subsample.setter
    def subsample(self, value: int) -> None:
        self._call("Korvex_SetSubSample", check_int("subsample", value, 0, 0))

    @property
    def color_mode(self) -> ColorMode:
        """The :class:`ColorMode`; takes effect at the next start."""
        return ColorMode.from_reported(self._call("Korvex_GetColorMode", check=False))

    @color_mode.setter
    def color_mode(self, value: Union[ColorMode, int]) -> None:
        if isinstance(value, bool) or int(value) not in ColorMode.__members__.values():
            raise ValueError(f"color_mode must be one of 8, 16, 24, 32, 48, 64, not {value!r}")
        self._call("Korvex_SetColorMode", int(value))

    # -- analog and image parameters -----------------------------------------------

    gain = FilterParam(GLOBAL_GAIN, 0, 1023, "Global analog gain, written to the sensor at once")
    exposure = FilterParam(EXPOSURE, 0, 1014,
                           "Exposure in sensor lines, 1014 meaning 2028 lines")
    brightness = FilterParam(BRIGHTNESS, -255, 255, "Brightness offset")
    contrast = FilterParam(CONTRAST, -127, 127, "Contrast")
    hue = FilterParam(HUE, -360, 360, "Hue rotation in degrees")
    saturation = FilterParam(SATURATION, -255, 255, "Saturation")
    sharpness = FilterParam(SHARPNESS, 0, 30, "Sharpness")
    gamma = FilterParam(GAMMA, 0, 200, "Gamma in hundredths, 100 is linear")
    bayer_mode = FilterParam(BAYER_MODE, 0, 3, "Phase of the colour mosaic")
    wb_red = FilterParam(WB_RED, 0, 400, "White-balance gain of red in percent")
    wb_green = FilterParam(WB_GREEN, 0, 400, "White-balance gain of green in percent")
    wb_blue = FilterParam(WB_BLUE, 0, 400, "White-balance gain of blue in percent")
    auto_white_balance = FilterParam(WB_AUTO, 0, 1, "Automatic white balance on every frame",
                                     kind=bool)
    gray_mode = FilterParam(GRAY_MODE, 0, 2, "Gray filter, a GrayMode", kind=GrayMode)
    gray_gain_r = FilterParam(GRAY_GAIN_R, 0, 255, "Gray gain of the red sites")
    gray_gain_g1 = FilterParam(GRAY_GAIN_G1, 0, 255, "Gray gain of the first green sites")
    gray_gain_g2 = FilterParam(GRAY_GAIN_G2, 0, 255, "Gray gain of the second green sites")
    gray_gain_b = FilterParam(GRAY_GAIN_B, 0, 255, "Gray gain of the blue sites")
    gray_offset_r = FilterParam(GRAY_OFFSET_R, -255, 255, "Gray offset of the red sites")
    gray_offset_g1 = FilterParam(GRAY_OFFSET_G1, -255, 255, "Gray offset of the first green sites")
    gray_offset_g2 = FilterParam(GRAY_OFFSET_G2, -255, 255, "Gray offset of the second green sites")
    gray_offset_b = FilterParam(GRAY_OFFSET_B, -255, 255, "Gray offset of the blue sites")
    mirror_h = FlagParam("Korvex_SetMirrorH", "Korvex_GetMirrorH",
                         "Horizontal mirror, written to the sensor at once.")
    mirror_v = FlagParam("Korvex_SetMirrorV", "Korvex_GetMirrorV",
                         "Vertical mirror, written to the sensor at once.")
    auto_brightness = EnumParam("Korvex_SetAutoIris", "Korvex_GetAutoIris", AutoBrightness,
                                "Automatic brightness, an AutoBrightness.")

    @property
    def exposure_us(self) -> int:
        """Exposure as time in microseconds. Setting it selects 0..1013 lines
        (0..122271 us, truncated to whole lines); use :attr:`exposure` = 1014
        for the longest exposure."""
        return self._call_with_ok("Korvex_GetRealExposureTime")

    @exposure_us.setter
    def exposure_us(self, value: int) -> None:
        self._call("Korvex_SetRealExposureTime",
                   check_int("exposure_us", value, 0, _LONGEST_REAL_EXPOSURE_US))

    @property
    def wait_time(self) -> int:
        """Pause of the SDK's preview worker before each frame poll, in ms."""
        return self._call("Korvex_GetWaitTime", check=False)

    @wait_time.setter
    def wait_time(self, value: int) -> None:
        self._call("Korvex_SetWaitTime", check_int("wait_time", value, 0, 2**31 - 1))

    @property
    def io_port(self) -> int:
        """The camera's 8-bit general-purpose I/O port."""
        value = ctypes.c_ubyte(0)
        self._clear_errors()
        self._call("Korvex_GetIOPort", ctypes.byref(value), 0, 0)
        return value.value

    @io_port.setter
    def io_port(self, value: int) -> None:
        self._call("Korvex_SetIOPort", check_int("io_port", value, 0, 255))

    # -- frames ---------------------------------------------------------------

    def snap(self, timeout: Optional[float] = None, out: Optional[np.ndarray] = None) -> np.ndarray:
        """Takes one frame with ``Korvex_SnapShot`` and returns it as an array,
        top row first: (H, W) uint8 for GRAY8, (H, W) uint16 for GRAY16,
        (H, W, 3) uint8 BGR for BGR24, (H, W, 4) uint8 for BGRA32, (H, W, 3)
        uint16 for BGR48 and (H, W, 4) uint16 for BGRA64.

        The SDK writes straight into the array. ``out`` is filled instead of a
        new array; it must have exactly that shape and dtype, and rows of the
        SDK's stride (any array of that shape is right when a row's bytes are
        a multiple of 4). ``timeout`` (seconds) raises TimeoutError when the
        frame has not come by then; the snapshot then finishes on a helper
        thread within the driver's transfer time-out."""
        mode = self.color_mode
        width, height = self.width, self.height
        if out is None:
            out = new_image(mode, width, height)
        else:
            check_layout(out, mode, width, height)
        size = buffer_size(mode, width, height)
        if timeout is None:
            self._call("Korvex_SnapShot", out.ctypes.data, size, 1)
            return out
        return self._snap_with_timeout(out, size, timeout)

    def _snap_with_timeout(self, out: np.ndarray, size: int, timeout: float) -> np.ndarray:
        self._check_open()
        result: List[int] = []
        handle = self._handle

        def take() -> None:
            result.append(lib.sdk.Korvex_SnapShot(handle, out.ctypes.data, size, 1))

        helper = threading.Thread(target=take, name="korvex-snap", daemon=True)
        helper.start()
        helper.join(timeout)
        if helper.is_alive():
            self._late_snapshot = helper
            raise TimeoutError(f"no frame within {timeout} s")
        if not result[0]:
            self._fail("Korvex_SnapShot")
        return out

    def image(self, out: Optional[np.ndarray] = None) -> np.ndarray:
        """The camera's current output image (``Korvex_GetImage``), without
        waiting for a frame; shapes and ``out`` as :meth:`snap`."""
        mode = self.color_mode
        width, height = self.width, self.height
        if out is None:
            out = new_image(mode, width, height)
        else:
            check_layout(out, mode, width, height)
        self._call("Korvex_GetImage", out.ctypes.data, buffer_size(mode, width, height), 1)
        return out

    def stream(self, buffers: int = 8, strategy: str = "latest", trigger: bool = False,
               timeout: float = 6.0) -> Stream:
        """A :class:`~korvex.Stream` of frames, to use in a ``with`` block.

        ``buffers`` bounds the queue; ``strategy`` "latest" drops the oldest
        queued frame when the consumer is slow, "fifo" keeps them all and
        misses new ones instead. ``trigger=True`` takes one frame per trigger
        pulse (:meth:`trigger`) instead of streaming. Iterating waits up to
        ``timeout`` seconds a frame."""
        self._check_open()
        return Stream(self, buffers, strategy, trigger, timeout)

    def trigger(self) -> None:
        """One software trigger pulse for a triggered stream. The pulse goes
        to the simulated camera at this camera's index; this model has no
        software trigger command, so a real camera needs its trigger input."""
        self._check_open()
        from . import sim
        sim.trigger(self.index)

    # -- files ------------------------------------------------------------------

    def save(self, path: PathLike, quality: Optional[int] = None) -> None:
        """Saves the current output image (the last snapshot or streamed frame),
        in the format of the file's extension: .bmp, .raw, .png, .tif/.tiff,
        .jpg/.jpeg. JPEG takes ``quality`` 100, 70 or 20 (None: 100); JPEG
        needs GRAY8 or BGR24."""
        name = os.fspath(path)
        ext = os.path.splitext(name)[1].lower()
        if ext in (".jpg", ".jpeg"):
            q = 100 if quality is None else quality
            if q not in _JPEG:
                raise ValueError("JPEG quality must be 100, 70 or 20")
            fmt = _JPEG[q]
        elif ext in _FORMATS:
            if quality is not None:
                raise ValueError("quality is for JPEG files only")
            fmt = _FORMATS[ext]
        else:
            raise ValueError(f"unknown image file extension {ext!r}")
        self._clear_errors()
        if name.isascii():
            ok = self._call("Korvex_SaveImage", name.encode("ascii"), fmt, check=False)
            function = "Korvex_SaveImage"
        else:
            ok = self._call("Korvex_SaveImageW", _wide(name), fmt, check=False)
            function = "Korvex_SaveImageW"
        if not ok:
            self._fail(function, fallback=f"{name} could not be written")

    def record(self, path: PathLike, seconds: float,
               progress: Optional[Callable[[float, float], None]] = None) -> None:
        """Records an uncompressed 24-bit AVI file of ``seconds`` (from the first
        frame) and returns when it is finished. ``progress(elapsed, seconds)``
        is called about ten times a second meanwhile."""
        if isinstance(seconds, bool) or not 0 < float(seconds) <= 2**31 / 1000:
            raise ValueError("seconds must be a positive number")
        if self._stream is not None:
            raise RuntimeError("the camera is streaming")
        name = os.fspath(path)
        if not name:
            raise ValueError("the file name is empty")
        ms = int(round(float(seconds) * 1000))
        self._clear_errors()
        self._call("Korvex_SetPreviewWindow", None, 0, 0, 0, 0)
        if name.isascii():
            self._call("Korvex_Record", name.encode("ascii"), ms, 0)
        else:
            self._call("Korvex_RecordW", _wide(name), ms, 0)
        try:
            self._wait_recording(Path(name), float(seconds), progress)
        finally:
            # Stopping finishes the file (and ends a recording still running).
            self._call("Korvex_StopPreview", check=False)
            self._clear_errors()

    @staticmethod
    def _wait_recording(path: Path, seconds: float,
                        progress: Optional[Callable[[float, float], None]]) -> None:
        start = time.monotonic()
        while (elapsed := time.monotonic() - start) < seconds:
            if progress is not None:
                progress(elapsed, seconds)
            time.sleep(min(0.1, seconds - elapsed))
        # The recording counts from its first frame, which comes a little
        # after the start: wait until the file stops growing (a few seconds
        # at most) before stopping.
        last, steady, deadline = -1, 0, time.monotonic() + 6.0
        while steady < 3 and time.monotonic() < deadline:
            size = path.stat().st_size if path.exists() else -1
            steady = steady + 1 if size == last else 0
            last = size
            time.sleep(0.1)
        if progress is not None:
            progress(seconds, seconds)

    # -- dialogs ------------------------------------------------------------------

    def show_dialog(self, which: str = "camera") -> None:
        """Shows the SDK's modal property dialog "camera", "analog" or "image"
        and returns when it is closed (Windows)."""
        exports = {"camera": "Korvex_SetCameraDlg", "analog": "Korvex_SetAnalogDlg",
                   "image": "Korvex_SetImageDlg"}
        if which not in exports:
            raise ValueError("which must be 'camera', 'analog' or 'image'")
        if not lib.WINDOWS:
            raise NotImplementedError("the property dialogs are shown on Windows only")
        self._call(exports[which], None)


def _close_all() -> None:
    """Stops every camera still open as the interpreter exits, before the SDK unloads."""
    for camera in list(_open_cameras):
        camera.close()


atexit.register(_close_all)
