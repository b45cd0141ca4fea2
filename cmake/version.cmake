# The SDK's version is defined once, in the file VERSION at the top of the
# tree: four numbers a.b.c.d of 0 to 255 each, because Korvex_GetDllVersion()
# packs them one byte each. Read from there: the project version (and so the
# installed CMake package and pkg-config file), the DLL's version resource,
# `korvex --version`, and the Windows zip and installer
# (tools/windows/package.sh).
#
# This file sets KORVEX_VERSION ("1.168.5.31"), KORVEX_VERSION_NUMBERS
# ("1,168,5,31", as resource scripts write it) and KORVEX_VERSION_PACKED
# (27788575), and writes them as macros into korvex_version.h in
# KORVEX_VERSION_INCLUDE_DIR for the targets that print or embed the version.
# The public header publishes the packed number as KORVEX_DLL_VERSION for
# applications; configuring fails when the two disagree.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../VERSION" KORVEX_VERSION LIMIT_COUNT 1)
if(NOT KORVEX_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must hold four numbers a.b.c.d, not '${KORVEX_VERSION}'")
endif()
set(KORVEX_VERSION_PACKED 0)
foreach(part 1 2 3 4)
  if(CMAKE_MATCH_${part} GREATER 255)
    message(FATAL_ERROR "VERSION ${KORVEX_VERSION}: each number must be 0 to 255")
  endif()
  math(EXPR KORVEX_VERSION_PACKED "${KORVEX_VERSION_PACKED} * 256 + ${CMAKE_MATCH_${part}}")
endforeach()
string(REPLACE "." "," KORVEX_VERSION_NUMBERS "${KORVEX_VERSION}")

set(KORVEX_VERSION_INCLUDE_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/korvex_version.h.in
               ${KORVEX_VERSION_INCLUDE_DIR}/korvex_version.h @ONLY)

file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../include/KorvexSdk_740K3_XLN.h" _korvex_published
     REGEX "^#define KORVEX_DLL_VERSION ")
if(NOT _korvex_published MATCHES "KORVEX_DLL_VERSION ${KORVEX_VERSION_PACKED}u$")
  message(FATAL_ERROR "KORVEX_DLL_VERSION in include/KorvexSdk_740K3_XLN.h must be "
                      "${KORVEX_VERSION_PACKED}u, the version ${KORVEX_VERSION} of the file VERSION")
endif()
