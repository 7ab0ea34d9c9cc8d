# A user's `cpack` makes a plain tarball of the install tree (a .zip on Windows); the release's packages are made by
# packaging/make_packages.sh from the facts of this build that this file writes to packaging.env.
set(CPACK_PACKAGE_NAME dcdcount)
set(CPACK_PACKAGE_VENDOR "The dcdcount developers")
set(CPACK_PACKAGE_CONTACT "The dcdcount developers <maintainers@users.noreply.c-seed-cf7f2c01.example>")
set(CPACK_STRIP_FILES ON)
# The source package leaves out what builds and releases leave in the tree. (CPack reads these regular expressions
# from a file: each backslash doubled once more.)
set(CPACK_SOURCE_GENERATOR TGZ)
string(REGEX REPLACE "([][+.*()^$?|\\])" "\\\\\\\\\\1" binary_dir "${PROJECT_BINARY_DIR}")
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git(/|$)" "/build/" "/dist/" "^${binary_dir}/")

# Packages are named by the target, as static command-line tools name theirs (the processor as the compiler names it).
# A static Linux program's wheel is for every glibc and musl system of its processor.
set(deb_architecture "")
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(triple win64)
        set(wheel_platforms win_amd64)
    else()
        set(triple win32)
        set(wheel_platforms win32)
    endif()
else()
    set(CPACK_GENERATOR TGZ)
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
        string(REGEX MATCH "^[^-]+" processor "${DCDCOUNT_MACHINE}")
        set(triple ${processor}-unknown-linux-${DCDCOUNT_LIBC})
        set(wheel_platforms manylinux_2_17_${CMAKE_SYSTEM_PROCESSOR} musllinux_1_1_${CMAKE_SYSTEM_PROCESSOR})
        # The older name of manylinux_2_17, defined for these processors only.
        if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|i686|aarch64|armv7l|ppc64|ppc64le|s390x)$")
            list(APPEND wheel_platforms manylinux2014_${CMAKE_SYSTEM_PROCESSOR})
        endif()
        # The Debian architecture of the machine the program is for, not the build machine's.
        string(REPLACE "-musl" "-gnu" gnu_machine "${DCDCOUNT_MACHINE}")
        execute_process(COMMAND dpkg-architecture -t ${gnu_machine} -qDEB_HOST_ARCH
            OUTPUT_VARIABLE deb_architecture OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    elseif(APPLE)
        set(triple ${CMAKE_SYSTEM_PROCESSOR}-apple-darwin)
    else()
        string(TOLOWER ${CMAKE_SYSTEM_PROCESSOR}-unknown-${CMAKE_SYSTEM_NAME} triple)
    endif()
endif()
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${triple})
include(CPack)

# What lintian says of a static program, by how it links (lintian-overrides explains).
set(lintian_tag statically-linked-binary)
if(DCDCOUNT_LINK STREQUAL "static-pie")
    set(lintian_tag shared-library-lacks-prerequisites)
endif()
string(JOIN " " wheel_platforms ${wheel_platforms})
file(WRITE ${PROJECT_BINARY_DIR}/packaging.env "\
# This build's facts for packaging/make_packages.sh, written by configure.
version='${PROJECT_VERSION}'
release_epoch=${DCDCOUNT_SOURCE_DATE_EPOCH}
summary='${PROJECT_DESCRIPTION}'
contact='${CPACK_PACKAGE_CONTACT}'
system=${CMAKE_SYSTEM_NAME}
link=${DCDCOUNT_LINK}
triple=${triple}
processor=${CMAKE_SYSTEM_PROCESSOR}
deb_architecture=${deb_architecture}
lintian_tag=${lintian_tag}
wheel_platforms='${wheel_platforms}'
")
