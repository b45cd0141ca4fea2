#!/usr/bin/env bash
# Builds the SDK and runs the example program against the shared library:
# it opens the (simulated) camera, reports on it and takes a colour snapshot.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$root/build/release" -j"$(nproc)" korvex_hello >/dev/null
# Writes the snapshot to build/snapshot.ppm unless told otherwise.
"$root/build/release/bin/korvex_hello" "${@:-$root/build/snapshot.ppm}"
