# Read by CPack for each generator it runs, with CPACK_GENERATOR naming that
# one: chooses the extras of that package, written into its staging area by
# one of the extras_*.cmake scripts. Every file in a package carries the
# release's time (SOURCE_DATE_EPOCH, unless the environment sets it).

if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} ${CPACK_DCDCOUNT_SOURCE_DATE_EPOCH})
endif()
set(ENV{TZ} UTC)

if(CPACK_GENERATOR STREQUAL "DEB")
    set(CPACK_INSTALL_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/extras_deb.cmake)
elseif(CPACK_GENERATOR STREQUAL "RPM")
    set(CPACK_INSTALL_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/extras_rpm.cmake)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
    # One top folder holding bin/, share/man/ and share/doc/: unpacked into
    # ~/.local with --strip-components=1, it needs no root.
    set(CPACK_PACKAGING_INSTALL_PREFIX "")
    set(CPACK_INSTALL_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/extras_tgz.cmake)
endif()
