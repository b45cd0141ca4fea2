# The test driver and the driver-path suite. Test fixtures only: their
# outputs go to test-driver/, apart from bin/, so that nothing that packages
# bin/ can take them along.
set(KORVEX_TEST_DRIVER_DIR ${CMAKE_BINARY_DIR}/test-driver)
find_path(KORVEX_DDK_DIR ntddk.h PATH_SUFFIXES include/ddk ddk REQUIRED)

# The driver: the C dispatch code on the DDK headers, and the simulated
# cameras' own sources (under Wine a driver runs in a user process, so it may
# link them and the C++ runtime). A native image entered at DriverEntry, on
# ntoskrnl.exe, without the C library's start-up code.
add_library(korvex_test_driver_sim OBJECT
  ${CMAKE_SOURCE_DIR}/src/host/driver.cpp
  ${CMAKE_SOURCE_DIR}/src/sim/sim_camera.cpp
  ${CMAKE_SOURCE_DIR}/src/sim/sim_control.cpp
  ${CMAKE_SOURCE_DIR}/src/sim/sim_scene.cpp)
target_include_directories(korvex_test_driver_sim PRIVATE ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/src)
add_executable(korvex_test_driver ${CMAKE_CURRENT_LIST_DIR}/test_driver.c
               $<TARGET_OBJECTS:korvex_test_driver_sim>)
target_include_directories(korvex_test_driver PRIVATE ${KORVEX_DDK_DIR} ${CMAKE_SOURCE_DIR}/include)
target_link_options(korvex_test_driver PRIVATE -nostartfiles -Wl,--subsystem,native
                    -Wl,--entry,DriverEntry)
target_link_libraries(korvex_test_driver PRIVATE ntoskrnl hal)
set_target_properties(korvex_test_driver PROPERTIES SUFFIX .sys LINKER_LANGUAGE CXX
                      RUNTIME_OUTPUT_DIRECTORY ${KORVEX_TEST_DRIVER_DIR})

# The DLL's suite on the driver path (tools/windows/run-driver-tests.sh).
add_executable(korvex_driver_tests
  ${CMAKE_CURRENT_LIST_DIR}/driver_path_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/driver_client.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traffic_scenario.c
  ${KORVEX_TESTS}/image/avi/avi_reader.cpp)
target_include_directories(korvex_driver_tests PRIVATE ${KORVEX_TESTS}/windows ${KORVEX_TESTS}
                           ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/src)
target_compile_options(korvex_driver_tests PRIVATE -include ${KORVEX_TESTS}/windows/posix_compat.h)
target_compile_definitions(korvex_driver_tests PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(korvex_driver_tests PRIVATE KorvexSdk_740K3_XLN gtest advapi32)
set_target_properties(korvex_driver_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KORVEX_TEST_DRIVER_DIR})
