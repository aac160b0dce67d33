# gradient tests: the stripe arithmetic on every build; the control itself under Wine.
add_gtest(gradient_colors_test gradient_colors_test.cpp)
target_link_libraries(gradient_colors_test PRIVATE setup_ui_rules)

if(WIN32)
  add_gui_gtest(gradient_paint_test gradient_paint_test.cpp)
  target_link_libraries(gradient_paint_test PRIVATE setup_ui)
endif()
