"""Streaming: order, the "latest" queue, stopping, unplugging, two cameras, triggers."""

import ctypes
import os
import threading
import time

import numpy as np
import pytest

import korvex

_host = ctypes.CDLL(os.path.join(os.path.dirname(korvex.library_path()), "libkorvexhost.so"))
_FRAME_SOURCE = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_uint32, ctypes.c_int,
                                 ctypes.c_void_p, ctypes.c_size_t)
_host.KorvexHost_SimSetFrameCallback.argtypes = [ctypes.c_int, _FRAME_SOURCE, ctypes.c_void_p]


def _stream_threads():
    return [t for t in threading.enumerate() if t.name.startswith("korvex")]


def _wait_for(condition, seconds=20.0):
    deadline = time.monotonic() + seconds
    while not condition():
        assert time.monotonic() < deadline, "condition not met in time"
        time.sleep(0.01)


@pytest.fixture
def numbered(cam):
    """Every raw frame filled with its frame number (below 256 for the first
    half minute, at the sensor's pace): in 8-bit gray the picture's pixels
    then carry that number."""
    def fill(user, number, word_mode, buffer, length):
        ctypes.memset(buffer, min(number, 255), length)

    source = _FRAME_SOURCE(fill)
    _host.KorvexHost_SimSetFrameCallback(0, source, None)
    cam.color_mode = korvex.ColorMode.GRAY8
    korvex.sim.set_fast_pace(False)
    yield cam
    _host.KorvexHost_SimSetFrameCallback(0, _FRAME_SOURCE(), None)


def _served_numbers(frames):
    """The raw frame numbers the pictures carry."""
    numbers = [int(frame.array[960, 1280]) for frame in frames]
    assert max(numbers) < 255
    return numbers


def test_frames_arrive_in_order_with_their_records(numbered):
    with numbered.stream(buffers=64, strategy="fifo") as frames:
        got = [frames.get(timeout=10) for _ in range(10)]
    served = _served_numbers(got)
    assert all(a < b for a, b in zip(served, served[1:])), served
    assert [f.number for f in got] == sorted({f.number for f in got})
    assert all(f.array.shape == (1920, 2560) and f.bits_per_pixel == 8 for f in got)
    assert (got[0].width, got[0].height) == (2560, 2008)


def test_latest_drops_the_oldest_and_counts_what_it_dropped(numbered):
    with numbered.stream(buffers=2, strategy="latest") as frames:
        first = frames.get(timeout=10)
        _wait_for(lambda: frames.dropped >= 3)  # a slow consumer
    kept = []
    while True:
        try:
            kept.append(frames.get(timeout=0))
        except RuntimeError:  # stopped and empty
            break
    assert 1 <= len(kept) <= 2
    # Every frame notified is accounted for: taken, dropped, kept, missed or failed.
    assert kept[-1].number == 1 + frames.dropped + len(kept) + frames.missed + frames.errors
    served = _served_numbers([first] + kept)
    assert served[-1] - served[0] >= frames.dropped  # the kept frames are the newest


def test_leaving_early_or_by_an_exception_stops_and_joins_every_thread(cam):
    with cam.stream() as frames:
        frames.get(timeout=10)
    assert _stream_threads() == []
    with pytest.raises(ZeroDivisionError):
        with cam.stream() as frames:
            frames.get(timeout=10)
            1 / 0
    assert _stream_threads() == []
    cam.snap()  # refused while the camera still streams


def test_an_unplugged_camera_ends_the_iteration_with_an_error(cam):
    with cam.stream(timeout=30) as frames:
        frames.get(timeout=10)
        korvex.sim.unplug(0)
        with pytest.raises(korvex.StreamEndedError):
            for _ in frames:
                pass
    assert _stream_threads() == []


def test_two_cameras_stream_at_once(cam):
    korvex.sim.plug(1)
    with korvex.Camera(1) as second:
        cam.color_mode = korvex.ColorMode.GRAY8
        second.color_mode = korvex.ColorMode.BGR24
        with cam.stream() as one, second.stream() as two:
            for _ in range(5):
                assert one.get(timeout=10).array.shape == (1920, 2560)
                assert two.get(timeout=10).array.shape == (1920, 2560, 3)
    assert _stream_threads() == []


def test_a_triggered_stream_takes_one_frame_per_pulse(cam):
    korvex.sim.set_fast_pace(False)
    with cam.stream(trigger=True) as frames:
        for _ in range(2):
            cam.trigger()
            frame = frames.get(timeout=10)
            assert frame.frame_rate == 0 and frame.array.shape == (1920, 2560, 3)
        assert np.array_equal(frame.array, cam.image())
