# Installation for applications: the shared SDK and the host library, their
# headers, the korvex tool, the CMake package KorvexSdk (imported targets
# KorvexSdk::KorvexSdk and KorvexSdk::Host) and the pkg-config file
# korvexsdk.pc. Both descriptions find the installed tree relative to
# themselves, so the tree may be moved after installation.
include(CMakePackageConfigHelpers)

set(KORVEX_PACKAGE_DIR lib/cmake/KorvexSdk)

set_target_properties(KorvexSdk_740K3_XLN PROPERTIES EXPORT_NAME KorvexSdk)
set_target_properties(korvexhost PROPERTIES EXPORT_NAME Host)
target_include_directories(KorvexSdk_740K3_XLN INTERFACE
  $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include> $<INSTALL_INTERFACE:include>)

install(TARGETS KorvexSdk_740K3_XLN korvexhost EXPORT KorvexSdkTargets
  LIBRARY DESTINATION lib ARCHIVE DESTINATION lib RUNTIME DESTINATION bin)
install(TARGETS korvex RUNTIME DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/include/KorvexSdk_740K3_XLN.h DESTINATION include)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/korvex DESTINATION include)

install(EXPORT KorvexSdkTargets NAMESPACE KorvexSdk:: DESTINATION ${KORVEX_PACKAGE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/KorvexSdkConfig.cmake.in
  ${CMAKE_BINARY_DIR}/package/KorvexSdkConfig.cmake INSTALL_DESTINATION ${KORVEX_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/KorvexSdkConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/KorvexSdkConfig.cmake
              ${CMAKE_BINARY_DIR}/package/KorvexSdkConfigVersion.cmake
        DESTINATION ${KORVEX_PACKAGE_DIR})

configure_file(${CMAKE_SOURCE_DIR}/cmake/korvexsdk.pc.in ${CMAKE_BINARY_DIR}/package/korvexsdk.pc
               @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/korvexsdk.pc DESTINATION lib/pkgconfig)
