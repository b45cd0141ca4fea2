# The dialog templates of the DLL as a resource script, written at build time
# from the template table the Linux host uses (src/dialogs/template_table.h)
# by tools/windows/dialog_rc.cpp, a generator compiled for the build machine
# with its own C++ compiler. Appends the script to KORVEX_GENERATED_RC.
find_program(KORVEX_BUILD_MACHINE_CXX NAMES c++ g++ clang++ REQUIRED)
set(KORVEX_DIALOG_RC_TOOL ${CMAKE_BINARY_DIR}/build-machine/dialog_rc)
set(KORVEX_DIALOG_RC ${KORVEX_GENERATED_RESOURCES}/dialogs.rc)
add_custom_command(
  OUTPUT ${KORVEX_DIALOG_RC_TOOL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/build-machine
  COMMAND ${KORVEX_BUILD_MACHINE_CXX} -std=c++20 -O1 -Wall -Wextra -Werror
          -I${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tools/windows/dialog_rc.cpp
          -o ${KORVEX_DIALOG_RC_TOOL}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/windows/dialog_rc.cpp
          ${CMAKE_SOURCE_DIR}/src/dialogs/template_table.h
          ${CMAKE_SOURCE_DIR}/src/dialogs/templates.h
          ${CMAKE_SOURCE_DIR}/src/platform/dialog_vocabulary.h
          ${CMAKE_SOURCE_DIR}/src/dialogs/control_ids.h
  COMMENT "Building the dialog resource generator for the build machine"
  VERBATIM)
add_custom_command(
  OUTPUT ${KORVEX_DIALOG_RC}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KORVEX_GENERATED_RESOURCES}
  COMMAND ${KORVEX_DIALOG_RC_TOOL} ${KORVEX_DIALOG_RC}
  DEPENDS ${KORVEX_DIALOG_RC_TOOL}
  COMMENT "Writing the dialog templates as resources"
  VERBATIM)
list(APPEND KORVEX_GENERATED_RC ${KORVEX_DIALOG_RC})
