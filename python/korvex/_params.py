"""Typed camera parameters: each is a data descriptor on :class:`korvex.Camera`.

A value is checked against the SDK's range before any call, so an
out-of-range value raises ValueError (a value of the wrong type TypeError)
and leaves the camera untouched; a call that fails anyway raises the
:class:`~korvex.KorvexError` the camera recorded.
"""

from __future__ import annotations

import enum
import operator
from typing import Any, Callable, Optional, Type

# The image parameters' identifiers of Korvex_SetFilterValue.
BRIGHTNESS, CONTRAST, HUE, SATURATION, SHARPNESS = 1, 2, 3, 4, 5
WB_RED, WB_GREEN, WB_BLUE, WB_AUTO = 7, 8, 9, 10
GAMMA, BAYER_MODE, GLOBAL_GAIN, EXPOSURE, GRAY_MODE = 11, 12, 13, 18, 19
GRAY_GAIN_R, GRAY_GAIN_G1, GRAY_GAIN_G2, GRAY_GAIN_B = 20, 21, 22, 23
GRAY_OFFSET_R, GRAY_OFFSET_G1, GRAY_OFFSET_G2, GRAY_OFFSET_B = 24, 25, 26, 27


def check_int(name: str, value: Any, low: int, high: int) -> int:
    """``value`` as an int in low..high, or TypeError / ValueError."""
    if isinstance(value, bool):
        raise TypeError(f"{name} must be an int, not a bool")
    try:
        value = operator.index(value)  # ints, numpy integers, IntEnums; not floats
    except TypeError:
        raise TypeError(f"{name} must be an int, not {type(value).__name__}") from None
    if not low <= value <= high:
        raise ValueError(f"{name} must be in {low}..{high}, not {value}")
    return value


class FilterParam:
    """An image parameter read and written by identifier (Korvex_Set/GetFilterValue)."""

    def __init__(self, ident: int, low: int, high: int, doc: str,
                 kind: Optional[Callable[[int], Any]] = None) -> None:
        self.ident, self.low, self.high, self.kind = ident, low, high, kind
        self.__doc__ = f"{doc} ({low}..{high})."
        self.name = ""

    def __set_name__(self, owner: type, name: str) -> None:
        self.name = name

    def __get__(self, camera: Any, owner: Optional[type] = None) -> Any:
        if camera is None:
            return self
        value = camera._call_with_ok("Korvex_GetFilterValue", self.ident)
        return self.kind(value) if self.kind else value

    def __set__(self, camera: Any, value: Any) -> None:
        if self.kind is bool:
            value = int(check_bool(self.name, value))
        else:
            value = check_int(self.name, value, self.low, self.high)
        camera._call("Korvex_SetFilterValue", self.ident, value)


def check_bool(name: str, value: Any) -> bool:
    """``value`` as a bool (True, False, 1 or 0); TypeError for a non-int,
    ValueError for another int."""
    if isinstance(value, bool):
        return value
    if not isinstance(value, int):
        raise TypeError(f"{name} must be a bool, not {type(value).__name__}")
    if value not in (0, 1):
        raise ValueError(f"{name} must be True or False, not {value}")
    return bool(value)


class FlagParam:
    """A switch with its own setter and getter exports (the mirrors)."""

    def __init__(self, setter: str, getter: str, doc: str) -> None:
        self.setter, self.getter = setter, getter
        self.__doc__ = doc
        self.name = ""

    def __set_name__(self, owner: type, name: str) -> None:
        self.name = name

    def __get__(self, camera: Any, owner: Optional[type] = None) -> Any:
        if camera is None:
            return self
        camera._check_open()
        # The getters answer 0 both for "off" and for a failure, so the error
        # history tells them apart.
        camera._clear_errors()
        value = camera._call(self.getter, check=False)
        camera._raise_recorded(self.getter)
        return bool(value)

    def __set__(self, camera: Any, value: Any) -> None:
        camera._call(self.setter, int(check_bool(self.name, value)))


class EnumParam:
    """A parameter with its own setter and an ``ok`` getter, typed by an IntEnum."""

    def __init__(self, setter: str, getter: str, kind: Type[enum.IntEnum], doc: str) -> None:
        self.setter, self.getter, self.kind = setter, getter, kind
        self.__doc__ = doc
        self.name = ""

    def __set_name__(self, owner: type, name: str) -> None:
        self.name = name

    def __get__(self, camera: Any, owner: Optional[type] = None) -> Any:
        if camera is None:
            return self
        return self.kind(camera._call_with_ok(self.getter))

    def __set__(self, camera: Any, value: Any) -> None:
        low, high = min(self.kind), max(self.kind)
        camera._call(self.setter, check_int(self.name, value, low, high))
