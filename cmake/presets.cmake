# cmake -P cmake/presets.cmake: the one list of the presets a user can choose, which CI, the release, the benchmark
# and the documents' check go through, as CMake reads CMakePresets.json and each preset's toolchain file:
#   NAME|released or -|CMAKE_SYSTEM_NAME (or this host's)|toolchain file or -|DCDCOUNT_STARTUP_UNMET
cmake_host_system_information(RESULT CMAKE_HOST_SYSTEM_NAME QUERY OS_NAME)
cmake_host_system_information(RESULT CMAKE_HOST_SYSTEM_PROCESSOR QUERY OS_PLATFORM)
get_filename_component(source ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
file(READ ${source}/CMakePresets.json presets)

# Each in a scope of its own, so that no toolchain file's settings reach the next.
function(describe index)
    string(JSON preset GET "${presets}" configurePresets ${index})
    string(JSON name GET "${preset}" name)
    string(JSON hidden ERROR_VARIABLE none GET "${preset}" hidden)
    string(JSON toolchain ERROR_VARIABLE none GET "${preset}" toolchainFile)
    if(hidden)
        return()
    endif()
    set(CMAKE_SYSTEM_NAME ${CMAKE_HOST_SYSTEM_NAME})
    if(toolchain)
        string(REPLACE "\${sourceDir}" "${source}" toolchain "${toolchain}")
        include(${toolchain})
    else()
        set(toolchain -)
    endif()
    set(released -)
    if(DCDCOUNT_RELEASED)
        set(released released)
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo
        "${name}|${released}|${CMAKE_SYSTEM_NAME}|${toolchain}|${DCDCOUNT_STARTUP_UNMET}")
endfunction()

string(JSON count LENGTH "${presets}" configurePresets)
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
    describe(${index})
endforeach()
