# Cross toolchain for 64-bit Windows, for tests only: the product is the 32-bit build
# (mingw-i686.cmake); this one lets its tests run on a machine that can execute only 64-bit
# Wine. Same settings (mingw-common.cmake), tests under 64-bit Wine in a 64-bit prefix.
set(CMAKE_SYSTEM_PROCESSOR x86_64) # makes libjpeg-turbo pick its x86-64 SIMD code
set(mingw_triple x86_64-w64-mingw32)
set(mingw_runner wine64-run.sh)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
