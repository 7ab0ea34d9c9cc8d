# 32-bit Windows console program, built with Debian's mingw-w64 cross compiler
# and run under Wine where the build host runs the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

# The POSIX thread model: GoogleTest needs std::mutex, which the win32 model lacks.

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program self-contained: a clean Windows has no libstdc++ or libgcc DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Wine in a 32-bit prefix of the build's own, quiet on stderr, without the
# .NET and HTML engines a console program does not need.
set(DCDCOUNT_WINE_ENV
    WINEARCH=win32 WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml=)
set(CMAKE_CROSSCOMPILING_EMULATOR env ${DCDCOUNT_WINE_ENV} wine)
