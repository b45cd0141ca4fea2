#!/usr/bin/env bash
# Builds and runs the whole test suite three times: a normal release build,
# one under AddressSanitizer + UndefinedBehaviorSanitizer and one under
# ThreadSanitizer. Fails on the first failure.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh"
jobs="$(nproc)"

run_suite() {  # name, extra cmake arguments...
  local name="$1"; shift
  local dir="$root/build/$name"
  echo "== $name build =="
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  local start=$SECONDS
  ninja -C "$dir" -j"$jobs" >/dev/null
  echo "built in $((SECONDS - start)) s"
  echo "== $name tests =="
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600)
}

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

run_suite release -DCMAKE_BUILD_TYPE=Release
# The sanitizer builds optimise lightly: they compile faster and still run
# the suite in seconds.
sanitized=(-DCMAKE_BUILD_TYPE=Sanitize "-DCMAKE_CXX_FLAGS_SANITIZE=-O1 -g1"
           "-DCMAKE_C_FLAGS_SANITIZE=-O1 -g1" -DKORVEX_BUILD_BENCH=OFF)
run_suite asan "${sanitized[@]}" -DKORVEX_SANITIZE=address,undefined
run_suite tsan "${sanitized[@]}" -DKORVEX_SANITIZE=thread
echo "all suites passed"
