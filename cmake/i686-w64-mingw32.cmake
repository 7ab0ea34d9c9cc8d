# 32-bit Windows console program, built with Debian's mingw-w64 cross compiler
# (g++-mingw-w64-i686-posix) and run under 32-bit Wine where the build host
# runs the tests and can run 32-bit x86 programs (wine32).
# apt-get install: g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine64
set(CMAKE_SYSTEM_PROCESSOR x86)
set(dcdcount_triple i686-w64-mingw32)
set(dcdcount_wine_arch win32)
# Debian keeps the 32-bit loader (wine32) off PATH, and its `wine` wrapper
# falls back to 64-bit Wine where the loader is missing: call the loader.
if(EXISTS /usr/lib/wine/wine OR EXISTS /usr/lib/wine/wine64)
    set(DCDCOUNT_WINE /usr/lib/wine/wine)
else()
    set(DCDCOUNT_WINE wine)
endif()
set(DCDCOUNT_WINESERVER wineserver)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(DCDCOUNT_RELEASED ON)
set(DCDCOUNT_PROMISED aslr canary)
