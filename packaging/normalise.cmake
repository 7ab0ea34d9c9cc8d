# Run by CPack once the files of a package are staged, before it packs them
# (CPACK_PRE_BUILD_SCRIPTS): every mode is what a umask of 022 gives (755 for
# folders and programs, 644 for the rest) and every file and folder carries
# the release's time (SOURCE_DATE_EPOCH, which string(TIMESTAMP) honours, in
# UTC, the zone per_generator.cmake sets), whoever builds the package and
# whenever. POSIX chmod and touch -t, as every userland has them.
string(TIMESTAMP stamp "%Y%m%d%H%M.%S" UTC)
execute_process(COMMAND chmod -R u=rwX,go=rX ${CPACK_TEMPORARY_DIRECTORY} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -t ${stamp} {} +
    COMMAND_ERROR_IS_FATAL ANY)
