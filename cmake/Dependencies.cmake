# liblzma, libjpeg and GoogleTest: Debian's -dev packages natively; for Windows
# the static libraries that scripts/setup.sh cross-builds from Debian's sources,
# and GoogleTest built from /usr/src/googletest with the project.
if(WIN32)
  if(DEFINED ENV{SETUP_DEPS_ROOT})
    set(_deps_root "$ENV{SETUP_DEPS_ROOT}")
  else()
    set(_deps_root /opt/setup-deps)
  endif()
  # One prefix per toolchain CPU: mingw-i686 for the product, mingw-x86_64 for the 64-bit test
  # build.
  set(MINGW_DEPS_PREFIX "${_deps_root}/mingw-${CMAKE_SYSTEM_PROCESSOR}" CACHE PATH
      "Cross-built libjpeg and liblzma")
  foreach(_lib IN ITEMS lzma/lib/liblzma.a jpeg/lib/libjpeg.a)
    if(NOT EXISTS "${MINGW_DEPS_PREFIX}/${_lib}")
      message(FATAL_ERROR "${MINGW_DEPS_PREFIX}/${_lib} is missing: run scripts/setup.sh")
    endif()
  endforeach()

  add_library(LibLZMA::LibLZMA STATIC IMPORTED)
  set_target_properties(LibLZMA::LibLZMA PROPERTIES
    IMPORTED_LOCATION "${MINGW_DEPS_PREFIX}/lzma/lib/liblzma.a"
    INTERFACE_INCLUDE_DIRECTORIES "${MINGW_DEPS_PREFIX}/lzma/include"
    INTERFACE_COMPILE_DEFINITIONS LZMA_API_STATIC)

  add_library(JPEG::JPEG STATIC IMPORTED)
  set_target_properties(JPEG::JPEG PROPERTIES
    IMPORTED_LOCATION "${MINGW_DEPS_PREFIX}/jpeg/lib/libjpeg.a"
    INTERFACE_INCLUDE_DIRECTORIES "${MINGW_DEPS_PREFIX}/jpeg/include")

  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(LibLZMA REQUIRED)
  find_package(JPEG REQUIRED)
  find_package(GTest REQUIRED)
  find_package(Threads REQUIRED)
endif()

include(GoogleTest)
