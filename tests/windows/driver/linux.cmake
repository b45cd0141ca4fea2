# The Linux half of the driver-path suite's traffic comparison: the scenario
# run against the Linux simulator (tests/windows/driver/traffic_scenario.c).
add_executable(korvex_linux_traffic_log
  ${CMAKE_CURRENT_LIST_DIR}/linux_traffic_log.c ${CMAKE_CURRENT_LIST_DIR}/traffic_scenario.c)
target_link_libraries(korvex_linux_traffic_log PRIVATE KorvexSdk_740K3_XLN korvexhost)
target_include_directories(korvex_linux_traffic_log PRIVATE ${CMAKE_SOURCE_DIR}/include)
