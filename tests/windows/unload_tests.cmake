# The DLL ending while it records (LoadLibraryA and FreeLibrary, so the
# program does not import it): run under Wine by tools/windows/run-tests.sh.
add_executable(korvex_unload_tests
  ${KORVEX_TESTS}/windows/dll/unload_test.cpp
  ${KORVEX_TESTS}/image/avi/avi_reader.cpp
  ${KORVEX_TESTS}/image/files/file_readers.cpp)
target_include_directories(korvex_unload_tests PRIVATE ${KORVEX_TESTS}/windows ${KORVEX_TESTS}
                           ${KORVEX_WINDOWS_DEPS}/include)
target_compile_options(korvex_unload_tests PRIVATE -include ${KORVEX_TESTS}/windows/posix_compat.h)
target_compile_definitions(korvex_unload_tests PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(korvex_unload_tests PRIVATE korvexsim gtest ${KORVEX_IMAGE_FILE_LIBS})
add_dependencies(korvex_unload_tests KorvexSdk_740K3_XLN)
