# cmake -D SOURCE=... -P check_messages.cmake
# Fails unless every text that tells users what dcdcount is and prints says
# what the source says:
# - README, the manual page, USAGE.txt of the Windows zips and the packages'
#   description give the three lines as app/count_frames.cpp prints them,
#   the exit status, 0, or -1 when closing the file fails, and the bytes read
#   as dcd/dcd_header.cpp reads them: twelve, sixteen with 8-byte record
#   markers; README's table gives each line with its exit status, 0;
# - README's install table has an RPM of each released Linux target's
#   processor, and doc/building.md's presets table a row of each preset;
# - doc/changelog's items fit in 80 columns, as Debian's tools want.
# Each text is compared in lower case, with troff's quotes, fonts and escapes
# taken out and lines joined, so that `.IB file " contains " n " frames."`
# reads "file contains n frames.".
function(fail)
    string(JOIN "" message ${ARGN})
    message(FATAL_ERROR "${message}")
endfunction()

file(READ ${SOURCE}/app/count_frames.cpp program)
string(REGEX MATCHALL "print_line\\(name, \"[^\"]*\"\\)" lines "${program}")
string(REGEX MATCH "\" contains %\" PRId32 \" frames\\.\"" count "${program}")
list(LENGTH lines found)
if(NOT found EQUAL 2 OR NOT count)
    fail("app/count_frames.cpp: not the three lines this check knows how to read")
endif()
list(TRANSFORM lines REPLACE "print_line\\(name, \"([^\"]*)\"\\)" "file\\1")
list(APPEND lines "file contains n frames.")
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
    foreach(line IN LISTS lines)
        string(TOLOWER "${line}" line)
        string(FIND "${content}" "${line}" at)
        if(at LESS 0)
            fail("${text} does not give the line the program prints: '${line}'")
        endif()
    endforeach()
    foreach(line IN ITEMS "exit status[^.]*0" "-1\\)? when closing"
            "first ${header_size} bytes of [^(]*\\(${long_header_size} where [a-z]+ header has 8-byte record markers")
        if(NOT content MATCHES "${line}")
            fail("${text} does not say what the program does: '${line}'")
        endif()
    endforeach()
endforeach()
file(READ ${SOURCE}/README.md readme)
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^file" "FILE" line "${line}")
    string(REPLACE " n " " N " line "${line}")
    string(FIND "${readme}" "| `${line}` | 0 |" at)
    if(at LESS 0)
        fail("README.md's table does not give `${line}` with exit status 0")
    endif()
endforeach()

# The presets, and the processor of each released Linux target.
file(READ ${SOURCE}/CMakePresets.json presets)
file(READ ${SOURCE}/doc/building.md building)
string(JSON count LENGTH "${presets}" configurePresets)
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
    string(JSON preset GET "${presets}" configurePresets ${index})
    string(JSON name GET "${preset}" name)
    string(JSON hidden ERROR_VARIABLE none GET "${preset}" hidden)
    string(JSON toolchain ERROR_VARIABLE none GET "${preset}" toolchainFile)
    if(NOT hidden)
        string(FIND "${building}" "\n| `${name}` |" at)
        if(at LESS 0)
            fail("doc/building.md's presets table has no row of the preset ${name}")
        endif()
    endif()
    string(REPLACE "\${sourceDir}" "${SOURCE}" toolchain "${toolchain}")
    if(toolchain AND NOT name MATCHES "^windows-")
        file(READ ${toolchain} settings)
        string(REGEX MATCH "set\\(CMAKE_SYSTEM_PROCESSOR ([^)]*)\\)" processor "${settings}")
        set(rpm "`dcdcount-*-1.${CMAKE_MATCH_1}.rpm`")
        string(FIND "${readme}" "${rpm}" at)
        if(settings MATCHES "\nset\\(DCDCOUNT_RELEASED ON\\)" AND at LESS 0)
            fail("README.md's install table has no ${rpm} of the preset ${name}")
        endif()
    endif()
endforeach()

file(STRINGS ${SOURCE}/doc/changelog items REGEX "^  ")
foreach(item IN LISTS items)
    string(LENGTH "${item}" length)
    if(length GREATER 80)
        fail("doc/changelog: a line of ${length} columns, more than 80: ${item}")
    endif()
endforeach()
message(STATUS "README, the manual page, USAGE.txt, the description, doc/building.md and doc/changelog "
    "say what the program and the presets say")
