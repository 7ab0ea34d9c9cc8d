# cmake -D OBJDUMP=... -D PROGRAM=dcdcount.exe -P check_manifest.cmake
# Fails unless the program carries its application manifest as resource 1 of type RT_MANIFEST (24), declaring long
# paths, the rights of whoever runs it and the supported systems, each in the namespace where Windows looks for it
# (a setting in another namespace is silently ignored), and leaving the ANSI code page as it is.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump COMMAND_ERROR_IS_FATAL ANY)
if(NOT dump MATCHES "Entry: ID: 0x000018,[^\n]*\n([^\n]*Table:[^\n]*\n)?[^\n]*Entry: ID: 0x000001,")
    message(FATAL_ERROR "${PROGRAM}: no resource 1 of type RT_MANIFEST")
endif()
file(STRINGS ${PROGRAM} manifest REGEX "<")
string(JOIN "\n" manifest ${manifest})

# ELEMENT NAMESPACE WANTED: the element, named with the prefix it is given, in the namespace its prefix (or,
# without one, the nearest default) is bound to, holding WANTED.
set(settings
    "assembly            urn:schemas-microsoft-com:asm.v1                        manifestVersion=\"1.0\""
    "trustInfo           urn:schemas-microsoft-com:asm.v3                        <security>"
    "requestedExecutionLevel urn:schemas-microsoft-com:asm.v3                    level=\"asInvoker\""
    "compatibility       urn:schemas-microsoft-com:compatibility.v1              {e2011457-1546-43c5-a5fe-008deee3d3f0}"
    "supportedOS         urn:schemas-microsoft-com:compatibility.v1              {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
    "longPathAware       http://schemas.microsoft.com/SMI/2016/WindowsSettings   >true<")
foreach(row IN LISTS settings)
    string(REGEX MATCHALL "[^ ]+" row "${row}")
    list(POP_FRONT row element namespace wanted)
    if(NOT manifest MATCHES "<(([A-Za-z0-9]+):)?${element}[ >/]")
        message(FATAL_ERROR "${PROGRAM}: the manifest has no ${element}")
    endif()
    set(binding "xmlns=\"([^\"]*)\"")
    if(CMAKE_MATCH_2)
        set(binding "xmlns:${CMAKE_MATCH_2}=\"([^\"]*)\"")
    endif()
    string(FIND "${manifest}" "${CMAKE_MATCH_0}" start)
    string(SUBSTRING "${manifest}" 0 ${start} before)
    string(SUBSTRING "${manifest}" ${start} -1 after)
    string(FIND "${after}" "${wanted}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${PROGRAM}: the manifest's ${element} lacks ${wanted}")
    endif()
    # The binding in force: the last one opened up to and including the element's own start tag (its elements
    # nest without siblings that bind the same prefix).
    string(REGEX MATCH "^[^>]*>" own "${after}")
    string(REGEX MATCHALL "${binding}" bindings "${before}${own}")
    list(POP_BACK bindings last)
    if(NOT last MATCHES "^${binding}$" OR NOT CMAKE_MATCH_1 STREQUAL namespace)
        message(FATAL_ERROR "${PROGRAM}: the manifest's ${element} is in namespace "
            "'${CMAKE_MATCH_1}', where Windows does not look for it, not in ${namespace}")
    endif()
endforeach()
if(manifest MATCHES "activeCodePage")
    message(FATAL_ERROR "${PROGRAM}: the manifest sets activeCodePage, which changes redirected output")
endif()
message(STATUS "${PROGRAM} carries its manifest")
