#!/usr/bin/env bash
# Runs the converter and pipeline benchmarks of the Linux library and of the
# Windows build (under Wine) one after the other on this machine, and prints
# each figure beside the memcpy of the 24-bit picture of the same run, and
# the Windows figure as a ratio to the Linux one. KORVEX_BENCH_RUNS (3)
# pairs of runs alternate between the two; each figure is the median of its
# runs, so that a slow spell of the machine does not decide a ratio.
#   bench/compare-windows.sh [benchmark filter]
# Installs the packages and builds what is missing: build/release (Linux),
# build/windows-bench (the Windows benchmark, with Google Benchmark from
# bench/windows/build-benchmark.sh).
# Benchmarks need a quiet machine: the load average is printed with the results.
# On a virtual machine one process may run all its memory-bound work 1.5 times
# slower than the next process of the same program (its memory lands
# elsewhere); the best-of-runs column is the figure that such a process does
# not move, the median the one a slow spell of the whole machine does not.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh"
"$root/tools/install-packages.sh" g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 \
  dpkg-dev nasm
filter="${1:-BM_Memcpy24|BM_Demosaic|BM_ColourMode2AllStages|BM_ProcessFrame}"
min_time="${KORVEX_BENCH_MIN_TIME:-0.5}"
runs="${KORVEX_BENCH_RUNS:-3}"

linux="$root/build/release"
cmake -S "$root" -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$linux" korvex_bench >/dev/null

windows="$root/build/windows-bench"
deps="$("$root/tools/windows/build-deps.sh")"
benchmark="$("$root/bench/windows/build-benchmark.sh")"
cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKORVEX_WINDOWS_DEPS="$deps" -DKORVEX_BUILD_TESTS=OFF \
  -DKORVEX_BUILD_BENCH=ON -DKORVEX_WINDOWS_BENCHMARK="$benchmark" >/dev/null
ninja -C "$windows" korvex_bench >/dev/null

export WINEPREFIX="$root/build/wine/bench-prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || { mkdir -p "$WINEPREFIX"; wineboot -i >/dev/null 2>&1; }

out="$root/build/bench-compare"
mkdir -p "$out"
echo "load before: $(uptime)"
linux_runs=() windows_runs=()
for run in $(seq "$runs"); do
  "$linux/bin/korvex_bench" --benchmark_filter="$filter" --benchmark_min_time="$min_time" \
    --benchmark_format=json >"$out/linux-$run.json" 2>/dev/null
  (cd "$windows/bin" && wine ./korvex_bench.exe --benchmark_filter="$filter" \
    --benchmark_min_time="$min_time" --benchmark_format=json) >"$out/windows-$run.json" 2>/dev/null
  linux_runs+=("$out/linux-$run.json")
  windows_runs+=("$out/windows-$run.json")
done
echo "load after:  $(uptime)"
python3 "$root/bench/compare_runs.py" "$(IFS=,; echo "${linux_runs[*]}")" "$(IFS=,; echo "${windows_runs[*]}")"
