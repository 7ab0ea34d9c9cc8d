# How this build's programs link: the one place that decides it, included by
# the top CMakeLists.txt before any target exists.
#
# Statically wherever a static program links: one self-contained file that
# runs on hosts whose libraries are older than the build machine's (or, on
# Windows, that lack the compiler's runtime DLLs), and starts faster without
# the dynamic loader. -static-pie where the C library has the start file for
# it (rcrt1.o), so that the program still loads at a random address; plain
# -static elsewhere (C libraries without it, as Debian 12's for IBM Z, and
# Windows). GCC given both links a broken program, so exactly one is chosen.
#
# DCDCOUNT_STATIC: AUTO (the default) links a tiny static program at
# configure time, and links statically where it links, dynamically where it
# does not (as on Fedora, RHEL and Rocky without glibc-static and
# libstdc++-static); ON insists, and configure fails where it cannot; OFF
# links dynamically, as distributions prefer. macOS has no static programs,
# and the sanitizers need a dynamic one. A toolchain file that links its
# programs by a rule of its own (the musl one) says how in
# DCDCOUNT_TOOLCHAIN_LINK, and that stands.
#
# Every program of the build links the same way (dcdcount and the tests'
# programs: cross builds run them under an emulator or Wine, where the
# target's libraries are not), each by dcdcount_link_program() at the end.
# Sets DCDCOUNT_LINK (static-pie, static or dynamic) and
# DCDCOUNT_LINK_OPTIONS, and configure says which, and why, in one line.

set(DCDCOUNT_STATIC AUTO CACHE STRING
    "Link statically: AUTO (where a static program links), ON (insist) or OFF")
set_property(CACHE DCDCOUNT_STATIC PROPERTY STRINGS AUTO ON OFF)
if(DCDCOUNT_STATIC STREQUAL "AUTO")
    set(wanted AUTO)
elseif(DCDCOUNT_STATIC)
    set(wanted ON)
else()
    set(wanted OFF)
endif()

set(DCDCOUNT_LINK dynamic)
set(DCDCOUNT_LINK_OPTIONS "")
set(refused "")
if(DCDCOUNT_TOOLCHAIN_LINK)
    set(DCDCOUNT_LINK ${DCDCOUNT_TOOLCHAIN_LINK})
    set(why "the toolchain file links every program so")
    if(wanted STREQUAL "OFF" AND NOT DCDCOUNT_LINK STREQUAL "dynamic")
        message(FATAL_ERROR "The toolchain file links only ${DCDCOUNT_LINK} programs: drop DCDCOUNT_STATIC=OFF")
    endif()
elseif(wanted STREQUAL "OFF")
    set(why "DCDCOUNT_STATIC=OFF")
elseif(DCDCOUNT_SANITIZE)
    set(why "the sanitizers need a dynamically linked program")
    set(refused "${why}")
elseif(APPLE)
    set(why "macOS has no static programs")
    set(refused "${why}")
else()
    # Tried once per build folder; the answer is kept in the cache.
    if(NOT DEFINED CACHE{DCDCOUNT_STATIC_TRIED})
        set(candidates -static)
        if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
            execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=rcrt1.o
                OUTPUT_VARIABLE rcrt1 OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
            if(IS_ABSOLUTE "${rcrt1}")
                set(candidates -static-pie -static)
            endif()
        endif()
        # A program that needs the C++ library too, as the tests do.
        set(dir ${CMAKE_BINARY_DIR}/CMakeFiles/static_link)
        file(WRITE ${dir}/static.cpp [[
#include <cstdio>
#include <string>
int main(int, char** argv) { return std::printf("%s\n", std::string(argv[0]).c_str()) < 0; }
]])
        set(tried "")
        foreach(flag IN LISTS candidates)
            try_compile(linked ${dir}/build SOURCES ${dir}/static.cpp LINK_OPTIONS ${flag}
                CMAKE_FLAGS -DCMAKE_POSITION_INDEPENDENT_CODE=ON OUTPUT_VARIABLE log)
            if(linked)
                set(tried ${flag})
                break()
            endif()
        endforeach()
        if(NOT tried)
            # What the linker said first: which library it did not find.
            string(REGEX MATCH "[^\n]*(cannot find|not found|No such file)[^\n]*" error "${log}")
            string(STRIP "${error}" error)
            set(tried "no: ${error}")
        endif()
        set(DCDCOUNT_STATIC_TRIED "${tried}" CACHE INTERNAL "The static link flag that links, or why none")
    endif()
    if(DCDCOUNT_STATIC_TRIED MATCHES "^-")
        string(REGEX REPLACE "^-" "" DCDCOUNT_LINK ${DCDCOUNT_STATIC_TRIED})
        set(DCDCOUNT_LINK_OPTIONS ${DCDCOUNT_STATIC_TRIED})
        set(why "a small static program links here")
    else()
        string(REGEX REPLACE "^no: " "" error "${DCDCOUNT_STATIC_TRIED}")
        string(CONCAT why "no static C and C++ libraries (${error}); install them for one "
            "self-contained file (Fedora, RHEL, Rocky: glibc-static and libstdc++-static)")
        set(refused "${why}")
    endif()
endif()
if(wanted STREQUAL "ON" AND refused)
    message(FATAL_ERROR "DCDCOUNT_STATIC=ON, but no static program links here: ${refused}; "
        "or configure with DCDCOUNT_STATIC=AUTO or OFF for a dynamically linked one")
endif()
if(DCDCOUNT_LINK STREQUAL "static-pie")
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
message(STATUS "Link: ${DCDCOUNT_LINK}: ${why}")

# The sanitizers' run-time libraries, in every program and in GoogleTest's.
if(DCDCOUNT_SANITIZE)
    add_link_options(-fsanitize=address,undefined)
endif()

# dcdcount_link_program(TARGET KIND): links the program TARGET as this build
# links its programs. KIND is one of
#   program  dcdcount itself: on Windows its entry point is wmain, which takes
#            the arguments as UTF-16, and its header holds no link time, so
#            that the same source gives the same program;
#   test     a test's program;
#   fuzzer   the fuzz target: libFuzzer supplies its main;
#   dynamic  a copy of dcdcount linked dynamically, the packagers' way, for
#            valgrind, which cannot see into a statically linked glibc (it
#            reports the library's own start-up).
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

# dcdcount_program_for_valgrind(VARIABLE): the program that valgrind checks,
# dcdcount or its dynamic copy.
function(dcdcount_program_for_valgrind variable)
    if(DCDCOUNT_LINK STREQUAL "dynamic" OR DCDCOUNT_MUSL)
        set(${variable} dcdcount PARENT_SCOPE)
    else()
        add_executable(dcdcount_dynamic)
        target_link_libraries(dcdcount_dynamic PRIVATE dcdcount_driver)
        dcdcount_link_program(dcdcount_dynamic dynamic)
        set(${variable} dcdcount_dynamic PARENT_SCOPE)
    endif()
endfunction()
