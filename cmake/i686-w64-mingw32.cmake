# 32-bit Windows console program, built with Debian's mingw-w64 cross compiler
# (g++-mingw-w64-i686-posix) and run under 32-bit Wine where the build host
# runs the tests and can run 32-bit x86 programs (wine32).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(dcdcount_triple i686-w64-mingw32)
set(dcdcount_wine_arch win32)
# Debian's wrappers: `wine` starts the 32-bit loader where it is installed.
set(DCDCOUNT_WINE wine)
set(DCDCOUNT_WINESERVER wineserver)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
