#!/usr/bin/env bash
# Builds a korvex wheel carrying the SDK's libraries, with Debian's
# interpreter and python3-build (no network: --no-isolation).
#   build-wheel.sh linux   <folder of the .so files> <output folder>
#   build-wheel.sh windows <folder of the .dll files> <output folder>
# Prints the wheel's path.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
kind="$1" libs="$(cd "$2" && pwd)" out="$3"
case "$kind" in
  linux) platform=linux_x86_64 files=(libKorvexSdk_740K3_XLN.so libkorvexhost.so) ;;
  windows) platform=win_amd64 files=(KorvexSdk_740K3_XLN.dll korvexsim.dll) ;;
  *) echo "build-wheel.sh: linux or windows, not $kind" >&2; exit 2 ;;
esac
"$here/../tools/install-packages.sh" python3-build python3-wheel python3-setuptools
mkdir -p "$out"
out="$(cd "$out" && pwd)"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
# The sources are staged so that the libraries never land in the tree.
cp -r "$here/pyproject.toml" "$here/setup.py" "$here/README.md" "$stage/"
mkdir "$stage/korvex"
cp "$here"/korvex/*.py "$here/korvex/py.typed" "$stage/korvex/"
for f in "${files[@]}"; do cp "$libs/$f" "$stage/korvex/"; done
rm -f "$out"/korvex-*-"$platform".whl
(cd "$stage" && KORVEX_WHEEL_PLATFORM="$platform" /usr/bin/python3 -m build --wheel \
  --no-isolation --outdir "$out" . >"$stage/build.log" 2>&1) || { cat "$stage/build.log" >&2; exit 1; }
ls "$out"/korvex-*-"$platform".whl
