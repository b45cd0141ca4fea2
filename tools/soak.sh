#!/usr/bin/env bash
# A long run on two simulated cameras under AddressSanitizer and
# UndefinedBehaviorSanitizer (tools/korvex_soak.cpp): previews, snapshots,
# triggers, recordings, saves, parameter changes, unplugs and replugs from
# several threads. Not part of tools/test.sh.
#
#   tools/soak.sh [seconds, default 600]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh"
dir="$root/build/asan"  # the address build of tools/test.sh
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Sanitize "-DCMAKE_CXX_FLAGS_SANITIZE=-O1 -g1" \
  "-DCMAKE_C_FLAGS_SANITIZE=-O1 -g1" -DKORVEX_BUILD_BENCH=OFF -DKORVEX_SANITIZE=address,undefined >/dev/null
ninja -C "$dir" -j"$(nproc)" korvex_soak >/dev/null
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
exec "$dir/bin/korvex_soak" "${1:-600}"
