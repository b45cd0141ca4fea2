"""The Linux wheel installs into a fresh virtual environment and works from there."""

import os
import subprocess
import venv

import pytest

WHEEL = os.environ.get("KORVEX_TEST_WHEEL")


@pytest.mark.skipif(not WHEEL, reason="KORVEX_TEST_WHEEL names no wheel (run-tests.sh builds one)")
def test_the_wheel_installs_into_a_fresh_environment_and_lists_cameras(tmp_path):
    env_dir = tmp_path / "env"
    # numpy comes from the system (Debian's python3-numpy): no package index here.
    venv.EnvBuilder(system_site_packages=True, with_pip=True).create(env_dir)
    python = str(env_dir / "bin" / "python")
    subprocess.run([python, "-m", "pip", "install", "-q", "--no-index", "--no-deps", WHEEL],
                   check=True)
    environment = {k: v for k, v in os.environ.items()
                   if k not in ("KORVEX_SDK_LIBRARY", "LD_LIBRARY_PATH", "PYTHONPATH")}
    environment["KORVEX_SIMULATED_CAMERAS"] = "2"
    script = ("import korvex; print(korvex.library_path()); "
              "print([c.name for c in korvex.cameras()])")
    result = subprocess.run([python, "-c", script], cwd=str(tmp_path), env=environment,
                            check=True, capture_output=True, text=True)
    library, names = result.stdout.splitlines()
    assert library.startswith(str(env_dir)) and library.endswith("libKorvexSdk_740K3_XLN.so")
    assert names == "['Korvex740K3-XLN_01', 'Korvex740K3-XLN_02']"
