# Cross toolchain for 32-bit Windows, the product's: MinGW-w64 (see mingw-common.cmake), tests
# run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686) # makes libjpeg-turbo pick its i386 SIMD code
set(mingw_triple i686-w64-mingw32)
set(mingw_runner wine-run.sh)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
