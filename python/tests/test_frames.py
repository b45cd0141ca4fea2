"""Snapshots: shapes, dtypes and the exact bytes of a direct Korvex_SnapShot call."""

import ctypes

import numpy as np
import pytest

import korvex

# The SDK's own entry point, declared here independently of the package.
_sdk = ctypes.CDLL(korvex.library_path())
_sdk.Korvex_SnapShot.argtypes = [ctypes.c_uint32, ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
_sdk.Korvex_SnapShot.restype = ctypes.c_int

# mode: (shape, dtype, bytes a pixel) at the full 2560 x 1920 image.
EXPECTED = {
    8: ((1920, 2560), np.uint8, 1),
    16: ((1920, 2560), np.uint16, 2),
    24: ((1920, 2560, 3), np.uint8, 3),
    32: ((1920, 2560, 4), np.uint8, 4),
    48: ((1920, 2560, 3), np.uint16, 6),
    64: ((1920, 2560, 4), np.uint16, 8),
}


def _raw_frame(deep):
    """A fixed random raw frame, so that both snapshots see the same picture."""
    rng = np.random.default_rng(7)
    if deep:
        return rng.integers(0, 1024, size=(2008, 2560), dtype=np.uint16)
    return rng.integers(0, 256, size=(2008, 2560), dtype=np.uint8)


def _direct_snapshot(cam, width, height, pixel_bytes):
    """Korvex_SnapShot into a plain buffer, top row first: rows of stride bytes."""
    stride = (width * pixel_bytes + 3) & ~3
    buffer = ctypes.create_string_buffer(stride * height)
    assert _sdk.Korvex_SnapShot(cam._handle, buffer, len(buffer), 1) == 1
    rows = np.frombuffer(buffer.raw, dtype=np.uint8).reshape(height, stride)
    return rows[:, :width * pixel_bytes]


@pytest.mark.parametrize("mode", sorted(EXPECTED))
def test_snap_gives_the_modes_shape_and_the_bytes_of_the_sdk(cam, mode):
    shape, dtype, pixel_bytes = EXPECTED[mode]
    cam.color_mode = mode
    korvex.sim.inject(0, _raw_frame(deep=mode in (16, 48, 64)))
    image = cam.snap()
    assert image.shape == shape and image.dtype == dtype
    direct = _direct_snapshot(cam, 2560, 1920, pixel_bytes)
    assert image.reshape(1920, -1).view(np.uint8).tobytes() == direct.tobytes()
    assert image.any()


def test_snap_of_a_region_with_padded_rows_matches_the_sdk_row_for_row(cam):
    # 1002 pixels of 3 bytes: rows of 3006 bytes padded to 3008.
    cam.color_mode = korvex.ColorMode.BGR24
    cam.region = (100, 40, 1002, 600)
    korvex.sim.inject(0, _raw_frame(deep=False))
    image = cam.snap()
    assert image.shape == (600, 1002, 3)
    direct = _direct_snapshot(cam, 1002, 600, 3)
    assert np.array_equal(image.reshape(600, -1), direct)


def test_snap_fills_a_matching_out_array_and_refuses_any_other(cam):
    cam.color_mode = korvex.ColorMode.GRAY16
    out = np.zeros((1920, 2560), dtype=np.uint16)
    assert cam.snap(out=out) is out
    assert out.any()
    for wrong in (np.zeros((1920, 2560), np.uint8),          # dtype
                  np.zeros((1920, 2559), np.uint16),         # shape
                  np.zeros((1920, 2560, 1), np.uint16),      # dimensions
                  np.zeros((2560, 1920), np.uint16).T,       # column order
                  np.zeros((1920, 5120), np.uint16)[:, ::2]):  # gaps between pixels
        with pytest.raises(ValueError):
            cam.snap(out=wrong)
    read_only = np.zeros((1920, 2560), np.uint16)
    read_only.flags.writeable = False
    with pytest.raises(ValueError):
        cam.snap(out=read_only)
    assert not read_only.any()


def test_save_writes_every_format_by_extension_and_non_ascii_names(cam, tmp_path):
    cam.color_mode = korvex.ColorMode.BGR24
    cam.snap()
    signatures = {"a.bmp": b"BM", "a.png": b"\x89PNG", "a.jpg": b"\xff\xd8",
                  "a.tif": b"II*\x00", "a.raw": None}
    for name, signature in signatures.items():
        cam.save(tmp_path / name)
        data = (tmp_path / name).read_bytes()
        assert data[:len(signature)] == signature if signature else len(data) == 1920 * 2560 * 3
    cam.save(str(tmp_path / "bild-äöü-日本.png"))
    assert (tmp_path / "bild-äöü-日本.png").read_bytes()[:4] == b"\x89PNG"
    with pytest.raises(ValueError):
        cam.save(tmp_path / "a.gif")
    with pytest.raises(korvex.KorvexError) as failure:
        cam.save(tmp_path / "missing-folder" / "a.png")
    assert "Korvex_SaveImage" in str(failure.value)


def test_record_writes_an_avi_and_reports_progress(cam, tmp_path):
    seen = []
    cam.record(tmp_path / "clip.avi", 0.5, progress=lambda done, total: seen.append(done))
    data = (tmp_path / "clip.avi").read_bytes()
    assert data[:4] == b"RIFF" and data[8:12] == b"AVI "
    assert seen[-1] == 0.5 and len(seen) >= 2
    cam.snap()  # the recording's preview has stopped: the camera is idle again
