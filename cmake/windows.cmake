# The Windows x64 build: KorvexSdk_740K3_XLN.dll over the Win32 backend of
# the platform seam, the simulated cameras in the companion korvexsim.dll,
# the korvex tool and the example programs, and the test programs that run
# under Wine. The image file libraries are static builds from
# tools/windows/build-deps.sh, found in KORVEX_WINDOWS_DEPS.
set(KORVEX_WINDOWS_DEPS "" CACHE PATH "Prefix of the cross-built image file libraries")
if(NOT EXISTS "${KORVEX_WINDOWS_DEPS}/lib/libz.a")
  message(FATAL_ERROR "KORVEX_WINDOWS_DEPS must name the output of tools/windows/build-deps.sh")
endif()

# Static C and C++ runtimes: the DLLs need nothing beside them but system DLLs.
add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
set(KORVEX_WIN32_LIBS user32 gdi32 advapi32 winmm comctl32)

# ---------------------------------------------------------------------------
# Companion library: the simulated cameras behind the driver paths, and the
# simulator's controls for programs.
add_library(korvexsim SHARED
  ${CMAKE_SOURCE_DIR}/src/host/driver.cpp
  ${CMAKE_SOURCE_DIR}/src/sim/sim_camera.cpp
  ${CMAKE_SOURCE_DIR}/src/sim/sim_control.cpp
  ${CMAKE_SOURCE_DIR}/src/sim/sim_scene.cpp)
target_include_directories(korvexsim PUBLIC ${CMAKE_SOURCE_DIR}/include PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(korvexsim PRIVATE KORVEX_HOST_BUILDING=1)
set_target_properties(korvexsim PROPERTIES PREFIX "")

# ---------------------------------------------------------------------------
# Core: the same sources as on Linux, with the Win32 backend of the seam.
include(${CMAKE_SOURCE_DIR}/cmake/core_sources.cmake)
korvex_core_sources(win32)
add_library(korvex_core_obj OBJECT ${KORVEX_CORE_SOURCES})
target_include_directories(korvex_core_obj PUBLIC ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/src
                           PRIVATE ${KORVEX_WINDOWS_DEPS}/include)
# The SDK's own names only: <windows.h> is included by the Win32 backend
# alone, and its min/max macros never.
target_compile_definitions(korvex_core_obj PRIVATE KORVEX_SDK_BUILDING=1 NOMINMAX
                           WIN32_LEAN_AND_MEAN)

set(KORVEX_IMAGE_FILE_LIBS
  ${KORVEX_WINDOWS_DEPS}/lib/libtiff.a
  ${KORVEX_WINDOWS_DEPS}/lib/libpng16.a
  ${KORVEX_WINDOWS_DEPS}/lib/libjpeg.a
  ${KORVEX_WINDOWS_DEPS}/lib/libz.a)

add_library(korvex_core STATIC $<TARGET_OBJECTS:korvex_core_obj>)
target_include_directories(korvex_core PUBLIC ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(korvex_core PUBLIC ${KORVEX_IMAGE_FILE_LIBS} ${KORVEX_WIN32_LIBS})

add_library(korvex_reference STATIC EXCLUDE_FROM_ALL ${KORVEX_REFERENCE_SOURCES})
target_compile_definitions(korvex_reference PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(korvex_reference PUBLIC korvex_core)

# Resources of the DLL: the version information, and resource scripts
# generated at build time into ${KORVEX_GENERATED_RESOURCES} (the dialog
# templates): each generating rule appends its output .rc to
# KORVEX_GENERATED_RC before the library below is defined.
set(KORVEX_GENERATED_RESOURCES ${CMAKE_BINARY_DIR}/resources)
set(KORVEX_GENERATED_RC "")
include(${CMAKE_SOURCE_DIR}/cmake/windows/dialog_resources.cmake)

add_library(KorvexSdk_740K3_XLN SHARED
  $<TARGET_OBJECTS:korvex_core_obj>
  ${CMAKE_SOURCE_DIR}/cmake/windows/version.rc
  ${CMAKE_SOURCE_DIR}/cmake/windows/KorvexSdk_740K3_XLN.def
  ${KORVEX_GENERATED_RC})
target_link_libraries(KorvexSdk_740K3_XLN PRIVATE ${KORVEX_IMAGE_FILE_LIBS} ${KORVEX_WIN32_LIBS})
# version.rc reads the version from korvex_version.h (cmake/version.cmake).
target_include_directories(KorvexSdk_740K3_XLN PRIVATE ${KORVEX_VERSION_INCLUDE_DIR})
set_target_properties(KorvexSdk_740K3_XLN PROPERTIES PREFIX "")
target_link_options(KorvexSdk_740K3_XLN PRIVATE -Wl,--exclude-all-symbols)
# What tools/windows/package.sh puts into the SDK package besides the programs.
include(${CMAKE_SOURCE_DIR}/cmake/windows/package.cmake)

# The korvex tool and the example programs, as on Linux.
add_subdirectory(${CMAKE_SOURCE_DIR}/programs ${CMAKE_BINARY_DIR}/programs)
add_subdirectory(${CMAKE_SOURCE_DIR}/examples ${CMAKE_BINARY_DIR}/examples)
add_subdirectory(${CMAKE_SOURCE_DIR}/programs/viewer ${CMAKE_BINARY_DIR}/viewer)

if(KORVEX_BUILD_BENCH)
  add_subdirectory(${CMAKE_SOURCE_DIR}/bench/windows ${CMAKE_BINARY_DIR}/bench)
endif()

if(KORVEX_BUILD_TESTS)
  enable_testing()
  include(${CMAKE_SOURCE_DIR}/tests/windows/tests.cmake)
endif()
