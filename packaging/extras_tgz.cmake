# The tarball's extras: the README and the license, beside the program and its
# manual page. Run by CPack as an install script; writes only into the
# package's staging area.
file(COPY ${CPACK_DCDCOUNT_SOURCE_DIR}/README.md ${CPACK_DCDCOUNT_SOURCE_DIR}/LICENSE
    DESTINATION ${CPACK_TEMPORARY_DIRECTORY}/share/doc/dcdcount)
