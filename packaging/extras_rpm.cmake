# The RPM's extras: the license, where RHEL-family systems keep it (marked
# %license in the package's file list, see packages.cmake). Run by CPack as an
# install script; writes only into the package's staging area.
file(COPY ${CPACK_DCDCOUNT_SOURCE_DIR}/LICENSE
    DESTINATION ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/licenses/dcdcount)
