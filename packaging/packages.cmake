# The packages, made by the package target (cpack): a tarball for users
# without root, and on Linux a .deb (where dpkg-deb is installed) and an RPM
# (where rpmbuild is); on Windows a .zip. Each holds the same program, and
# each rebuilds from the same source to the same bytes, by whomever it is
# built, with the same toolchain (where GNU tar, dpkg-deb and zip repack them,
# and with the presets' DCDCOUNT_REPRODUCIBLE wherever it is built).
#
# Everything CPack runs here works inside its own staging area: the extras of
# each package (per_generator.cmake chooses them by the generator that runs)
# and the repacking (pack_again.cmake).

# Whether packaging/release.sh ships this build's packages: the toolchain
# file says so.
set(DCDCOUNT_IN_RELEASE "${DCDCOUNT_RELEASED}" CACHE INTERNAL "The release ships this build's packages")

set(CPACK_PACKAGE_NAME dcdcount)
set(CPACK_PACKAGE_VENDOR "The dcdcount developers")
set(CPACK_PACKAGE_CONTACT "The dcdcount developers <maintainers@users.noreply.c-seed-cf7f2c01.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
file(READ ${PROJECT_SOURCE_DIR}/doc/description.txt CPACK_PACKAGE_DESCRIPTION)
string(STRIP "${CPACK_PACKAGE_DESCRIPTION}" CPACK_PACKAGE_DESCRIPTION)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# The source package (package_source): the source tree, without what builds
# and releases leave in it.
set(CPACK_SOURCE_GENERATOR TGZ)
string(REGEX REPLACE "([][+.*()^$?|\\])" "\\\\\\1" binary_dir "${PROJECT_BINARY_DIR}")
set(CPACK_SOURCE_IGNORE_FILES "/\\.git(/|$)" "/build/" "/dist/" "^${binary_dir}/")
set(CPACK_STRIP_FILES ON)

# What the scripts CPack runs need to know of this build.
set(CPACK_DCDCOUNT_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_DCDCOUNT_BINARY_DIR ${PROJECT_BINARY_DIR})
set(CPACK_DCDCOUNT_SOURCE_DATE_EPOCH ${DCDCOUNT_SOURCE_DATE_EPOCH})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/per_generator.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/normalise.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/pack_again.cmake)

# What this host can make, said in one line with what it leaves out and why:
# each package where its tool is installed, and the repacking that makes it
# the same bytes every time (pack_again.cmake) where the tool for that is.
set(left_out "")
macro(make_packages)
    string(JOIN " " generators ${CPACK_GENERATOR})
    string(JOIN "; " left_out ${left_out})
    if(left_out)
        set(left_out ", left out: ${left_out}")
    endif()
    message(STATUS "Packages: ${generators}${left_out}")
    include(CPack)
endmacro()

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(CPACK_SYSTEM_NAME win64)
    else()
        set(CPACK_SYSTEM_NAME win32)
    endif()
    find_program(DCDCOUNT_ZIP zip)
    if(DCDCOUNT_ZIP)
        set(CPACK_DCDCOUNT_ZIP ${DCDCOUNT_ZIP})
    else()
        list(APPEND left_out "no zip (Info-ZIP): the .zip is CPack's own, not the same bytes every time")
    endif()
    make_packages()
    return()
endif()

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

# The tarball is named by the target triple, as static command-line tools
# name theirs: dcdcount-1.0.0-x86_64-unknown-linux-musl.tar.gz, the processor
# as the compiler names it.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    string(REGEX MATCH "^[^-]+" processor "${DCDCOUNT_MACHINE}")
    set(triple ${processor}-unknown-linux-${DCDCOUNT_LIBC})
elseif(APPLE)
    set(triple ${CMAKE_SYSTEM_PROCESSOR}-apple-darwin)
else()
    string(TOLOWER ${CMAKE_SYSTEM_PROCESSOR}-unknown-${CMAKE_SYSTEM_NAME} triple)
endif()
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${triple})
execute_process(COMMAND tar --version OUTPUT_VARIABLE tar_version ERROR_QUIET)
if(tar_version MATCHES "GNU tar")
    set(CPACK_DCDCOUNT_GNU_TAR ON)
else()
    list(APPEND left_out "tar is not GNU tar: the tarball is CPack's own, not the same bytes every time")
endif()

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    find_program(DCDCOUNT_DPKG_DEB dpkg-deb)
    find_program(DCDCOUNT_RPMBUILD rpmbuild)
    # The Debian architecture of the machine the program is for, not the
    # build machine's: dpkg-architecture maps the GNU name.
    string(REPLACE "-musl" "-gnu" gnu_machine "${DCDCOUNT_MACHINE}")
    execute_process(COMMAND dpkg-architecture -t ${gnu_machine} -qDEB_HOST_ARCH
        OUTPUT_VARIABLE deb_architecture OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    set(make_deb OFF)
    if(NOT DCDCOUNT_DPKG_DEB)
        list(APPEND left_out "no dpkg-deb: no .deb")
    elseif(NOT deb_architecture)
        list(APPEND left_out "no .deb: dpkg-architecture (dpkg-dev) does not name the architecture of ${gnu_machine}")
    else()
        set(make_deb ON)
    endif()
    if(NOT DCDCOUNT_RPMBUILD)
        list(APPEND left_out "no rpmbuild: no RPM (Fedora: rpm-build, Debian and Ubuntu: rpm)")
    endif()
endif()

if(make_deb)
    # First, as it always came.
    list(PREPEND CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION science)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_architecture})
    # What lintian says of a static program, by how it links
    # (lintian-overrides explains).
    if(DCDCOUNT_LINK STREQUAL "static-pie")
        set(CPACK_DCDCOUNT_LINTIAN_TAG shared-library-lacks-prerequisites)
    else()
        set(CPACK_DCDCOUNT_LINTIAN_TAG statically-linked-binary)
    endif()
    # A static program depends on nothing; a dynamic one on what it links,
    # as dpkg-shlibdeps (dpkg-dev) finds it.
    if(DCDCOUNT_LINK STREQUAL "dynamic")
        find_program(DCDCOUNT_DPKG_SHLIBDEPS dpkg-shlibdeps)
        if(DCDCOUNT_DPKG_SHLIBDEPS)
            set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
        else()
            list(APPEND left_out "no dpkg-shlibdeps (dpkg-dev): the .deb names no dependencies")
        endif()
    endif()
endif()

# RPMs for RHEL-family systems.
if(DCDCOUNT_RPMBUILD)
    list(APPEND CPACK_GENERATOR RPM)
    set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
    set(CPACK_RPM_PACKAGE_RELEASE 1)
    set(CPACK_RPM_PACKAGE_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})
    set(CPACK_RPM_PACKAGE_LICENSE MIT)
    set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
    set(CPACK_RPM_COMPRESSION_TYPE xz)
    # A static program needs nothing installed. (rpmbuild would have a
    # static-pie program of glibc require rtld(GNU_HASH), a dynamic loader's
    # feature that it never uses.) A dynamic one requires what it links.
    if(NOT DCDCOUNT_LINK STREQUAL "dynamic")
        set(CPACK_RPM_PACKAGE_AUTOREQ OFF)
    endif()
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

make_packages()
