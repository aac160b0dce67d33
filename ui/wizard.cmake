target_sources(setup_ui_rules PRIVATE layout.cpp page_table.cpp wizard_rules.cpp)
if(WIN32)
  target_sources(setup_ui PRIVATE foreground_win32.cpp progress_host_win32.cpp TForm1_win32.cpp
                                  form_content_win32.cpp form_controls_win32.cpp
                                  form_messages_win32.cpp form_navigation_win32.cpp)
endif()
