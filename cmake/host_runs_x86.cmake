# How the tests start a 32-bit x86 program (the 32-bit x86 Linux and
# Windows builds). Most x86-64 kernels run 32-bit x86 programs; some have
# IA-32 emulation switched off (some cloud and hardened kernels, WSL 1), and
# there neither such a program nor 32-bit Wine can start. And 32-bit Wine may
# be missing, as where the archive's i386 side could not be installed.
#
# DCDCOUNT_HOST_RUNS_X86 decides: AUTO (the default) builds a small program
# for the target and tries it, natively for Linux and under 32-bit Wine for
# Windows; ON or OFF forces either answer. Where the answer is no, a Linux
# program is run under qemu-i386 (qemu-user), and a Windows program's tests
# are skipped. The configure output says which, and why: for Windows, whether
# 32-bit Wine is not installed, or the kernel cannot start it.
#
# Sets CMAKE_CROSSCOMPILING_EMULATOR for Linux, and dcdcount_cannot_run: why
# the tests cannot start the program here, or nothing where they can.
# 32-bit Wine is the host's (wine32), or, where the host has none, that of a
# Debian root made by tests/wine32-root.sh in DCDCOUNT_WINE32_ROOT: the tests
# then start Wine in that root, through wrappers in this build folder.
if(WIN32)
    if(DEFINED ENV{XDG_CACHE_HOME})
        set(cache $ENV{XDG_CACHE_HOME})
    else()
        set(cache $ENV{HOME}/.cache)
    endif()
    set(DCDCOUNT_WINE32_ROOT ${cache}/dcdcount/wine32-root CACHE PATH
        "A Debian root with 32-bit Wine (tests/wine32-root.sh makes it), for a host without wine32")
    set(wine "this host's 32-bit Wine (${DCDCOUNT_WINE})")
    if(NOT EXISTS "${DCDCOUNT_WINE}" AND EXISTS "${DCDCOUNT_WINE32_ROOT}/usr/lib/wine/wine")
        set(wine "32-bit Wine of the root ${DCDCOUNT_WINE32_ROOT}")
        foreach(program IN ITEMS /usr/lib/wine/wine wineserver)
            get_filename_component(name ${program} NAME)
            file(WRITE ${CMAKE_BINARY_DIR}/wine32-root/${name} "#!/bin/sh
exec '${PROJECT_SOURCE_DIR}/tests/wine32-root.sh' run '${DCDCOUNT_WINE32_ROOT}' \\
    '${PROJECT_SOURCE_DIR}' '${PROJECT_BINARY_DIR}' -- ${program} \"$@\"
")
            file(CHMOD ${CMAKE_BINARY_DIR}/wine32-root/${name}
                PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
        endforeach()
        set(DCDCOUNT_WINE ${CMAKE_BINARY_DIR}/wine32-root/wine)
        set(DCDCOUNT_WINESERVER ${CMAKE_BINARY_DIR}/wine32-root/wineserver)
        list(FILTER DCDCOUNT_WINE_ENV EXCLUDE REGEX "^WINESERVER=")
        set(CMAKE_CROSSCOMPILING_EMULATOR env ${DCDCOUNT_WINE_ENV} ${DCDCOUNT_WINE})
    endif()
endif()

set(DCDCOUNT_HOST_RUNS_X86 AUTO CACHE STRING
    "Whether this host runs 32-bit x86 programs (and 32-bit Wine): AUTO, ON or OFF")
set_property(CACHE DCDCOUNT_HOST_RUNS_X86 PROPERTY STRINGS AUTO ON OFF)

if(DCDCOUNT_HOST_RUNS_X86 STREQUAL "AUTO")
    # Tried once per build folder; the answer is kept in the cache.
    if(NOT DEFINED CACHE{DCDCOUNT_X86_TRIED})
        set(dir ${CMAKE_BINARY_DIR}/CMakeFiles/host_runs_x86)
        file(WRITE ${dir}/x86.cpp "int main() { return 42; }\n")
        # Linked as the build's programs are (linking.cmake): a 32-bit x86
        # host has no libraries of ours to start it with.
        try_compile(built ${dir}/build SOURCES ${dir}/x86.cpp LINK_OPTIONS ${DCDCOUNT_LINK_OPTIONS}
            CMAKE_FLAGS -DCMAKE_POSITION_INDEPENDENT_CODE=${CMAKE_POSITION_INDEPENDENT_CODE}
            COPY_FILE ${dir}/x86${CMAKE_EXECUTABLE_SUFFIX} OUTPUT_VARIABLE log)
        if(NOT built)
            message(FATAL_ERROR "Cannot build a small program for the target:\n${log}")
        endif()
        if(WIN32)
            # First whether 32-bit Wine is there at all, and whether this
            # kernel starts its loader (itself a 32-bit x86 program); bash,
            # unlike sh, gives status 126 for a program that cannot start
            # rather than reading it as a script.
            execute_process(COMMAND bash -c [[command -v "$0" >/dev/null || exit 127; exec "$0" --version]]
                ${DCDCOUNT_WINE} RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
            if(result EQUAL 127)
                set(tried "32-bit Wine is not installed (${DCDCOUNT_WINE}; Debian and Ubuntu: wine32, or a root made by tests/wine32-root.sh in DCDCOUNT_WINE32_ROOT)")
            elseif(result EQUAL 126)
                set(tried "this kernel runs no 32-bit x86 program: 32-bit Wine cannot start")
            else()
                # Wine leaves its server and services running a while: nothing
                # of theirs may hold a pipe of this process, and the server is
                # stopped.
                execute_process(COMMAND env ${DCDCOUNT_WINE_ENV} ${DCDCOUNT_WINE} ${dir}/x86.exe
                    INPUT_FILE /dev/null OUTPUT_FILE /dev/null ERROR_FILE ${dir}/wine.log
                    RESULT_VARIABLE result)
                execute_process(COMMAND env ${DCDCOUNT_WINE_ENV} ${DCDCOUNT_WINESERVER} -k
                    INPUT_FILE /dev/null OUTPUT_FILE /dev/null ERROR_FILE /dev/null)
                file(STRINGS ${dir}/wine.log lines REGEX ".")
                list(POP_BACK lines error)
                if(error)
                    set(error ": ${error}")
                endif()
                set(tried "32-bit Wine did not start a small 32-bit x86 program (status ${result}${error})")
            endif()
        else()
            # Started by bash, for the same reason.
            execute_process(COMMAND bash -c [[exec "$0"]] ${dir}/x86 RESULT_VARIABLE result
                OUTPUT_QUIET ERROR_QUIET)
            set(tried "this host did not start a small 32-bit x86 program (status ${result})")
        endif()
        if(result EQUAL 42)
            set(tried "")
        endif()
        set(DCDCOUNT_X86_TRIED "${tried}" CACHE INTERNAL "Why a 32-bit x86 program did not start")
    endif()
    if(DCDCOUNT_X86_TRIED)
        set(runs_x86 OFF)
        set(why "${DCDCOUNT_X86_TRIED}")
    else()
        set(runs_x86 ON)
        set(why "a small 32-bit x86 program started")
    endif()
else()
    set(runs_x86 ${DCDCOUNT_HOST_RUNS_X86})
    set(why "DCDCOUNT_HOST_RUNS_X86=${DCDCOUNT_HOST_RUNS_X86}")
endif()

if(runs_x86 AND WIN32)
    message(STATUS "32-bit x86 tests: under ${wine} (${why})")
elseif(runs_x86)
    message(STATUS "32-bit x86 tests: natively (${why})")
elseif(WIN32)
    set(dcdcount_cannot_run "the 32-bit program cannot start here, under ${wine}: ${why}")
    message(STATUS "32-bit x86 tests: skipped where they start the program, under ${wine}: ${why}")
else()
    find_program(DCDCOUNT_QEMU_I386 qemu-i386)
    if(DCDCOUNT_QEMU_I386)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${DCDCOUNT_QEMU_I386})
        message(STATUS "32-bit x86 tests: under qemu-i386 (${why})")
    else()
        set(dcdcount_cannot_run "no qemu-i386 (qemu-user) for a host that runs no 32-bit x86 programs: ${why}")
        message(STATUS "32-bit x86 tests: skipped where they start the program: ${dcdcount_cannot_run}")
    endif()
endif()
