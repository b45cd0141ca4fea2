"""Colour modes and how an image of each lies in a numpy array.

The SDK holds an image as rows of ``width x bits / 8`` bytes, each padded to
a multiple of 4 bytes (the stride), top row first when asked with the
row-order argument 1, which is how every array of this package is filled.
Colour samples are in blue-green-red order; the deep modes (16, 48, 64)
hold 10-bit values in 16-bit little-endian words.
"""

from __future__ import annotations

import enum
from typing import Tuple

import numpy as np


class ColorMode(enum.IntEnum):
    """A colour mode by its bits per pixel, as ``Korvex_SetColorMode`` takes it."""

    GRAY8 = 8
    GRAY16 = 16
    BGR24 = 24
    BGRA32 = 32
    BGR48 = 48
    BGRA64 = 64

    @classmethod
    def from_reported(cls, significant_bits: int) -> "ColorMode":
        """The mode ``Korvex_GetColorMode`` reports as 8, 10, 24, 32, 42 or 58."""
        return cls(_REPORTED[significant_bits])

    @property
    def channels(self) -> int:
        """Samples a pixel: 1, 3 or 4."""
        return {8: 1, 16: 1, 24: 3, 32: 4, 48: 3, 64: 4}[int(self)]

    @property
    def dtype(self) -> np.dtype:
        """uint8 for the 8-bit-sample modes, uint16 for the deep ones."""
        return np.dtype(np.uint16) if self in (ColorMode.GRAY16, ColorMode.BGR48,
                                                ColorMode.BGRA64) else np.dtype(np.uint8)


_REPORTED = {8: 8, 10: 16, 24: 24, 32: 32, 42: 48, 58: 64}


class GrayMode(enum.IntEnum):
    """The gray filter: how the colour mosaic becomes the image."""

    BAYER = 0
    BAYER_CONVERT = 1
    GRAYSCALE = 2


class AutoBrightness(enum.IntEnum):
    """Automatic brightness: off, by exposure, or by global gain."""

    OFF = 0
    EXPOSURE = 1
    GAIN = 2


def shape_of(mode: ColorMode, width: int, height: int) -> Tuple[int, ...]:
    """The array shape of an image: (H, W) for gray, (H, W, channels) for colour."""
    return (height, width) if mode.channels == 1 else (height, width, mode.channels)


def stride_of(mode: ColorMode, width: int) -> int:
    """Bytes a row in the SDK's layout: the packed row rounded up to 4."""
    return (width * int(mode) // 8 + 3) & ~3


def new_image(mode: ColorMode, width: int, height: int) -> np.ndarray:
    """A new array the SDK can write an image of this mode and size straight into.

    When rows need no padding the array is contiguous; otherwise it is a view
    of a padded buffer (``array.base`` holds the whole buffer)."""
    stride = stride_of(mode, width)
    packed = width * int(mode) // 8
    if stride == packed:
        return np.empty(shape_of(mode, width, height), dtype=mode.dtype)
    buffer = np.empty((height, stride), dtype=np.uint8)
    return buffer[:, :packed].view(mode.dtype).reshape(shape_of(mode, width, height))


def check_layout(array: np.ndarray, mode: ColorMode, width: int, height: int) -> None:
    """Raises ValueError unless the SDK can write the image straight into ``array``."""
    want = shape_of(mode, width, height)
    if not isinstance(array, np.ndarray):
        raise TypeError("out must be a numpy array")
    if array.shape != want or array.dtype != mode.dtype:
        raise ValueError(f"out must have shape {want} and dtype {mode.dtype} for {mode.name} "
                         f"at {width} x {height}, not {array.shape} {array.dtype}")
    sample = mode.dtype.itemsize
    pixel = sample * mode.channels
    row_ok = array.strides[0] == stride_of(mode, width)
    inner_ok = array.strides[1] == pixel and (mode.channels == 1 or array.strides[2] == sample)
    if not (row_ok and inner_ok and array.flags.writeable and array.flags.aligned):
        raise ValueError("out must be writable with rows of %d bytes and packed pixels"
                         % stride_of(mode, width))


def buffer_size(mode: ColorMode, width: int, height: int) -> int:
    """Bytes the SDK writes for a whole image: height x stride."""
    return height * stride_of(mode, width)
