# What both Windows toolchains share, included by each once it has set CMAKE_SYSTEM_PROCESSOR, dcdcount_triple,
# dcdcount_wine_arch (win32 or win64), DCDCOUNT_WINE and DCDCOUNT_WINESERVER (Wine's loader and server for programs of
# that width): Debian's mingw-w64 cross compilers with the POSIX thread model, static programs, and the tests run
# under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(dcdcount_compiler_suffix -posix)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
set(CMAKE_RC_COMPILER ${dcdcount_triple}-windres)

# Wine in a prefix of the build's own, quiet on stderr, without the .NET and HTML engines a console program does not
# need; the loader uses the server named here, where a path names it.
set(DCDCOUNT_WINE_ENV WINEARCH=${dcdcount_wine_arch} WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
    WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=)
if(IS_ABSOLUTE ${DCDCOUNT_WINESERVER})
    list(APPEND DCDCOUNT_WINE_ENV WINESERVER=${DCDCOUNT_WINESERVER})
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR env ${DCDCOUNT_WINE_ENV} ${DCDCOUNT_WINE})
