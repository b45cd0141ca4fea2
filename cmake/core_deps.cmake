# Image file libraries used by the file writers of the core: the static core
# passes them on to whatever links it, the shared SDK keeps them private.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(TIFF REQUIRED)
find_package(ZLIB REQUIRED)

set(KORVEX_IMAGE_FILE_LIBS PNG::PNG JPEG::JPEG TIFF::TIFF ZLIB::ZLIB)
target_include_directories(korvex_core_obj PRIVATE
  ${PNG_INCLUDE_DIRS} ${JPEG_INCLUDE_DIRS} ${TIFF_INCLUDE_DIRS} ${ZLIB_INCLUDE_DIRS})
target_link_libraries(korvex_core PUBLIC ${KORVEX_IMAGE_FILE_LIBS})
target_link_libraries(KorvexSdk_740K3_XLN PRIVATE ${KORVEX_IMAGE_FILE_LIBS})
