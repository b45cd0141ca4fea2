"""Gives the wheel the platform tag of the libraries it carries.

The package itself is pure Python, but a wheel built by build-wheel.sh
carries the SDK's shared libraries, so it is tagged for one platform:
KORVEX_WHEEL_PLATFORM (linux_x86_64 or win_amd64), any Python 3.
"""
import os

from setuptools import setup

try:
    from wheel.bdist_wheel import bdist_wheel
except ImportError:  # building an sdist only
    bdist_wheel = None

commands = {}
platform = os.environ.get("KORVEX_WHEEL_PLATFORM")
if bdist_wheel is not None and platform:

    class PlatformWheel(bdist_wheel):
        def finalize_options(self):
            super().finalize_options()
            self.root_is_pure = False

        def get_tag(self):
            return ("py3", "none", platform)

    commands["bdist_wheel"] = PlatformWheel

setup(cmdclass=commands)
