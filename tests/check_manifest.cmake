# cmake -D OBJDUMP=... -D PROGRAM=dcdcount.exe -P check_manifest.cmake
# Fails unless the program carries its application manifest as resource 1 of
# type RT_MANIFEST (24), declaring long paths, the rights of whoever runs it
# and the supported systems, and leaving the ANSI code page as it is.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump COMMAND_ERROR_IS_FATAL ANY)
if(NOT dump MATCHES "Entry: ID: 0x000018,[^\n]*\n([^\n]*Table:[^\n]*\n)?[^\n]*Entry: ID: 0x000001,")
    message(FATAL_ERROR "${PROGRAM}: no resource 1 of type RT_MANIFEST")
endif()
file(STRINGS ${PROGRAM} manifest REGEX "<")
string(JOIN "\n" manifest ${manifest})
foreach(wanted IN ITEMS
        "<ws2:longPathAware>true</ws2:longPathAware>"
        "level=\"asInvoker\""
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}"   # Vista
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")  # 10 and 11
    string(FIND "${manifest}" "${wanted}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${PROGRAM}: the manifest lacks ${wanted}")
    endif()
endforeach()
if(manifest MATCHES "activeCodePage")
    message(FATAL_ERROR "${PROGRAM}: the manifest sets activeCodePage, which changes redirected output")
endif()
message(STATUS "${PROGRAM} carries its manifest")
