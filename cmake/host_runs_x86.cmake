# How the tests start a 32-bit x86 program (the linux-x86 and windows-x86
# builds). Most x86-64 kernels run 32-bit x86 programs; some have IA-32
# emulation switched off (some cloud and hardened kernels, WSL 1), and there
# neither such a program nor 32-bit Wine can start.
#
# DCDCOUNT_HOST_RUNS_X86 decides: AUTO (the default) builds a small program
# for the target and tries it, natively for Linux and under 32-bit Wine for
# Windows; ON or OFF forces either answer. Where the answer is no, a Linux
# program is run under qemu-i386 (qemu-user), and a Windows program's tests
# are skipped. The configure output says which.
#
# Sets CMAKE_CROSSCOMPILING_EMULATOR for Linux, and dcdcount_cannot_run: why
# the tests cannot start the program here, or nothing where they can.
set(DCDCOUNT_HOST_RUNS_X86 AUTO CACHE STRING
    "Whether this host runs 32-bit x86 programs (and 32-bit Wine): AUTO, ON or OFF")
set_property(CACHE DCDCOUNT_HOST_RUNS_X86 PROPERTY STRINGS AUTO ON OFF)

if(DCDCOUNT_HOST_RUNS_X86 STREQUAL "AUTO")
    # Tried once per build folder; the answer is kept in the cache.
    if(NOT DEFINED CACHE{DCDCOUNT_X86_TRIED})
        set(dir ${CMAKE_BINARY_DIR}/CMakeFiles/host_runs_x86)
        file(WRITE ${dir}/x86.cpp "int main() { return 42; }\n")
        try_compile(built ${dir}/build SOURCES ${dir}/x86.cpp
            COPY_FILE ${dir}/x86${CMAKE_EXECUTABLE_SUFFIX} OUTPUT_VARIABLE log)
        if(NOT built)
            message(FATAL_ERROR "Cannot build a small program for the target:\n${log}")
        endif()
        if(WIN32)
            # Wine leaves its server and services running a while: nothing of
            # theirs may hold a pipe of this process, and the server is stopped.
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
            set(how "32-bit Wine")
        else()
            # Started by bash: where execvp would hand a program that cannot
            # start to sh as a script, bash gives status 126.
            execute_process(COMMAND bash -c [[exec "$0"]] ${dir}/x86 RESULT_VARIABLE result
                OUTPUT_QUIET ERROR_QUIET)
            set(error "")
            set(how "this host")
        endif()
        if(result EQUAL 42)
            set(tried "")
        else()
            set(tried "${how} did not start a small 32-bit x86 program (status ${result}${error})")
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
    message(STATUS "32-bit x86 tests: under 32-bit Wine (${why})")
elseif(runs_x86)
    message(STATUS "32-bit x86 tests: natively (${why})")
elseif(WIN32)
    set(dcdcount_cannot_run "the 32-bit program cannot start here: ${why}")
    message(STATUS "32-bit x86 tests: skipped where they start the program: ${why}")
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
