"""The simulated cameras' controls, for testing code without hardware.

Available when the host library (Linux) or ``korvexsim.dll`` next to the SDK
(Windows) is loaded; on Windows the SDK serves simulated cameras only when
the environment variable ``KORVEX_SIMULATED_CAMERAS`` (1 to 32) was set
before the package was imported. Cameras are addressed by device index
0..31. These calls act on the whole process's simulator.
"""

from __future__ import annotations

import ctypes
import enum
from typing import Optional

import numpy as np

from . import _library as lib
from ._params import check_int

#: Raw frame size the simulated camera serves: 2560 x 2008 samples.
FRAME_WIDTH, FRAME_LINES = 2560, 2008


class Fault(enum.IntEnum):
    """Faults a simulated camera can be told to have."""

    FAIL_TRANSFER = 1
    """A pipe transfer fails with no bytes."""
    SHORT_TRANSFER = 2
    """A pipe transfer succeeds with half the bytes."""
    FAIL_REGISTER_WRITE = 3
    """Sensor, controller and serial ROM writes are refused."""
    STALL_STREAM = 4
    """Frame transfers hang until the transfer time-out, then fail."""


def available() -> bool:
    """True when the simulator's controls are loaded."""
    return lib.sim is not None


def _sim() -> ctypes.CDLL:
    if lib.sim is None:
        raise RuntimeError(f"the simulator is not available ({lib.SIM_NAME} was not loaded)")
    return lib.sim


def _index(index: int) -> int:
    return check_int("index", index, 0, 31)


def reset() -> None:
    """Back to the start-up state: one fresh camera at index 0, no faults, no
    injected frames, normal pace."""
    _sim().KorvexHost_SimReset()


def plug(index: int) -> None:
    """Plugs a fresh camera in at ``index``; ValueError when one is there."""
    if not _sim().KorvexHost_SimPlug(_index(index)):
        raise ValueError(f"a camera is already plugged in at {index}")


def unplug(index: int) -> None:
    """Pulls the camera at ``index`` out; its handles fail from now on."""
    if not _sim().KorvexHost_SimUnplug(_index(index)):
        raise ValueError(f"no camera is plugged in at {index}")


def is_plugged(index: int) -> bool:
    """True while a camera is plugged in at ``index``."""
    return bool(_sim().KorvexHost_SimIsPlugged(_index(index)))


def set_fault(index: int, fault: Fault, count: int = 1, pipe: int = -1) -> None:
    """The next ``count`` matching requests fail (count < 0: all until cleared;
    0 clears). ``pipe`` narrows the transfer faults to one pipe (-1: any)."""
    if not _sim().KorvexHost_SimSetFault(_index(index), int(Fault(fault)), pipe, count):
        raise ValueError(f"no camera is plugged in at {index}")


def clear_faults(index: int) -> None:
    """Clears every fault of the camera at ``index``."""
    _sim().KorvexHost_SimClearFaults(_index(index))


def trigger(index: int) -> None:
    """One external trigger pulse to the camera at ``index``."""
    if not _sim().KorvexHost_SimTrigger(_index(index)):
        raise ValueError(f"no camera is plugged in at {index}")


def set_fast_pace(on: bool) -> None:
    """True: frames as fast as they can be copied; False: paced like the sensor."""
    _sim().KorvexHost_SimSetFastPace(1 if on else 0)


def inject(index: int, frame: Optional[np.ndarray]) -> None:
    """Serves ``frame`` (raw samples: uint8, or uint16 for the deep colour
    modes, at most 2008 x 2560) from the next frame on, byte for byte and
    zero-filled beyond its end; None returns to the synthetic scene."""
    if frame is None:
        ok = _sim().KorvexHost_SimSetRawFrame(_index(index), None, 0)
    else:
        if frame.dtype not in (np.uint8, np.uint16):
            raise TypeError("a raw frame holds uint8 or uint16 samples")
        if frame.size > FRAME_WIDTH * FRAME_LINES:
            raise ValueError("a raw frame holds at most 2560 x 2008 samples")
        data = np.ascontiguousarray(frame.astype(frame.dtype.newbyteorder("<"), copy=False))
        ok = _sim().KorvexHost_SimSetRawFrame(_index(index), data.ctypes.data, data.nbytes)
    if not ok:
        raise ValueError(f"no camera is plugged in at {index}")


def render(index: int, frame_number: int = 0, deep: bool = False) -> np.ndarray:
    """The raw frame the camera's synthetic scene gives for ``frame_number``,
    2008 x 2560 samples (uint16 when ``deep``)."""
    out = np.zeros((FRAME_LINES, FRAME_WIDTH), dtype=np.uint16 if deep else np.uint8)
    if not _sim().KorvexHost_SimRenderFrame(_index(index), frame_number, out.ctypes.data, out.nbytes):
        raise ValueError(f"no camera is plugged in at {index}")
    return out


def frames_served(index: int) -> int:
    """Frames the camera at ``index`` has served since it was plugged in."""
    return int(_sim().KorvexHost_SimFramesServed(_index(index)))
