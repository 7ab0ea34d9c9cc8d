# The .deb's extras, where Debian keeps them: the license as copyright, the
# changelog, and why lintian should accept the program. Run by CPack as an
# install script; writes only into the package's staging area.
set(root ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
configure_file(${CPACK_DCDCOUNT_SOURCE_DIR}/LICENSE ${root}/share/doc/dcdcount/copyright COPYONLY)
configure_file(${CPACK_DCDCOUNT_BINARY_DIR}/changelog.gz ${root}/share/doc/dcdcount/changelog.gz COPYONLY)
configure_file(${CPACK_DCDCOUNT_SOURCE_DIR}/packaging/lintian-overrides
    ${root}/share/lintian/overrides/dcdcount @ONLY)
