"""Streaming frames into numpy arrays.

The SDK runs the live preview without a display window and posts a frame
notification to a window of this module for every processed frame; a pump
thread takes each notification and copies the newest image with
``Korvex_GetImage`` straight into a new array (a copy under the camera's
frame lock, so no frame is ever torn), then queues it. Notifications that
piled up while the pump was busy all stand for the same newest image, so the
pump takes one image for all of them and counts the rest as ``missed``.

The queue holds at most ``buffers`` frames. ``"latest"`` drops the oldest
queued frame when a new one comes to a full queue (counted in ``dropped``);
``"fifo"`` keeps every queued frame and makes the pump wait for room
(the camera's frames meanwhile are ``missed``).
"""

from __future__ import annotations

import collections
import threading
import time
from dataclasses import dataclass
from typing import TYPE_CHECKING, Deque, Iterator, Optional

import numpy as np

from . import _library as lib
from ._notify import KORVEX_WM_FRAME, NotifyWindow
from .errors import KORVEX_ERR_STREAM_ENDED, KorvexError, make_error
from .modes import buffer_size, new_image

if TYPE_CHECKING:
    from .camera import Camera

_POLL_MS = 50  # how soon the pump sees a stop


@dataclass(frozen=True)
class Frame:
    """One streamed frame: the image and the frame information record's fields."""

    array: np.ndarray
    """The image, top row first, in the colour mode's shape (see :meth:`Camera.snap`)."""
    number: int
    """Frames notified since the stream started, this one included (gaps are frames missed)."""
    timestamp: float
    """``time.monotonic()`` when the notification was taken."""
    width: int
    """Raw frame width of the record (2560)."""
    height: int
    """Raw frame height of the record (2008)."""
    bits_per_pixel: int
    """Bits per pixel of the colour mode."""
    frame_rate: float
    """The camera's measured rate in frames per second (0 in trigger mode)."""


class Stream:
    """A running acquisition; made by :meth:`korvex.Camera.stream`, used as a
    context manager. One consumer thread takes frames with :meth:`get` or by
    iterating; leaving the ``with`` block stops acquisition and joins the
    pump thread, also when the block raised."""

    def __init__(self, camera: "Camera", buffers: int = 8, strategy: str = "latest",
                 trigger: bool = False, timeout: float = 6.0) -> None:
        if strategy not in ("latest", "fifo"):
            raise ValueError("strategy must be 'latest' or 'fifo'")
        if isinstance(buffers, bool) or not isinstance(buffers, int) or buffers < 1:
            raise ValueError("buffers must be a positive int")
        self._camera = camera
        self.buffers = buffers
        self.strategy = strategy
        self.trigger = trigger
        self.timeout = timeout
        #: Frames dropped from a full queue ("latest").
        self.dropped = 0
        #: Frames the camera notified while the pump was behind (one image stood for them).
        self.missed = 0
        #: Frames the SDK reported as not delivered or not copied.
        self.errors = 0
        self._queue: Deque[Frame] = collections.deque()
        self._cond = threading.Condition()
        self._stop = False
        self._ended: Optional[KorvexError] = None
        self._thread: Optional[threading.Thread] = None
        self._window_ready = threading.Event()
        self._window: Optional[NotifyWindow] = None
        self._window_error: Optional[BaseException] = None
        self._running = False

    # -- starting and stopping --------------------------------------------

    def __enter__(self) -> "Stream":
        self.start()
        return self

    def __exit__(self, *exc_info: object) -> None:
        self.stop()

    def start(self) -> None:
        """Starts acquisition (the ``with`` statement calls it)."""
        cam = self._camera
        cam._check_open()
        if cam._stream is not None:
            raise RuntimeError("this camera is already streaming")
        self._mode = cam.color_mode
        self._width, self._height = cam.width, cam.height
        self._size = buffer_size(self._mode, self._width, self._height)
        self._thread = threading.Thread(target=self._pump, name="korvex-stream", daemon=True)
        self._thread.start()
        self._window_ready.wait()
        if self._window_error is not None:
            self._thread.join()
            raise self._window_error
        assert self._window is not None
        cam._clear_errors()
        try:
            cam._call("Korvex_SetPreviewWindow", None, 0, 0, 0, 0)
            start = "Korvex_Trigger" if self.trigger else "Korvex_CallBackPreview"
            cam._call(start, self._window.handle, None, 0, 1)
        except BaseException:
            self._shutdown()
            raise
        self._running = True
        cam._stream = self

    def stop(self) -> None:
        """Stops acquisition and joins the pump thread; safe to call twice."""
        if self._thread is None:
            return
        try:
            if self._running and self._camera.is_open:
                self._camera._call("Korvex_StopPreview", check=False)
                self._camera._clear_errors()
        finally:
            self._running = False
            self._camera._stream = None
            self._shutdown()

    def _shutdown(self) -> None:
        with self._cond:
            self._stop = True
            self._cond.notify_all()
        if self._thread is not None:
            self._thread.join()
            self._thread = None

    # -- taking frames -----------------------------------------------------

    def get(self, timeout: Optional[float] = 1.0) -> Frame:
        """The next frame; waits up to ``timeout`` seconds (None: no limit).

        Raises TimeoutError when none came, :class:`~korvex.StreamEndedError`
        when the camera went away or stopped delivering, and RuntimeError
        after the stream was stopped."""
        deadline = None if timeout is None else time.monotonic() + timeout
        with self._cond:
            while not self._queue:
                if self._ended is not None:
                    raise self._ended
                if self._stop:
                    raise RuntimeError("the stream is stopped")
                remaining = None if deadline is None else deadline - time.monotonic()
                if remaining is not None and remaining <= 0:
                    raise TimeoutError(f"no frame within {timeout} s")
                self._cond.wait(remaining)
            frame = self._queue.popleft()
            self._cond.notify_all()
            return frame

    def __iter__(self) -> Iterator[Frame]:
        """Frames until the block is left; each waits up to ``timeout`` seconds."""
        while True:
            yield self.get(self.timeout)

    # -- the pump thread -----------------------------------------------------

    def _pump(self) -> None:
        try:
            self._window = NotifyWindow()
        except BaseException as error:  # reported to start()
            self._window_error = error
            self._window_ready.set()
            return
        self._window_ready.set()
        try:
            self._pump_loop(self._window)
        finally:
            self._window.close()

    def _pump_loop(self, window: NotifyWindow) -> None:
        notified = 0
        while not self._stop:
            note = window.wait(_POLL_MS)
            if note is None or note[0] != KORVEX_WM_FRAME:
                continue
            info_address = note[1]
            ended = self._take_error(note)
            if ended:
                return
            if info_address == 0:
                continue
            notified += 1
            # Every notification still queued stands for the same newest image.
            while True:
                more = window.wait(0)
                if more is None:
                    break
                if more[0] != KORVEX_WM_FRAME:
                    continue
                if self._take_error(more):
                    return
                if more[1]:
                    notified += 1
                    self.missed += 1
            info = lib.FrameInfo.from_address(info_address)
            width, height, bits, rate = info.width, info.height, info.bitsPerPixel, info.frameRate
            array = new_image(self._mode, self._width, self._height)
            if not lib.sdk.Korvex_GetImage(self._camera._handle, array.ctypes.data, self._size, 1):
                self.errors += 1
                continue
            frame = Frame(array, notified, time.monotonic(), width, height, bits, rate / 10.0)
            self._put(frame)

    def _take_error(self, note: "tuple[int, int, int]") -> bool:
        """Counts a frame error notification; True when the stream has ended."""
        if note[1] != 0:
            return False
        if note[2] == KORVEX_ERR_STREAM_ENDED:
            with self._cond:
                self._ended = make_error(KORVEX_ERR_STREAM_ENDED, "Korvex_CallBackPreview")
                self._cond.notify_all()
            return True
        self.errors += 1
        return False

    def _put(self, frame: Frame) -> None:
        with self._cond:
            if self.strategy == "latest":
                if len(self._queue) >= self.buffers:
                    self._queue.popleft()
                    self.dropped += 1
            else:
                while len(self._queue) >= self.buffers and not self._stop:
                    self._cond.wait(_POLL_MS / 1000)
                if self._stop:
                    return
            self._queue.append(frame)
            self._cond.notify_all()


__all__ = ["Frame", "Stream"]
