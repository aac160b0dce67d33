# The folder list's rows and path arithmetic, on both systems; the folder and drive lists
# as windows, under Wine.
add_gtest(folder_tree_test folder_tree_test.cpp)
target_link_libraries(folder_tree_test PRIVATE setup_ui_rules)
target_compile_options(folder_tree_test PRIVATE ${SETUP_TEXT_OPTIONS})

if(WIN32)
  add_gui_gtest(folder_controls_test folder_controls_test.cpp)
  target_link_libraries(folder_controls_test PRIVATE setup_ui)
  target_compile_options(folder_controls_test PRIVATE ${SETUP_TEXT_OPTIONS})
endif()
