# The packages, made by the package target (cpack): on Linux a .deb, an RPM
# (where rpmbuild is installed) and a tarball for users without root; on
# Windows a .zip. Each holds the same program, and each rebuilds from the same
# source to the same bytes, wherever and by whomever it is built.
#
# Everything CPack runs here works inside its own staging area: the extras of
# each package (per_generator.cmake chooses them by the generator that runs)
# and the repacking (pack_again.cmake).

set(CPACK_PACKAGE_NAME dcdcount)
set(CPACK_PACKAGE_VENDOR "The dcdcount developers")
set(CPACK_PACKAGE_CONTACT "The dcdcount developers <maintainers@users.noreply.c-seed-cf7f2c01.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "dcdcount reads the first twelve bytes of a DCD trajectory file (sixteen\n\
where its header has 8-byte record markers), written in either byte order,\n\
and prints the number of frames that its header declares, or why there is\n\
none. It reads nothing more, whatever the size of the file.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

# What the scripts CPack runs need to know of this build.
set(CPACK_DCDCOUNT_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_DCDCOUNT_BINARY_DIR ${PROJECT_BINARY_DIR})
set(CPACK_DCDCOUNT_SOURCE_DATE_EPOCH ${DCDCOUNT_SOURCE_DATE_EPOCH})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/per_generator.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/normalise.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/pack_again.cmake)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(CPACK_SYSTEM_NAME win64)
    else()
        set(CPACK_SYSTEM_NAME win32)
    endif()
    include(CPack)
    return()
endif()

set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

# The tarball is named by the target triple, as static command-line tools
# name theirs: dcdcount-1.0.0-x86_64-unknown-linux-musl.tar.gz.
if(DCDCOUNT_MUSL)
    set(libc musl)
else()
    set(libc gnu)
endif()
set(CPACK_PACKAGE_FILE_NAME
    ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR}-unknown-linux-${libc})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The architecture the program is built for, not the build machine's.
set(deb_architectures x86_64=amd64 aarch64=arm64 i686=i386 s390x=s390x)
list(FILTER deb_architectures INCLUDE REGEX "^${CMAKE_SYSTEM_PROCESSOR}=")
if(deb_architectures)
    string(REGEX REPLACE ".*=" "" CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_architectures})
endif()
# A static program depends on nothing; a dynamic one on what it links.
if(NOT DCDCOUNT_STATIC)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

# RPMs for RHEL-family systems, where rpmbuild (Debian's rpm) is installed.
find_program(DCDCOUNT_RPMBUILD rpmbuild)
if(NOT DCDCOUNT_RPMBUILD)
    message(STATUS "No rpmbuild: the package target makes no RPM (install it: apt-get install rpm)")
else()
    list(APPEND CPACK_GENERATOR RPM)
    set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
    set(CPACK_RPM_PACKAGE_RELEASE 1)
    set(CPACK_RPM_PACKAGE_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})
    set(CPACK_RPM_PACKAGE_LICENSE MIT)
    set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
    set(CPACK_RPM_COMPRESSION_TYPE xz)
    # A static program needs nothing installed. (rpmbuild would have a
    # static-pie program of glibc require rtld(GNU_HASH), a dynamic loader's
    # feature that it never uses.)
    set(CPACK_RPM_PACKAGE_AUTOREQ OFF)
    # Installable anywhere: rpm --relocate /usr=$HOME/.local.
    set(CPACK_RPM_PACKAGE_RELOCATABLE ON)
    # The license as %license, where the RPM extras put it.
    set(CPACK_RPM_USER_FILELIST "%license /usr/share/licenses/dcdcount/LICENSE")
    # Folders that the system owns, not this package.
    set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
        /usr/share/man /usr/share/man/man1 /usr/share/licenses)
    # The changelog, made from doc/changelog.
    include(${CMAKE_CURRENT_LIST_DIR}/rpm_changelog.cmake)
    set(CPACK_RPM_CHANGELOG_FILE ${PROJECT_BINARY_DIR}/rpm-changelog)
    # The program as installed, untouched: none of rpmbuild's post-install
    # scripts (stripping again, compressing, build-id links, a debug
    # package). And the build's time and host are the release's, so that the
    # same source gives the same RPM. rpmbuild's package database (Debian's
    # rpm keeps one in ~/.rpmdb) is one of this build's own.
    set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}
%define _dbpath ${PROJECT_BINARY_DIR}/rpmdb
%define __os_install_post %{nil}
%define debug_package %{nil}
%define _build_id_links none
%define _buildhost reproducible
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1")
endif()

include(CPack)
