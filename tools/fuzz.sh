#!/usr/bin/env bash
# Builds the libFuzzer targets under fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (build/fuzz; being clang, the build also checks
# the locking rules and fails on a broken one) and runs each for a fixed time,
# starting from its seed corpus in fuzz/corpus. Fails when a target finds a
# crash, a leak, undefined behaviour, a hang or a broken property; the input
# that did it is left in build/fuzz/findings.
#
#   tools/fuzz.sh [--keep] [seconds per target, default 30] [target...]
#
# The test command runs each target for 20 s. For a longer run on demand
# give more seconds (tools/fuzz.sh --keep 1800); --keep merges what the run
# found that adds coverage into the target's corpus in fuzz/corpus, so that
# the next run starts from there (commit the new files).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
keep=0
if [ "${1:-}" = "--keep" ]; then
  keep=1
  shift
fi
seconds="${1:-30}"
shift || true
dir="$root/build/fuzz"
jobs="$(nproc)"

echo "== fuzz build =="
start=$SECONDS
CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Sanitize \
  "-DCMAKE_CXX_FLAGS_SANITIZE=-O1 -g1" "-DCMAKE_C_FLAGS_SANITIZE=-O1 -g1" \
  -DKORVEX_SANITIZE=address,undefined,fuzzer-no-link -DKORVEX_BUILD_TESTS=OFF \
  -DKORVEX_BUILD_BENCH=OFF -DKORVEX_BUILD_FUZZ=ON >/dev/null
ninja -C "$dir" -j"$jobs" fuzz_targets >/dev/null
echo "built in $((SECONDS - start)) s"

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(registry_file config_file names parameters)

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
findings="$dir/findings"
mkdir -p "$findings"

# One target: a fresh working corpus seeded from the tree, temporary files in
# a folder of its own. Prints one summary line; the log stays on failure.
run_target() {
  local name="$1" work="$dir/run/$1"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/tmp"
  local dict=()
  [ -f "$root/fuzz/$name.dict" ] && dict=(-dict="$root/fuzz/$name.dict")
  local status=0
  # The targets on the camera keep it across inputs, so an input that
  # changes the picture size leaves buffers for the next one to free: the
  # per-input leak check would run after most inputs, scanning the frame
  # buffers each time. Leaks still fail the run when the process ends.
  local leaks=1
  case "$name" in parameters|names) leaks=0 ;; esac
  # A fixed seed by default, so that a run of the test command explores the
  # same inputs each time; KORVEX_FUZZ_SEED=0 lets libFuzzer pick one.
  TMPDIR="$work/tmp" "$dir/bin/fuzz_$name" -seed="${KORVEX_FUZZ_SEED:-1}" \
    -max_total_time="$seconds" -timeout=25 -detect_leaks="$leaks" \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$findings/$name-" \
    "${dict[@]}" "$work/corpus" "$root/fuzz/corpus/$name" >"$work/log" 2>&1 &
  local pid=$!
  wait "$pid" || status=$?
  # A crashed run leaves its shared memory block behind.
  rm -f "/dev/shm/korvex-fuzz-$pid."*
  local runs
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/log" | grep -o '[0-9]*$' | tail -1 || echo '?')"
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$name: FAILED after $runs runs"
    grep -E 'fuzz check failed|ERROR:|SUMMARY|runtime error|Test unit written' "$work/log" | head -20
    echo "(log: $work/log)"
    return 1
  fi
  local kept=""
  if [ "$keep" -eq 1 ]; then
    local before
    before="$(ls "$root/fuzz/corpus/$name" | wc -l)"
    TMPDIR="$work/tmp" "$dir/bin/fuzz_$name" -merge=1 -detect_leaks="$leaks" -timeout=25 \
      "${dict[@]}" "$root/fuzz/corpus/$name" "$work/corpus" >"$work/merge.log" 2>&1 ||
      { echo "fuzz_$name: merging the corpus failed (log: $work/merge.log)"; return 1; }
    kept=", $(( $(ls "$root/fuzz/corpus/$name" | wc -l) - before )) inputs added to fuzz/corpus/$name"
  fi
  echo "fuzz_$name: $runs runs in ${seconds} s ($(( ${runs/\?/0} / seconds )) per second), no finding$kept"
}

echo "== fuzzing, ${seconds} s per target =="
# The targets run side by side, as many at once as there are processors.
failed=0
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || failed=1; done
  run_target "$target" &
done
while [ "$(jobs -rp | wc -l)" -gt 0 ]; do wait -n || failed=1; done
[ "$failed" -eq 0 ] || { echo "fuzzing found faults"; exit 1; }
echo "fuzzing passed"
