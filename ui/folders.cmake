# The target-folder page's folder list and drive list: the rows they show are portable; the
# controls themselves are Windows windows.
target_sources(setup_ui_rules PRIVATE folder_tree.cpp)
if(WIN32)
  target_sources(setup_ui PRIVATE TDirectoryListBox_win32.cpp TDriveComboBox_win32.cpp)
endif()
