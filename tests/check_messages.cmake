# cmake -D SOURCE=... -P check_messages.cmake
# Fails unless every text that tells users what dcdcount prints (README, the
# manual page, USAGE.txt of the Windows zips, the packages' description) says
# the same: the three lines, word for word, and the exit status, 0, or -1 when
# closing the file fails. Each is compared in lower case, with troff's quotes,
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
            "file is not a valid file name\\." "exit status[^.]*0" "-1\\)? when closing")
        if(NOT content MATCHES "${line}")
            message(FATAL_ERROR "${text} does not say what the others say: '${line}'")
        endif()
    endforeach()
endforeach()
message(STATUS "README, the manual page, USAGE.txt and the description agree on what dcdcount prints")
