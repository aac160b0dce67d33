add_gtest(wizard_rules_test wizard_rules_test.cpp layout_test.cpp page_table_test.cpp)
target_link_libraries(wizard_rules_test PRIVATE setup_ui_rules)
target_compile_definitions(wizard_rules_test PRIVATE LAYOUT_FILE="${PROJECT_SOURCE_DIR}/resources/tform1.layout")
target_compile_options(wizard_rules_test PRIVATE ${SETUP_TEXT_OPTIONS})
