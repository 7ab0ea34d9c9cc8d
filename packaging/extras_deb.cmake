# The .deb's extras, where Debian keeps them: the license as copyright, the
# changelog, and why lintian should accept the program. Run by CPack as an
# install script; writes only into the package's staging area.
set(root ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(COPY ${CPACK_DCDCOUNT_SOURCE_DIR}/LICENSE ${CPACK_DCDCOUNT_BINARY_DIR}/changelog.gz
    DESTINATION ${root}/share/doc/dcdcount)
file(RENAME ${root}/share/doc/dcdcount/LICENSE ${root}/share/doc/dcdcount/copyright)
file(COPY ${CPACK_DCDCOUNT_SOURCE_DIR}/packaging/lintian-overrides
    DESTINATION ${root}/share/lintian/overrides)
file(RENAME ${root}/share/lintian/overrides/lintian-overrides ${root}/share/lintian/overrides/dcdcount)
