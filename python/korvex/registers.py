"""Register access for advanced users: the sensor's registers and the serial ROM.

Writing registers under the SDK's feet changes what it believes about the
sensor; prefer the camera's properties where one exists.
"""

from __future__ import annotations

from typing import Any

from ._params import check_int


class SensorRegisters:
    """``cam.sensor_register[n]`` reads and ``cam.sensor_register[n] = v``
    writes sensor register n (0..255, values 0..0xFFFF)."""

    def __init__(self, camera: Any) -> None:
        self._camera = camera

    def __getitem__(self, register: int) -> int:
        register = check_int("register", register, 0, 255)
        return int(self._camera._call_with_ok("Korvex_ReadRegisterEx", register))

    def __setitem__(self, register: int, value: int) -> None:
        register = check_int("register", register, 0, 255)
        self._camera._call("Korvex_WriteRegisterEx", register, check_int("value", value, 0, 0xFFFF))


class SerialRom:
    """``cam.serial_rom[i]`` reads and ``cam.serial_rom[i] = b`` writes byte i
    (0..255) of the serial ROM's identification area."""

    def __init__(self, camera: Any) -> None:
        self._camera = camera

    def __len__(self) -> int:
        return 256

    def __getitem__(self, index: int) -> int:
        index = check_int("index", index, 0, 255)
        # A failed read is only posted, not recorded: the flag tells.
        value = self._camera._call_with_ok("Korvex_ReadSromID", index)
        return int(value) & 0xFF

    def __setitem__(self, index: int, value: int) -> None:
        self._camera._call("Korvex_WriteSromID", check_int("index", index, 0, 255),
                           check_int("value", value, 0, 255))
