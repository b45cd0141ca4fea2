"""Shared set-up: the simulated cameras at the fast pace, settings and the
camera ownership table kept apart from the user's (and from other runs)."""

import os
import shutil
import tempfile

# Before the package loads the SDK: the settings registry and the shared
# ownership table are read from these as the library starts.
_scratch = tempfile.mkdtemp(prefix="korvex-pytest-")
os.environ.setdefault("XDG_CONFIG_HOME", os.path.join(_scratch, "config"))
os.environ.setdefault("KORVEX_SHM_NAMESPACE", "korvex-pytest-%d" % os.getpid())
os.environ.setdefault("KORVEX_SIMULATED_CAMERAS", "1")

import pytest  # noqa: E402

import korvex  # noqa: E402


def fresh_simulator():
    """One fresh camera at index 0, and no settings stored by earlier tests
    (a camera stores its gains and filters when it is released)."""
    korvex.sim.reset()
    shutil.rmtree(os.path.join(os.environ["XDG_CONFIG_HOME"], "korvex"), ignore_errors=True)


@pytest.fixture
def cam():
    """Camera 0 of a freshly reset simulator, serving frames at the fast pace."""
    fresh_simulator()
    korvex.sim.set_fast_pace(True)
    with korvex.Camera(0) as camera:
        yield camera
    korvex.sim.reset()
