#!/usr/bin/python3
"""The Python package against the C SDK, in one run, on the simulated camera
at the fast pace:

- streaming 24-bit frames: frames a second taken from korvex's stream, and
  frames a second the C live-preview example copies (example_live_preview,
  run with two frame counts so that its start-up cancels out); five rounds
  alternating, medians, since the machine's load varies;
- one snapshot: korvex's Camera.snap() (a new array each time) against the
  bare Korvex_SnapShot call into a buffer made once, alternating, medians.

Usage: bench_python.py [build folder, default build/release]
"""

import ctypes
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

root = Path(__file__).resolve().parents[2]
build = Path(sys.argv[1] if len(sys.argv) > 1 else root / "build" / "release").resolve()
os.environ["KORVEX_SDK_LIBRARY"] = str(build / "lib" / "libKorvexSdk_740K3_XLN.so")
scratch = tempfile.mkdtemp(prefix="korvex-bench-")
os.environ["XDG_CONFIG_HOME"] = scratch
os.environ["KORVEX_SHM_NAMESPACE"] = "korvex-bench-%d" % os.getpid()
sys.path.insert(0, str(root / "python"))

import korvex  # noqa: E402

STREAM_FRAMES = 300
WARM_UP = 20
SNAPS = 25


ROUNDS = 5
preload = Path(scratch) / "fast_pace_preload.so"
subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-I", str(root / "include"),
                str(Path(__file__).with_name("fast_pace_preload.c")), "-o", str(preload),
                "-L", str(build / "lib"), "-Wl,-rpath," + str(build / "lib"), "-lkorvexhost"],
               check=True)


def c_preview_fps():
    env = dict(os.environ, LD_PRELOAD=str(preload))

    def run(frames):
        start = time.perf_counter()
        subprocess.run([str(build / "bin" / "example_live_preview"), str(frames)], env=env,
                       check=True, stdout=subprocess.DEVNULL)
        return time.perf_counter() - start

    short, long = run(WARM_UP), run(WARM_UP + STREAM_FRAMES)
    return STREAM_FRAMES / (long - short)


def python_stream_fps():
    korvex.sim.reset()
    korvex.sim.set_fast_pace(True)
    with korvex.Camera(0) as cam:
        cam.color_mode = korvex.ColorMode.BGR24
        with cam.stream(buffers=8, strategy="fifo") as frames:
            for _ in range(WARM_UP):
                frames.get(timeout=10)
            start = time.perf_counter()
            for _ in range(STREAM_FRAMES):
                frames.get(timeout=10)
            return STREAM_FRAMES / (time.perf_counter() - start)


def snap_times():
    korvex.sim.reset()
    korvex.sim.set_fast_pace(True)
    sdk = ctypes.CDLL(korvex.library_path())
    sdk.Korvex_SnapShot.argtypes = [ctypes.c_uint32, ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
    with korvex.Camera(0) as cam:
        cam.color_mode = korvex.ColorMode.BGR24
        size = 1920 * 2560 * 3
        buffer = ctypes.create_string_buffer(size)
        py, c = [], []
        cam.snap()
        for _ in range(SNAPS):
            start = time.perf_counter()
            image = cam.snap()
            py.append(time.perf_counter() - start)
            start = time.perf_counter()
            ok = sdk.Korvex_SnapShot(cam._handle, buffer, size, 1)
            c.append(time.perf_counter() - start)
            assert ok == 1 and image.shape == (1920, 2560, 3)
        return statistics.median(py), statistics.median(c)


c_rates, py_rates = [], []
for _ in range(ROUNDS):
    c_rates.append(c_preview_fps())
    py_rates.append(python_stream_fps())
c_fps, py_fps = statistics.median(c_rates), statistics.median(py_rates)
py_snap, c_snap = snap_times()
print("streaming 24-bit, fast pace: korvex %s fps, C live-preview example %s fps" % (
    " / ".join("%.1f" % r for r in py_rates), " / ".join("%.1f" % r for r in c_rates)))
print(f"  medians: korvex {py_fps:.1f} fps, C {c_fps:.1f} fps: {100 * py_fps / c_fps:.1f} %")
shutil.rmtree(scratch, ignore_errors=True)
for leftover in Path("/dev/shm").glob(os.environ["KORVEX_SHM_NAMESPACE"] + ".*"):
    leftover.unlink()
print(f"snapshot 24-bit: korvex snap() {1000 * py_snap:.2f} ms, Korvex_SnapShot "
      f"{1000 * c_snap:.2f} ms (medians of {SNAPS}): ratio {py_snap / c_snap:.3f}")
