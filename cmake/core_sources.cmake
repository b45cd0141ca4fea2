# The core's sources: every layer behind the exports, with the backend of the
# platform seam named by platform_dir (host or win32). The plain converters
# are the tests' oracle for the fast ones and never part of the SDK; they are
# listed apart in KORVEX_REFERENCE_SOURCES.
function(korvex_core_sources platform_dir)
  file(GLOB_RECURSE core CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/src/api/*.cpp
       ${CMAKE_SOURCE_DIR}/src/common/*.cpp
       ${CMAKE_SOURCE_DIR}/src/errors/*.cpp
       ${CMAKE_SOURCE_DIR}/src/log/*.cpp
       ${CMAKE_SOURCE_DIR}/src/camera/*.cpp
       ${CMAKE_SOURCE_DIR}/src/device/*.cpp
       ${CMAKE_SOURCE_DIR}/src/image/*.cpp
       ${CMAKE_SOURCE_DIR}/src/settings/*.cpp
       ${CMAKE_SOURCE_DIR}/src/dialogs/*.cpp)
  file(GLOB platform CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/src/platform/*.cpp
       ${CMAKE_SOURCE_DIR}/src/platform/${platform_dir}/*.cpp)
  list(FILTER core EXCLUDE REGEX "/src/image/converters/reference/")
  file(GLOB reference CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/image/converters/reference/*.cpp)
  set(KORVEX_CORE_SOURCES ${core} ${platform} PARENT_SCOPE)
  set(KORVEX_REFERENCE_SOURCES ${reference} PARENT_SCOPE)
endfunction()
