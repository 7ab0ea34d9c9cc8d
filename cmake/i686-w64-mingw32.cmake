# 32-bit Windows console program, built with Debian's mingw-w64 cross compiler
# and run under Wine where the build host runs the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(dcdcount_triple i686-w64-mingw32)
# The POSIX thread model: GoogleTest needs std::mutex, which the win32 model lacks.
set(dcdcount_compiler_suffix -posix)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# Wine in a 32-bit prefix of the build's own, quiet on stderr, without the
# .NET and HTML engines a console program does not need.
set(DCDCOUNT_WINE_ENV
    WINEARCH=win32 WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all LC_ALL=C.UTF-8
    WINEDLLOVERRIDES=mscoree,mshtml=)
set(CMAKE_CROSSCOMPILING_EMULATOR env ${DCDCOUNT_WINE_ENV} wine)
