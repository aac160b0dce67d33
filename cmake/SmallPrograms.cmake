# The Windows programs are downloaded, one inside another: a Release build optimises them for
# size (the decoding speed lies in liblzma, which is built with its own flags), gives every
# function and datum its own section and drops those nothing refers to.
option(SETUP_SIZE_OPTIMISED "Windows Release programs optimised for size (OFF: the compiler's -O3, to compare)" ON)
if(WIN32 AND SETUP_SIZE_OPTIMISED)
  add_compile_options($<$<CONFIG:Release>:-Os> $<$<CONFIG:Release>:-ffunction-sections>
                      $<$<CONFIG:Release>:-fdata-sections>)
  add_link_options($<$<CONFIG:Release>:-Wl,--gc-sections>)
endif()

# setup_small_program(TARGET): a shipped Windows program; it aborts on an uncaught exception
# without the runtime's message (see platform/quiet_terminate.cpp).
function(setup_small_program target)
  if(WIN32)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/quiet_terminate.cpp)
  endif()
endfunction()
