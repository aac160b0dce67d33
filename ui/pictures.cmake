# pictures: JPEG decoding (portable, libjpeg) and the picture control that shows the result.
target_sources(setup_ui_rules PRIVATE jpeg_image.cpp)
target_link_libraries(setup_ui_rules PUBLIC JPEG::JPEG setup_startup_rules)
if(WIN32)
  target_sources(setup_ui PRIVATE picture.cpp)
endif()
