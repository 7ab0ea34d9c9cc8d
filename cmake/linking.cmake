# How this build's programs link: the one place that decides it.
#
# Statically wherever a static program links: one self-contained file that runs on hosts whose libraries are older
# than the build machine's (or, on Windows, that lack the compiler's runtime DLLs), and starts faster without the
# dynamic loader. -static-pie where the C library has its start file (rcrt1.o), so that the program still loads at a
# random address; plain -static elsewhere (Debian 12's C library for IBM Z, Windows). GCC given both links a broken
# program, so exactly one is chosen.
#
# DCDCOUNT_STATIC: AUTO links statically where a small static program links (not on Fedora, RHEL and Rocky without
# glibc-static and libstdc++-static); ON insists; OFF links dynamically, as distributions prefer. macOS has no static
# programs, and the sanitizers need a dynamic one. A toolchain file with a link rule of its own (musl.cmake) names it
# in DCDCOUNT_TOOLCHAIN_LINK. Sets DCDCOUNT_LINK (static-pie, static or dynamic) and DCDCOUNT_LINK_OPTIONS.
set(DCDCOUNT_STATIC AUTO CACHE STRING "Link statically: AUTO (where a static program links), ON or OFF")
set_property(CACHE DCDCOUNT_STATIC PROPERTY STRINGS AUTO ON OFF)

set(DCDCOUNT_LINK dynamic)
set(DCDCOUNT_LINK_OPTIONS "")
set(refused "")
if(DCDCOUNT_TOOLCHAIN_LINK)
    set(DCDCOUNT_LINK ${DCDCOUNT_TOOLCHAIN_LINK})
    set(why "the toolchain file links every program so")
elseif(NOT DCDCOUNT_STATIC)
    set(why "DCDCOUNT_STATIC=OFF")
elseif(DCDCOUNT_SANITIZE OR APPLE)
    set(why "the sanitizers and macOS need a dynamically linked program")
    set(refused "${why}")
else()
    # Tried once per build folder; the flag that links, or none, is kept in the cache.
    if(NOT DEFINED CACHE{DCDCOUNT_STATIC_FLAG})
        set(flag -static)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=rcrt1.o
            OUTPUT_VARIABLE rcrt1 OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND IS_ABSOLUTE "${rcrt1}")
            set(flag -static-pie)
        endif()
        # A program that needs the C++ library too, as the tests do.
        set(dir ${CMAKE_BINARY_DIR}/CMakeFiles/static_link)
        file(WRITE ${dir}/static.cpp
            "#include <string>\nint main(int, char** argv) { return std::string(argv[0]).empty(); }\n")
        try_compile(linked ${dir}/build ${dir}/static.cpp LINK_OPTIONS ${flag}
            CMAKE_FLAGS -DCMAKE_POSITION_INDEPENDENT_CODE=ON)
        if(NOT linked)
            set(flag "")
        endif()
        set(DCDCOUNT_STATIC_FLAG "${flag}" CACHE INTERNAL "The static link flag that links here, or none")
    endif()
    if(DCDCOUNT_STATIC_FLAG)
        string(SUBSTRING ${DCDCOUNT_STATIC_FLAG} 1 -1 DCDCOUNT_LINK)
        set(DCDCOUNT_LINK_OPTIONS ${DCDCOUNT_STATIC_FLAG})
        set(why "a small ${DCDCOUNT_LINK} program links here")
    else()
        set(why "no static C and C++ libraries; install them for one self-contained file \
(Fedora, RHEL, Rocky: glibc-static and libstdc++-static)")
        set(refused "${why}")
    endif()
endif()
if(DCDCOUNT_STATIC AND NOT DCDCOUNT_STATIC STREQUAL "AUTO" AND refused)
    message(FATAL_ERROR "DCDCOUNT_STATIC=ON, but no static program links here: ${refused}")
elseif(NOT DCDCOUNT_STATIC AND DCDCOUNT_TOOLCHAIN_LINK)
    message(FATAL_ERROR "The toolchain file links only ${DCDCOUNT_LINK} programs: drop DCDCOUNT_STATIC=OFF")
endif()
if(DCDCOUNT_LINK STREQUAL "static-pie")
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
message(STATUS "Link: ${DCDCOUNT_LINK}: ${why}")
if(DCDCOUNT_SANITIZE)
    add_link_options(-fsanitize=address,undefined)
endif()

# dcdcount_link_program(TARGET KIND): links TARGET as this build links its programs (cross builds run the tests'
# programs too where the target's libraries are not). KIND: program (dcdcount: on Windows wmain, for UTF-16 arguments,
# and no link time in its header), test, fuzzer (libFuzzer's main), or dynamic (a dynamic copy for valgrind, which
# cannot see into static glibc).
function(dcdcount_link_program target kind)
    if(NOT kind STREQUAL "dynamic")
        target_link_options(${target} PRIVATE ${DCDCOUNT_LINK_OPTIONS})
    endif()
    if(kind STREQUAL "program" AND WIN32)
        target_link_options(${target} PRIVATE -municode -Wl,--no-insert-timestamp)
    elseif(kind STREQUAL "fuzzer")
        target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    endif()
endfunction()
