# pictures: the picture control and Windows' own JPEG decoder for Setup.exe; the portable
# libjpeg decoder, kept out of Setup.exe, for the installer builder and its tests.
add_library(setup_jpeg STATIC jpeg_image.cpp)
target_link_libraries(setup_jpeg PUBLIC JPEG::JPEG setup_runtime_error)
target_compile_options(setup_jpeg PRIVATE ${SETUP_TEXT_OPTIONS})
if(WIN32)
  target_sources(setup_ui PRIVATE picture_win32.cpp system_jpeg_win32.cpp)
  target_link_libraries(setup_ui PUBLIC oleaut32 ole32)
endif()
