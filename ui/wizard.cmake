target_sources(setup_ui_rules PRIVATE wizard_rules.cpp)
if(WIN32)
  target_sources(setup_ui PRIVATE foreground.cpp)
endif()
