"""Parameters: each round-trips through the SDK; values out of range never reach it."""

import ctypes

import pytest

import korvex

_sdk = ctypes.CDLL(korvex.library_path())
_sdk.Korvex_GetLastError.argtypes = [ctypes.c_uint32]
_sdk.Korvex_GetLastError.restype = ctypes.c_uint32

# name: a value other than the camera's default, read back as set.
ROUND_TRIPS = {
    "gain": 700, "exposure": 321, "brightness": -40, "contrast": 25, "hue": -90,
    "saturation": 60, "sharpness": 12, "gamma": 160, "bayer_mode": 3, "wb_red": 250,
    "wb_green": 90, "wb_blue": 310, "auto_white_balance": True,
    "gray_mode": korvex.GrayMode.GRAYSCALE, "gray_gain_r": 17, "gray_gain_g1": 18,
    "gray_gain_g2": 19, "gray_gain_b": 20, "gray_offset_r": -21, "gray_offset_g1": 22,
    "gray_offset_g2": -23, "gray_offset_b": 24, "mirror_h": True, "mirror_v": True,
    "auto_brightness": korvex.AutoBrightness.GAIN, "wait_time": 3,
    "color_mode": korvex.ColorMode.BGR48, "region": (64, 32, 1280, 960),
    "subsample": 0, "io_port": 0xA5,
}

# name: values just outside the documented range, or of the wrong type.
OUT_OF_RANGE = {
    "gain": (-1, 1024), "exposure": (-1, 1015), "exposure_us": (-1, 122272),
    "brightness": (-256, 256), "contrast": (-128, 128), "hue": (-361, 361),
    "saturation": (-256, 256), "sharpness": (-1, 31), "gamma": (-1, 201), "bayer_mode": (4,),
    "wb_red": (-1, 401), "wb_green": (401,), "wb_blue": (401,), "gray_mode": (3,),
    "gray_gain_r": (256,), "gray_gain_b": (-1,), "gray_offset_g1": (-256, 256),
    "auto_brightness": (3,), "wait_time": (-1,), "color_mode": (12, 0), "subsample": (1,),
    "region": ((0, 0, 2561, 10), (2000, 0, 561, 10), (0, 0, 0, 10)), "io_port": (256,),
    "auto_white_balance": (2,), "mirror_h": (2,),
}


def test_every_parameter_round_trips(cam):
    for name, value in ROUND_TRIPS.items():
        setattr(cam, name, value)
    for name, value in ROUND_TRIPS.items():
        got = getattr(cam, name)
        assert got == value and type(got) is type(value), name
    assert cam.size == (1280, 960)
    # 12119 us is 100 lines: (100 x 2894 + 1480) clocks of 1/24 us.
    cam.exposure_us = 12119
    assert cam.exposure == 100 and cam.exposure_us == 12119


def test_out_of_range_values_raise_before_any_call(cam):
    for name, values in OUT_OF_RANGE.items():
        before = getattr(cam, name)
        for value in values:
            with pytest.raises(ValueError):
                setattr(cam, name, value)
        assert getattr(cam, name) == before, name
    for name, value in (("gain", 1.5), ("gamma", "100"), ("mirror_v", None)):
        with pytest.raises(TypeError):
            setattr(cam, name, value)
    # The SDK would have recorded KORVEX_ERR_ARGUMENT for a value it refused.
    assert _sdk.Korvex_GetLastError(cam._handle) == 0


def test_a_closed_camera_raises_and_closing_twice_is_harmless(cam):
    camera = korvex.Camera(0)
    camera.gain = 5
    camera.close()
    camera.close()
    for use in (lambda: camera.gain, lambda: camera.snap(), lambda: camera.stream(),
                lambda: setattr(camera, "gain", 5), lambda: camera.sensor_register[3]):
        with pytest.raises(korvex.CameraClosedError):
            use()


def test_registers_and_serial_rom(cam):
    cam.sensor_register[0x35] = 0x123
    assert cam.sensor_register[0x35] == 0x123
    cam.serial_rom[7] = 0x5A
    assert cam.serial_rom[7] == 0x5A
    with pytest.raises(ValueError):
        cam.sensor_register[256]
    with pytest.raises(ValueError):
        cam.serial_rom[3] = 256
