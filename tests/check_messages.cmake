# cmake -D SOURCE=... -P check_messages.cmake
# Fails unless every text that tells users what dcdcount prints (README, the
# manual page, USAGE.txt of the Windows zips, the packages' description) says
# the same: the three lines, word for word, the exit status, 0, or -1 when
# closing the file fails, and how much of the file it reads: twelve bytes,
# sixteen with 8-byte record markers. README's table gives each line with
# its exit status, 0. Each is compared in lower case, with troff's quotes,
# fonts and escapes taken out and lines joined, so that
# `.IB file " contains " n " frames."` reads "file contains n frames.".
foreach(text IN ITEMS README.md doc/dcdcount.1 doc/usage.txt doc/description.txt)
    file(READ ${SOURCE}/${text} content)
    string(TOLOWER "${content}" content)
    string(REGEX REPLACE "\n\\.[a-z]+ " "\n" content "${content}")
    string(REPLACE "\"" "" content "${content}")
    string(REPLACE "\\-" "-" content "${content}")
    string(REGEX REPLACE "[ \n]+" " " content "${content}")
    foreach(line IN ITEMS "file contains n frames\\." "file is not a valid dcd file[^.]"
            "file is not a valid file name\\." "exit status[^.]*0" "-1\\)? when closing"
            "first twelve bytes of [^(]*\\(sixteen where [a-z]+ header has 8-byte record markers")
        if(NOT content MATCHES "${line}")
            message(FATAL_ERROR "${text} does not say what the others say: '${line}'")
        endif()
    endforeach()
endforeach()
file(READ ${SOURCE}/README.md readme)
foreach(line IN ITEMS "`FILE contains N frames.`" "`FILE is not a valid DCD file`" "`FILE is not a valid file name.`")
    if(NOT readme MATCHES "\\| ${line} \\| 0 \\|")
        message(FATAL_ERROR "README.md's table does not give ${line} with exit status 0")
    endif()
endforeach()
message(STATUS "README, the manual page, USAGE.txt and the description agree on what dcdcount prints")
