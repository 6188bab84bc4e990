# Read by CPack once for each generator: the ZIP holds the Windows program,
# to be unpacked into a folder of the user's choice; the TGZ holds the Linux
# one in a folder named after the archive.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_COMPONENTS_ALL windows)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_COMPONENTS_ALL linux)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_ARCHIVE_LINUX_FILE_NAME})
endif()
# CPack leaves the time out of the gzip header when this is set.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_SUMWRIGHT_SOURCE_DATE_EPOCH})
# File times in a ZIP are local times.
set(ENV{TZ} UTC)
