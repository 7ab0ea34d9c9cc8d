# How a program of this build links statically, in one flag, since GCC given
# both links a broken program: -static-pie where the C library has the start
# file for it (rcrt1.o), so that the program loads at a random address; plain
# -static elsewhere (Debian 12's s390x C library, Windows). Sets
# DCDCOUNT_STATIC_LINK, and turns on position-independent code for
# -static-pie. Included by cross.cmake and, for the plain build, by the top
# CMakeLists.txt.
set(DCDCOUNT_STATIC_LINK -static)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=rcrt1.o
        OUTPUT_VARIABLE rcrt1 OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(IS_ABSOLUTE "${rcrt1}")
        set(DCDCOUNT_STATIC_LINK -static-pie)
        set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    endif()
endif()
