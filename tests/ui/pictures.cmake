# pictures tests: the decoder on both systems; the picture control and the icon under Wine.
set(SETUP_PICTURES_DIR ${PROJECT_SOURCE_DIR}/resources/pictures)

add_gtest(jpeg_image_test jpeg_image_test.cpp)
target_link_libraries(jpeg_image_test PRIVATE setup_jpeg)
target_compile_definitions(jpeg_image_test PRIVATE PICTURES_DIR="${SETUP_PICTURES_DIR}")

if(WIN32)
  # The header picture as the program carries it, a resource that is no JPEG, and the header
  # picture's first 300 bytes (cut inside its Huffman tables), as little-endian words.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SETUP_PICTURES_DIR}/header.jpg)
  file(READ ${SETUP_PICTURES_DIR}/header.jpg _cut HEX LIMIT 300)
  string(REGEX REPLACE "(..)(..)" "0x\\2\\1, " _cut "${_cut}")
  string(REGEX REPLACE ", $" "" _cut "${_cut}")
  set(_rc ${CMAKE_CURRENT_BINARY_DIR}/picture_test.rc)
  file(GENERATE OUTPUT ${_rc} CONTENT
"JPG RCDATA \"${SETUP_PICTURES_DIR}/header.jpg\"
NOTJPEG RCDATA \"${SETUP_PICTURES_DIR}/setup.ico\"
CUT RCDATA { ${_cut} }
")
  set_source_files_properties(${_rc} PROPERTIES GENERATED TRUE OBJECT_DEPENDS
    "${SETUP_PICTURES_DIR}/header.jpg;${SETUP_PICTURES_DIR}/setup.ico")
  add_gui_gtest(picture_test picture_test.cpp ${_rc})
  target_link_libraries(picture_test PRIVATE setup_ui setup_jpeg)
  target_compile_definitions(picture_test PRIVATE PICTURES_DIR="${SETUP_PICTURES_DIR}")
endif()
