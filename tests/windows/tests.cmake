# Test programs of the Windows build, run under Wine by tools/windows/run-tests.sh.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(KORVEX_TESTS ${CMAKE_SOURCE_DIR}/tests)

# The core suite: every test source the Linux suite has, but those that
# tests/suites.cmake keeps on Linux and the dialog suites (their own program
# below), with the Windows-only sources of this folder. The simulated
# cameras come from korvexsim.dll here.
include(${KORVEX_TESTS}/suites.cmake)
file(GLOB_RECURSE KORVEX_WINDOWS_CORE_TESTS CONFIGURE_DEPENDS
     RELATIVE ${KORVEX_TESTS} ${KORVEX_TESTS}/*.cpp ${KORVEX_TESTS}/*.c)
list(FILTER KORVEX_WINDOWS_CORE_TESTS EXCLUDE REGEX "^(windows|package/consumer)/")
list(REMOVE_ITEM KORVEX_WINDOWS_CORE_TESTS ${KORVEX_TESTS_LINUX_ONLY} ${KORVEX_DIALOG_SUITES})
list(TRANSFORM KORVEX_WINDOWS_CORE_TESTS PREPEND ${KORVEX_TESTS}/)
list(APPEND KORVEX_WINDOWS_CORE_TESTS
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
list(TRANSFORM KORVEX_DIALOG_SUITES PREPEND ${KORVEX_TESTS}/ OUTPUT_VARIABLE KORVEX_DIALOG_SUITE_FILES)
add_executable(korvex_dialog_tests
  ${KORVEX_DIALOG_SUITE_FILES}
  ${KORVEX_TESTS}/windows/dialogs/dialog_resources_test.cpp
  ${KORVEX_TESTS}/windows/support/dialog_hands_win32.cpp)
target_include_directories(korvex_dialog_tests PRIVATE ${KORVEX_TESTS}/windows ${KORVEX_TESTS}
                           ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(korvex_dialog_tests PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(korvex_dialog_tests PRIVATE KorvexSdk_740K3_XLN korvexsim gtest gtest_main
                      user32 comctl32)
include(${CMAKE_CURRENT_LIST_DIR}/driver/driver.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/unload_tests.cmake)
