# cmake -D OBJDUMP=... -D PROGRAM=dcdcount.exe -P check_imports.cmake
# Fails unless the program imports only DLLs that come with Windows itself.
# ADVAPI32 is one of them, in every Windows: the stack canaries' libssp asks
# it for the random value each run starts with.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
if(NOT imports)
    message(FATAL_ERROR "${PROGRAM}: no imported DLLs found")
endif()
foreach(import IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${import}")
    string(TOLOWER "${dll}" dll)
    if(dll MATCHES "^(kernel32|msvcrt|advapi32|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\\.dll$")
        message(STATUS "imports ${dll}: a system DLL")
    else()
        message(FATAL_ERROR "${PROGRAM} imports ${dll}, which a clean Windows does not have")
    endif()
endforeach()
