if(WIN32)
  # A scripted stand-in for uha.exe, for tests of the installer's extractor runner.
  add_executable(fake_extractor fake_extractor.cpp)

  add_gtest(fake_extractor_test fake_extractor_test.cpp)
  target_compile_definitions(fake_extractor_test PRIVATE FAKE_EXTRACTOR="$<TARGET_FILE:fake_extractor>")
  add_dependencies(fake_extractor_test fake_extractor)
endif()
