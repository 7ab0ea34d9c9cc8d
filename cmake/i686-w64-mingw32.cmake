# 32-bit Windows console program, built with Debian's mingw-w64 cross compiler
# and run under 32-bit Wine (wine32), or under that of a Debian root made by
# tests/wine32-root.sh (DCDCOUNT_WINE32_ROOT) where the host has none.
# apt-get install: g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine64
set(CMAKE_SYSTEM_PROCESSOR x86)
set(dcdcount_triple i686-w64-mingw32)
set(dcdcount_wine_arch win32)
# Debian keeps the 32-bit loader off PATH, and its `wine` wrapper falls back to
# 64-bit Wine where the loader is missing: call the loader (elsewhere, wine).
set(DCDCOUNT_WINE wine)
if(EXISTS /usr/lib/wine/wine OR EXISTS /usr/lib/wine/wine64)
    set(DCDCOUNT_WINE /usr/lib/wine/wine)
endif()
set(DCDCOUNT_WINESERVER wineserver)
set(DCDCOUNT_WINE32_ROOT "" CACHE PATH "A Debian root with 32-bit Wine, for a host without wine32")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(DCDCOUNT_RELEASED ON)
set(DCDCOUNT_PROMISED static aslr canary)
