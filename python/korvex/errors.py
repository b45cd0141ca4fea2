"""The SDK's error codes as Python exceptions.

A failed export leaves its reason in the camera's error history, newest
first; where one failure records two codes, the general one
(``KORVEX_ERR_NOT_POSSIBLE``) is the newer and the specific cause the older.
:func:`raise_for` reads the whole history right after the failure and raises
the exception of the oldest code it finds, the root cause, keeping all codes
in :attr:`KorvexError.codes`.
"""

from __future__ import annotations

from typing import Callable, Dict, Sequence, Tuple, Type

# code: (name, message), the descriptions of the public header.
CODES: Dict[int, Tuple[str, str]] = {
    1: ("KORVEX_ERR_NOT_POSSIBLE", "no device, wrong acquisition state, or nothing to work on yet"),
    2: ("KORVEX_ERR_DEVICE", "the selected camera is not present or another process streams from it"),
    3: ("KORVEX_ERR_WORKER", "the worker or recording thread could not be started"),
    4: ("KORVEX_ERR_WINDOW", "the preview window, or a stored size preset, is not available"),
    5: ("KORVEX_ERR_MEMORY", "out of memory, or the buffer is too small"),
    6: ("KORVEX_ERR_REFUSED", "the camera refused a register request, or streaming did not start"),
    7: ("KORVEX_ERR_GEOMETRY", "invalid capture geometry (size or position)"),
    8: ("KORVEX_ERR_FRAME", "a frame was not delivered"),
    9: ("KORVEX_ERR_ARGUMENT", "invalid argument"),
    10: ("KORVEX_ERR_RESERVED", "reserved code"),
    11: ("KORVEX_ERR_UNSUPPORTED", "not supported by this camera model"),
    12: ("KORVEX_ERR_FILE", "a file could not be opened, or the recording did not start"),
    13: ("KORVEX_ERR_STREAM_ENDED", "the stream ended (no frame for 6 seconds, or the camera went away)"),
}

KORVEX_ERR_NOT_POSSIBLE = 1
KORVEX_ERR_STREAM_ENDED = 13

#: Longest error history a camera keeps.
_HISTORY = 20


class KorvexError(Exception):
    """A failed SDK call: ``code`` (``KORVEX_ERR_*`` value, 0 when the SDK
    recorded none), its ``name``, a ``message`` and the export (``function``)
    that failed. ``codes`` holds every code the failure left, oldest first."""

    def __init__(self, code: int, name: str, message: str, function: str,
                 codes: Sequence[int] = ()) -> None:
        super().__init__(code, name, message, function)
        self.code = code
        self.name = name
        self.message = message
        self.function = function
        self.codes = tuple(codes) or ((code,) if code else ())

    def __str__(self) -> str:
        return f"{self.function} failed: {self.name} ({self.code}): {self.message}"


class NotPossibleError(KorvexError):
    """``KORVEX_ERR_NOT_POSSIBLE``: no device, wrong state, nothing to work on."""


class DeviceError(KorvexError):
    """``KORVEX_ERR_DEVICE``: the camera is not present or another process streams from it."""


class WorkerError(KorvexError):
    """``KORVEX_ERR_WORKER``: a worker or recording thread could not be started."""


class WindowError(KorvexError):
    """``KORVEX_ERR_WINDOW``: the preview window or a size preset is not available."""


class MemoryBufferError(KorvexError):
    """``KORVEX_ERR_MEMORY``: out of memory, or a buffer is too small."""


class RefusedError(KorvexError):
    """``KORVEX_ERR_REFUSED``: a register request was refused or streaming did not start."""


class GeometryError(KorvexError):
    """``KORVEX_ERR_GEOMETRY``: invalid capture geometry."""


class FrameError(KorvexError):
    """``KORVEX_ERR_FRAME``: a frame was not delivered."""


class ArgumentError(KorvexError):
    """``KORVEX_ERR_ARGUMENT``: an argument the SDK refused."""


class ReservedError(KorvexError):
    """``KORVEX_ERR_RESERVED``: never raised by the SDK."""


class UnsupportedError(KorvexError):
    """``KORVEX_ERR_UNSUPPORTED``: not supported by this camera model."""


class FileError(KorvexError):
    """``KORVEX_ERR_FILE``: a file could not be opened or a recording did not start."""


class StreamEndedError(KorvexError):
    """``KORVEX_ERR_STREAM_ENDED``: the stream ended (no frame for 6 s, or the camera went away)."""


class CameraClosedError(RuntimeError):
    """A :class:`korvex.Camera` was used after :meth:`~korvex.Camera.close`."""


ERROR_CLASSES: Dict[int, Type[KorvexError]] = {
    1: NotPossibleError, 2: DeviceError, 3: WorkerError, 4: WindowError, 5: MemoryBufferError,
    6: RefusedError, 7: GeometryError, 8: FrameError, 9: ArgumentError, 10: ReservedError,
    11: UnsupportedError, 12: FileError, 13: StreamEndedError,
}


def make_error(code: int, function: str, codes: Sequence[int] = (),
               fallback: str = "the call failed without an error code") -> KorvexError:
    """The exception for ``code`` raised by ``function``."""
    if code in CODES:
        name, message = CODES[code]
        return ERROR_CLASSES[code](code, name, message, function, codes)
    return KorvexError(code, "no error code" if code == 0 else f"unknown code {code}",
                       fallback, function, codes)


def drain(get_last_error: Callable[[], int]) -> Tuple[int, ...]:
    """Reads the camera's whole error history; returns the codes oldest first."""
    newest_first = []
    for _ in range(_HISTORY):
        code = int(get_last_error())
        if code == 0:
            break
        newest_first.append(code)
    return tuple(reversed(newest_first))


def raise_for(get_last_error: Callable[[], int], function: str,
              fallback: str = "the call failed without an error code") -> None:
    """Raises the error a failed ``function`` left in the history (its oldest code)."""
    codes = drain(get_last_error)
    raise make_error(codes[0] if codes else 0, function, codes, fallback)
