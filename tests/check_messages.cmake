# cmake -D SOURCE=... -P check_messages.cmake
# Fails unless what users read says what the source says: README, the manual page, USAGE.txt of the Windows zips
# and the packages' description give the exit status (0, or -1 when closing the file fails) and the bytes read as
# dcd/dcd_header.cpp reads them (the lines the program prints are held against the program itself, by the
# command-line cases); doc/building.md has a row of each preset, and its preset for a new target, added to
# CMakePresets.json, is one that CMake reads; doc/changelog's items fit in 80 columns, as Debian's tools want.
# Texts are compared in lower case, troff's quotes and escapes taken out and lines joined.

file(READ ${SOURCE}/dcd/dcd_header.cpp probe)
set(words zero one two three four five six seven eight nine ten eleven twelve thirteen fourteen fifteen sixteen)
foreach(size IN ITEMS header_size long_header_size)
    string(REGEX MATCH "constexpr std::size_t ${size} = ([0-9]+);" bytes "${probe}")
    list(GET words ${CMAKE_MATCH_1} ${size})
endforeach()

foreach(text IN ITEMS README.md doc/dcdcount.1 doc/usage.txt doc/description.txt)
    file(READ ${SOURCE}/${text} content)
    string(TOLOWER "${content}" content)
    string(REGEX REPLACE "\n\\.[a-z]+ " "\n" content "${content}")
    string(REPLACE "\"" "" content "${content}")
    string(REPLACE "\\-" "-" content "${content}")
    string(REGEX REPLACE "[ \n]+" " " content "${content}")
    foreach(line IN ITEMS "exit status[^.]*0" "-1\\)? when closing"
            "first ${header_size} bytes of [^(]*\\(${long_header_size} where [a-z]+ header has 8-byte record markers")
        if(NOT content MATCHES "${line}")
            message(FATAL_ERROR "${text} does not say what the program does: '${line}'")
        endif()
    endforeach()
endforeach()
# The presets, each with its row and no row without its preset; and building.md's new target, which CMake must read beside them.
file(READ ${SOURCE}/doc/building.md building)
execute_process(COMMAND ${CMAKE_COMMAND} -P ${SOURCE}/cmake/presets.cmake OUTPUT_VARIABLE listed
    COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "(^|\n)[^|\n]+" names "${listed}")
list(TRANSFORM names STRIP)
string(REGEX MATCH "\n\\| Preset \\|[^\n]*\n[^\n]*\n(\\|[^\n]*\n)+" table "${building}")
string(REGEX MATCHALL "\n\\| `[^`]+`" rows "${table}")
list(TRANSFORM rows REPLACE "^\n\\| `([^`]+)`$" "\\1")
list(SORT rows)
list(SORT names)
if(NOT rows STREQUAL names)
    message(FATAL_ERROR "doc/building.md's presets table has rows of ${rows}, not of the presets ${names}")
endif()
string(REGEX MATCH "Try it: `cmake --preset ([^ ]+) " try "${building}")
set(try "${CMAKE_MATCH_1}")
if(NOT names OR NOT try OR NOT building MATCHES "one configure preset after the others:\n *`([^`]+)`")
    message(FATAL_ERROR "doc/building.md: no presets, or no preset and command for a new target")
endif()
file(READ ${SOURCE}/CMakePresets.json presets)
string(JSON count LENGTH "${presets}" configurePresets)
string(JSON presets SET "${presets}" configurePresets ${count} "${CMAKE_MATCH_1}")
file(WRITE new-target/CMakePresets.json "${presets}")
if(CMAKE_VERSION VERSION_LESS 3.25)
    message(STATUS "doc/building.md's preset for a new target: not read, as CMake 3.25 reads the presets")
else()
    execute_process(COMMAND ${CMAKE_COMMAND} --list-presets WORKING_DIRECTORY new-target
        OUTPUT_VARIABLE read ERROR_VARIABLE read RESULT_VARIABLE failed)
    if(failed OR NOT read MATCHES "\n  \"${try}\" ")
        message(FATAL_ERROR "doc/building.md's preset for a new target, beside the others, is not the ${try} "
            "that its command builds, as CMake reads it:\n${read}")
    endif()
endif()

string(REPEAT "." 79 more)
file(STRINGS ${SOURCE}/doc/changelog long REGEX "^  ${more}")
if(long)
    message(FATAL_ERROR "doc/changelog: items of more than 80 columns: ${long}")
endif()
message(STATUS "README, the manual page, USAGE.txt, the description, doc/building.md and doc/changelog agree")
