# cmake -P cmake/presets.cmake: the presets a user can choose, one line each, as CMake reads
# CMakePresets.json and each preset's toolchain file:
#   NAME|workflow or target|released or -|system|toolchain file or -|why it misses the start-up goals
# the system being the toolchain's CMAKE_SYSTEM_NAME or this host's, and the last field the toolchain's
# DCDCOUNT_STARTUP_UNMET, where it says why its program cannot meet the benchmark's start-up goals. The one
# list of presets that CI, the release, the benchmark and the documents' check go through.
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
    set(kind target)
    string(JSON workflow ERROR_VARIABLE none GET "${presets}" workflowPresets)
    if(workflow MATCHES "\"name\" *: *\"${name}\"")
        set(kind workflow)
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
        "${name}|${kind}|${released}|${CMAKE_SYSTEM_NAME}|${toolchain}|${DCDCOUNT_STARTUP_UNMET}")
endfunction()

string(JSON count LENGTH "${presets}" configurePresets)
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
    describe(${index})
endforeach()
