# find_package(KorvexSdk) for Windows applications: the Korvex740K3-XLN
# camera SDK as installed by its installer or unpacked from its zip.
#
#   KorvexSdk::KorvexSdk    imported shared library: KorvexSdk_740K3_XLN.dll,
#                           its header KorvexSdk_740K3_XLN.h, and the import
#                           library of the toolchain: KorvexSdk_740K3_XLN.lib
#                           for MSVC and clang-cl, libKorvexSdk_740K3_XLN.dll.a
#                           for MinGW.
#   KorvexSdk::Simulator    korvexsim.dll with korvex/host_sim.h: controls
#                           of the simulated cameras (faults, triggers,
#                           frames), for tests of an application.
#   KorvexSdk_RUNTIME_DLLS  the DLLs a program needs in its folder (or on
#                           PATH) to run: the SDK and korvexsim.dll, the
#                           simulated cameras (KORVEX_SIMULATED_CAMERAS).
#   KorvexSdk_BIN_DIR       the folder of those DLLs, korvex.exe and the
#                           example programs.
#
# Every path is found from this file's own place (lib/cmake/KorvexSdk), so
# the installed folder may be moved or unpacked anywhere.
get_filename_component(_korvex_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

if(NOT WIN32)
  set(KorvexSdk_FOUND FALSE)
  set(KorvexSdk_NOT_FOUND_MESSAGE "this is the Windows x64 SDK; build for Windows")
  return()
endif()

if(NOT TARGET KorvexSdk::KorvexSdk)
  # MSVC, clang-cl, and clang targeting the MSVC ABI link .lib import
  # libraries; MinGW's linker takes its own .dll.a.
  if(MSVC OR CMAKE_C_SIMULATE_ID STREQUAL "MSVC" OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC")
    set(_korvex_implib "${_korvex_prefix}/lib/<name>.lib")
  else()
    set(_korvex_implib "${_korvex_prefix}/lib/lib<name>.dll.a")
  endif()
  foreach(_korvex_target KorvexSdk:KorvexSdk_740K3_XLN Simulator:korvexsim)
    string(REPLACE ":" ";" _korvex_target "${_korvex_target}")
    list(GET _korvex_target 0 _korvex_name)
    list(GET _korvex_target 1 _korvex_dll)
    string(REPLACE "<name>" "${_korvex_dll}" _korvex_lib "${_korvex_implib}")
    add_library(KorvexSdk::${_korvex_name} SHARED IMPORTED)
    set_target_properties(KorvexSdk::${_korvex_name} PROPERTIES
      IMPORTED_LOCATION "${_korvex_prefix}/bin/${_korvex_dll}.dll"
      IMPORTED_IMPLIB "${_korvex_lib}"
      INTERFACE_INCLUDE_DIRECTORIES "${_korvex_prefix}/include")
  endforeach()
  unset(_korvex_implib)
  unset(_korvex_target)
  unset(_korvex_name)
  unset(_korvex_dll)
  unset(_korvex_lib)
endif()

set(KorvexSdk_BIN_DIR "${_korvex_prefix}/bin")
set(KorvexSdk_RUNTIME_DLLS "${KorvexSdk_BIN_DIR}/KorvexSdk_740K3_XLN.dll"
                           "${KorvexSdk_BIN_DIR}/korvexsim.dll")
unset(_korvex_prefix)
