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
  ninja -C "$dir" -j"$jobs" >/dev/null
  echo "== $name tests =="
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600)
}

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

run_suite release -DCMAKE_BUILD_TYPE=Release
run_suite asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_SANITIZE=address,undefined -DKORVEX_BUILD_BENCH=OFF
run_suite tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_SANITIZE=thread -DKORVEX_BUILD_BENCH=OFF
echo "all suites passed"
