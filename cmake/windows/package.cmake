# The parts of the Windows SDK package (tools/windows/package.sh) that come
# from this build besides the programs: the HTML reference (target docs, as
# on Linux) and the version file of the CMake package, which accepts
# requests for the same major version from 64-bit projects only. The
# package's other files are the tree's own (cmake/windows/KorvexSdkConfig.cmake,
# the headers, the examples) or made by the script (import libraries).
add_subdirectory(${CMAKE_SOURCE_DIR}/docs ${CMAKE_BINARY_DIR}/docs)

include(CMakePackageConfigHelpers)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk-package/KorvexSdkConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
