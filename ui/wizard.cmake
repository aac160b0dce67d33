target_sources(setup_ui_rules PRIVATE layout.cpp page_table.cpp wizard_rules.cpp)
if(WIN32)
  target_sources(setup_ui PRIVATE foreground.cpp progress_host.cpp TForm1.cpp form_content.cpp
                                  form_controls.cpp form_messages.cpp form_navigation.cpp)
endif()
