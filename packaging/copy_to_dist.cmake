# Run by CPack after each archive is made: the archive loses what names the
# user who built it and goes into the dist folder, and SHA256SUMS there lists
# the archives of this version, in the format `sha256sum -c` reads.
set(dist ${CPACK_SUMWRIGHT_DIST_DIR})
file(MAKE_DIRECTORY ${dist})
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND ${CPACK_SUMWRIGHT_PYTHON} ${CPACK_SUMWRIGHT_PACKAGING_DIR}/ownerless_archive.py ${package}
    COMMAND_ERROR_IS_FATAL ANY)
  get_filename_component(name ${package} NAME)
  file(COPY_FILE ${package} ${dist}/${name})
endforeach()

set(sums "")
foreach(name IN ITEMS ${CPACK_ARCHIVE_LINUX_FILE_NAME}.tar.gz ${CPACK_ARCHIVE_WINDOWS_FILE_NAME}.zip)
  if(EXISTS ${dist}/${name})
    file(SHA256 ${dist}/${name} hash)
    string(APPEND sums "${hash}  ${name}\n")
  endif()
endforeach()
file(WRITE ${dist}/SHA256SUMS "${sums}")
