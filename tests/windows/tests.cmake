# Test programs of the Windows build, run under Wine by tools/windows/run-tests.sh.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(KORVEX_TESTS ${CMAKE_SOURCE_DIR}/tests)

# The core suite: the suites that need nothing of the Linux host library but
# the simulated cameras (which korvexsim.dll provides here). The host
# library's own suites, and those that drive its message windows, bitmap
# faults or registry folders, stay Linux-only.
set(KORVEX_WINDOWS_CORE_TESTS
  ${KORVEX_TESTS}/api/registry_test.cpp
  ${KORVEX_TESTS}/camera/config_file_test.cpp
  ${KORVEX_TESTS}/camera/lifecycle_test.cpp
  ${KORVEX_TESTS}/camera/recording_test.cpp
  ${KORVEX_TESTS}/device/frame_engine_test.cpp
  ${KORVEX_TESTS}/device/model_test.cpp
  ${KORVEX_TESTS}/device/registers_test.cpp
  ${KORVEX_TESTS}/device/transport_test.cpp
  ${KORVEX_TESTS}/image/avi/avi_reader.cpp
  ${KORVEX_TESTS}/image/avi/avi_recorder_test.cpp
  ${KORVEX_TESTS}/image/converters/converters_definitions_test.cpp
  ${KORVEX_TESTS}/image/converters/converters_layout_test.cpp
  ${KORVEX_TESTS}/image/converters/converters_oracle_test.cpp
  ${KORVEX_TESTS}/image/files/camera_save_test.cpp
  ${KORVEX_TESTS}/image/files/file_readers.cpp
  ${KORVEX_TESTS}/image/files/image_files_test.cpp
  ${KORVEX_TESTS}/image/pipeline_test.cpp
  ${KORVEX_TESTS}/image/pipeline_stripes_test.cpp
  ${KORVEX_TESTS}/platform/file_test.cpp
  ${KORVEX_TESTS}/platform/simulated_cameras_test.cpp
  ${KORVEX_TESTS}/sim/sim_camera_test.cpp
  ${KORVEX_TESTS}/windows/dialog_seam_win32_test.cpp
  ${KORVEX_TESTS}/windows/test_environment_win32.cpp
  ${KORVEX_TESTS}/windows/win32_seam_test.cpp
  ${KORVEX_TESTS}/windows/wide_files_win32_test.cpp)
# The dialog templates too: the dialog seam loads them from the module its
# code is linked into, here the test program.
add_executable(korvex_core_tests ${KORVEX_WINDOWS_CORE_TESTS} ${KORVEX_DIALOG_RC})
# tests/windows first: its support headers stand in for the Linux ones.
target_include_directories(korvex_core_tests PRIVATE ${KORVEX_TESTS}/windows ${KORVEX_TESTS}
                           ${KORVEX_WINDOWS_DEPS}/include)
target_compile_options(korvex_core_tests PRIVATE -include ${KORVEX_TESTS}/windows/posix_compat.h)
# Linked with the core itself, not the DLL: the exports are local symbols.
target_compile_definitions(korvex_core_tests PRIVATE KORVEX_SDK_BUILDING=1 NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(korvex_core_tests PRIVATE korvex_reference korvex_core korvexsim gtest gtest_main)

# The DLL as applications use it (import library, LoadLibraryA).
add_executable(korvex_dll_tests
  ${KORVEX_TESTS}/windows/dll/sdk_dll_test.cpp
  ${KORVEX_TESTS}/api/export_table.c
  ${KORVEX_TESTS}/image/avi/avi_reader.cpp
  ${KORVEX_TESTS}/image/files/file_readers.cpp)
target_include_directories(korvex_dll_tests PRIVATE ${KORVEX_TESTS}/windows ${KORVEX_TESTS}
                           ${KORVEX_WINDOWS_DEPS}/include)
target_compile_options(korvex_dll_tests PRIVATE -include ${KORVEX_TESTS}/windows/posix_compat.h)
target_compile_definitions(korvex_dll_tests PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(korvex_dll_tests PRIVATE KorvexSdk_740K3_XLN korvexsim gtest
                      ${KORVEX_IMAGE_FILE_LIBS} version user32 advapi32)

# The program whose saved files are compared with the Linux build's.
add_executable(korvex_save_formats ${CMAKE_SOURCE_DIR}/tools/korvex_save_formats.c)
target_link_libraries(korvex_save_formats PRIVATE KorvexSdk_740K3_XLN korvexsim)

# The property dialogs through the DLL, worked with window messages: the
# dialog suites shared with Linux over Win32 hands, and the templates read
# back from the DLL's resources.
add_executable(korvex_dialog_tests
  ${KORVEX_TESTS}/dialogs/analog_dialog_test.cpp
  ${KORVEX_TESTS}/dialogs/camera_dialog_test.cpp
  ${KORVEX_TESTS}/dialogs/image_dialog_test.cpp
  ${KORVEX_TESTS}/windows/dialogs/dialog_resources_test.cpp
  ${KORVEX_TESTS}/windows/support/dialog_hands_win32.cpp)
target_include_directories(korvex_dialog_tests PRIVATE ${KORVEX_TESTS}/windows ${KORVEX_TESTS}
                           ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(korvex_dialog_tests PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(korvex_dialog_tests PRIVATE KorvexSdk_740K3_XLN korvexsim gtest gtest_main
                      user32 comctl32)
include(${CMAKE_CURRENT_LIST_DIR}/driver/driver.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/unload_tests.cmake)
