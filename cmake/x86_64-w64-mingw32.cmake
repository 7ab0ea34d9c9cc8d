# 64-bit Windows console program, built with Debian's mingw-w64 cross compiler
# and run under 64-bit Wine (wine64).
# apt-get install: g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(dcdcount_triple x86_64-w64-mingw32)
set(dcdcount_wine_arch win64)
# Debian keeps the 64-bit loader and server off PATH, and its wrappers try the
# 32-bit side first: call the 64-bit ones (elsewhere, wine64 and wineserver).
set(DCDCOUNT_WINE wine64)
set(DCDCOUNT_WINESERVER wineserver)
if(EXISTS /usr/lib/wine/wine64)
    set(DCDCOUNT_WINE /usr/lib/wine/wine64)
    set(DCDCOUNT_WINESERVER /usr/lib/wine/wineserver64)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(DCDCOUNT_RELEASED ON)
set(DCDCOUNT_PROMISED static aslr aslr64 canary)
