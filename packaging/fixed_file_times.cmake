# Run by CPack before it packs: every file and folder it is about to pack gets
# the release time, so the archives do not depend on when or where they were
# built. The staging folder lists itself first, then its contents.
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
execute_process(
  COMMAND touch --no-dereference --date=@${CPACK_SUMWRIGHT_SOURCE_DATE_EPOCH} ${CPACK_TEMPORARY_DIRECTORY} ${staged}
  COMMAND_ERROR_IS_FATAL ANY)
