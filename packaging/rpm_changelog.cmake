# Writes rpm-changelog in the build folder: the entries of doc/changelog (the
# Debian changelog) as rpmbuild's %changelog takes them, newest first:
#
#   * Wed Dec 09 2026 The dcdcount developers <...> - 1.0.0-1
#   - First release: prints how many frames ...
#     continued.
file(STRINGS ${PROJECT_SOURCE_DIR}/doc/changelog lines)
set(changelog "")
foreach(line IN LISTS lines)
    if(line MATCHES "^dcdcount \\(([^)]+)\\)")
        set(version ${CMAKE_MATCH_1})
        set(items "")
    elseif(line MATCHES "^  \\* (.*)")
        string(APPEND items "- ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^    (.*)")
        string(APPEND items "  ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^ -- (.+)  ([A-Z][a-z][a-z]), ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
        string(APPEND changelog "* ${CMAKE_MATCH_2} ${CMAKE_MATCH_4} ${CMAKE_MATCH_3} ${CMAKE_MATCH_5} "
            "${CMAKE_MATCH_1} - ${version}-${CPACK_RPM_PACKAGE_RELEASE}\n${items}\n")
    endif()
endforeach()
string(STRIP "${changelog}" changelog)
file(WRITE ${PROJECT_BINARY_DIR}/rpm-changelog "${changelog}\n")
