# cmake --install also installs the Python package korvex, into
# KORVEX_PYTHON_DIR under the prefix (Debian's layout by default). The
# package finds the SDK library in the prefix's lib folder, three levels up.
set(KORVEX_PYTHON_DIR "lib/python3/dist-packages" CACHE STRING
    "Folder under the installation prefix for the Python package korvex")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/python/korvex DESTINATION ${KORVEX_PYTHON_DIR}
        FILES_MATCHING PATTERN "*.py" PATTERN "py.typed" PATTERN "__pycache__" EXCLUDE)
