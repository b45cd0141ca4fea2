#!/usr/bin/env bash
# Runs the Python package's tests with Debian's interpreter against the SDK
# of a Linux build folder (default build/release): builds the Linux wheel
# there first (python/build-wheel.sh), so that the tests also install it into
# a fresh virtual environment. Extra arguments go to pytest.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../build/release}" && pwd)"
shift || true
"$here/../tools/install-packages.sh" python3-numpy python3-pytest python3-build python3-wheel \
  python3-setuptools python3-venv
python=/usr/bin/python3

wheel="$("$here/build-wheel.sh" linux "$build/lib" "$build/python")"
work="$(mktemp -d)"
trap 'rm -rf "$work"; rm -f "/dev/shm/$KORVEX_SHM_NAMESPACE".*' EXIT
export KORVEX_SDK_LIBRARY="$build/lib/libKorvexSdk_740K3_XLN.so"
export KORVEX_TEST_WHEEL="$wheel"
export XDG_CONFIG_HOME="$work/config"
export KORVEX_SHM_NAMESPACE="korvex-python-$$"
export PYTHONDONTWRITEBYTECODE=1
cd "$here"
start=$SECONDS
# A hang would otherwise hold the whole test command; the suite takes well under a minute.
timeout -k 10 600 "$python" -m pytest -q -p no:cacheprovider tests "$@"
echo "python tests: $((SECONDS - start)) s"
