# Where each test source runs. The Linux suite (korvex_tests) takes every
# source under tests/ except windows/ and package/consumer/. The Windows core
# suite (tests/windows/tests.cmake) takes the same sources except those named
# here, so a new test runs on both systems unless this list says why not.
# The sources under windows/ are Windows-only.
set(KORVEX_TESTS_LINUX_ONLY
  # The host library's own suites: it is the Linux stand-in for Windows.
  host/dialogs_test.cpp host/gdi_test.cpp host/registry_test.cpp host/shm_test.cpp
  host/text_test.cpp host/time_test.cpp host/windows_test.cpp
  # Suites that work the host library's message windows, bitmap surfaces,
  # dialogs or registry folder (korvex/host*.h); Windows has the real ones,
  # worked by the DLL and dialog suites under Wine.
  api/error_history_test.cpp api/unregistered_handle_test.cpp camera/capture_test.cpp
  camera/endurance_test.cpp camera/no_device_test.cpp camera/parameters_test.cpp
  camera/pipeline_threads_test.cpp camera/preview_window_test.cpp camera/torn_frames_test.cpp
  image/dib_image_test.cpp robustness/fault_matrix_test.cpp log/log_test.cpp
  platform/dialog_seam_test.cpp support/test_environment.cpp
  # Suites built on POSIX processes, permissions and mounts (fork, modes,
  # owners, /proc, dlclose, character sets); their Windows counterparts are
  # windows/wide_files_win32_test.cpp and the unload and full-disk programs.
  # The stripe pool's suite counts the process's threads in /proc.
  image/stripe_pool_test.cpp
  camera/ownership_test.cpp camera/memory_return_test.cpp camera/recording_unload_test.cpp
  settings/registry_persistence_test.cpp robustness/full_disk_test.cpp
  image/files/replace_target_test.cpp image/files/wide_names_test.cpp
  platform/file_denied_test.cpp
  # The shared library's ELF symbols, the source tree's layers, and the
  # Linux programs of the build (the korvex tool and the examples run under
  # Wine from tools/windows/run-tests.sh instead).
  api/export_symbols_test.cpp api/export_table.c layering_test.cpp
  tool/examples_test.cpp tool/korvex_tool_test.cpp tool/tool_runner.cpp)

# The property dialog suites: on Windows they work the DLL's real dialogs in
# a program of their own (korvex_dialog_tests).
set(KORVEX_DIALOG_SUITES
  dialogs/analog_dialog_test.cpp dialogs/camera_dialog_test.cpp dialogs/image_dialog_test.cpp)
