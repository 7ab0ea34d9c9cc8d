# Run by CPack once it has written a package (CPACK_POST_BUILD_SCRIPTS): packs
# the same staged files again with the platform's own tool, so that the same
# source gives the same bytes whoever builds it, and whenever. The staged
# files already carry the release's modes and time (normalise.cmake). Where
# the tool is missing (packages.cmake says so), CPack's package stands.
#
# - A .deb: CPack counts each folder's size as the file system reports it, so
#   Installed-Size depended on the build folder's file system. dpkg-deb packs
#   it again, sorted, owned by root, with Installed-Size counted the way
#   dpkg-gencontrol counts it: the KiB of each file rounded up, 1 per folder.
# - A tarball: CPack's records the builder's user and group and lists the
#   files in the file system's order. GNU tar writes it again, sorted, owned by
#   root (0), and gzip -9n compresses it with no name or time inside.
# - A .zip: CPack's records the builder's user and group and lists the files
#   in the order they were installed. Info-ZIP writes it again, with the files
#   sorted, no owners or extra times (-X), and DOS times in UTC.
# An RPM comes out the same every time as rpmbuild writes it.

set(package ${CPACK_PACKAGE_FILES})
if(package MATCHES "\\.deb$")
    set(root ${CPACK_TOPLEVEL_DIRECTORY}/packed-again)
    file(REMOVE_RECURSE ${root})
    execute_process(COMMAND dpkg-deb --raw-extract ${package} ${root} COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND chmod -R u=rwX,go=rX ${root} COMMAND_ERROR_IS_FATAL ANY)
    file(GLOB_RECURSE entries LIST_DIRECTORIES true ${root}/*)
    list(FILTER entries EXCLUDE REGEX "^${root}/DEBIAN(/|$)")
    set(kib 0)
    foreach(entry IN LISTS entries)
        if(IS_DIRECTORY ${entry})
            math(EXPR kib "${kib} + 1")
        else()
            file(SIZE ${entry} bytes)
            math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
        endif()
    endforeach()
    file(READ ${root}/DEBIAN/control control)
    string(REGEX REPLACE "\nInstalled-Size: [0-9]+" "\nInstalled-Size: ${kib}" control "${control}")
    file(WRITE ${root}/DEBIAN/control "${control}")
    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build ${root} ${package}
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
elseif(package MATCHES "\\.tar\\.gz$" AND CPACK_DCDCOUNT_GNU_TAR)
    cmake_path(GET CPACK_TEMPORARY_DIRECTORY PARENT_PATH staging)
    cmake_path(GET CPACK_TEMPORARY_DIRECTORY FILENAME top)
    execute_process(
        COMMAND tar -c --sort=name --format=gnu --owner=root:0 --group=root:0 -C ${staging} ${top}
        COMMAND gzip -9n
        OUTPUT_FILE ${package} COMMAND_ERROR_IS_FATAL ANY)
elseif(package MATCHES "\\.zip$" AND CPACK_DCDCOUNT_ZIP)
    cmake_path(GET CPACK_TEMPORARY_DIRECTORY PARENT_PATH staging)
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${staging} ${CPACK_TEMPORARY_DIRECTORY}/*)
    file(REMOVE ${package})
    execute_process(COMMAND ${CPACK_DCDCOUNT_ZIP} -X -q ${package} ${files}
        WORKING_DIRECTORY ${staging} COMMAND_ERROR_IS_FATAL ANY)
endif()
