# gradient: the header band control. Its stripe arithmetic is portable; the
# control itself is a Windows window class.
target_sources(setup_ui_rules PRIVATE gradient_colors.cpp)
if(WIN32)
  target_sources(setup_ui PRIVATE TGradient_win32.cpp)
endif()
