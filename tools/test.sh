#!/usr/bin/env bash
# Builds and runs the whole test suite three times: a normal release build,
# one under AddressSanitizer + UndefinedBehaviorSanitizer and one under
# ThreadSanitizer; builds the Windows DLL meanwhile (tools/build-windows.sh)
# and then runs its suites under Wine (tools/windows/run-tests.sh), comparing
# its saved files with the release build's; then runs the fuzz targets
# (tools/fuzz.sh).
# Fails on the first failure.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh"
jobs="$(nproc)"

# The Windows DLL is cross-built in the background at the lowest priority
# while the Linux suites build and run, so it takes the processor time they
# leave (their tests mostly wait on cameras and timers). It runs in a
# session of its own, ended with the script.
mkdir -p "$root/build"
windows_log="$root/build/windows-build.log"
setsid nice -n 19 "$root/tools/build-windows.sh" >"$windows_log" 2>&1 &
windows_build=$!
trap 'kill -- -"$windows_build" 2>/dev/null || true' EXIT

run_suite() {  # name, ctest selection, extra cmake arguments...
  local name="$1" selection="$2"; shift 2
  local dir="$root/build/$name"
  echo "== $name build =="
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  local start=$SECONDS
  ninja -C "$dir" -j"$jobs" >/dev/null
  echo "built in $((SECONDS - start)) s"
  echo "== $name tests =="
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600 ${selection:+-R "$selection"})
}

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

# The suites whose code runs on several threads (streaming, capture workers,
# the registry and shared memory across threads and processes, concurrent
# converters); ThreadSanitizer runs these. Add a suite here when it starts
# threads of its own.
threaded='^(HandleRegistry|ErrorHistory|ErrorNotification|FrameEngineTest|SimCameraTest|TransportTest|RegistersTest|ModelTest|Capture|CaptureStart|Endurance|PreviewWindow|Recording|TornFrames|FaultMatrix|FaultMatrixUnplugBeforeStart|FullDisk|HostWindows|HostRegistry|SettingsRegistry|HostSharedMemory|HostProcess|OwnershipTable|ConverterHueSaturation|StripePool|PipelineStripes|PipelineThreads|HostDialogs|AnalogDialog|ImageDialog|CameraDialog|LogTest|DialogSeam)\.'

run_suite release "" -DCMAKE_BUILD_TYPE=Release
"$root/python/run-tests.sh" "$root/build/release"  # the Python package and its Linux wheel
# The sanitizer builds optimise lightly: they compile faster and still run
# the suite in seconds.
sanitized=(-DCMAKE_BUILD_TYPE=Sanitize "-DCMAKE_CXX_FLAGS_SANITIZE=-O1 -g1"
           "-DCMAKE_C_FLAGS_SANITIZE=-O1 -g1" -DKORVEX_BUILD_BENCH=OFF)
run_suite asan "" "${sanitized[@]}" -DKORVEX_SANITIZE=address,undefined
run_suite tsan "$threaded" "${sanitized[@]}" -DKORVEX_SANITIZE=thread
# The Windows DLL and its suites under Wine.
echo "== windows build =="
if ! wait "$windows_build"; then
  cat "$windows_log"
  echo "the Windows build failed"
  exit 1
fi
cat "$windows_log"
echo "== windows tests =="
"$root/tools/windows/run-tests.sh" "$root/build/release"
# The fuzz targets, a fixed short time each (20 s keeps the whole run, the
# Windows part included, within a CI job of 30 minutes). Their build is the
# clang build of the core, so it also checks the locking rules
# (-Wthread-safety as an error, see CMakeLists.txt).
"$root/tools/fuzz.sh" 20

echo "all suites passed"
