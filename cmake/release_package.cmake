# Run by CPack once the ZIP is written (CPACK_POST_BUILD_SCRIPTS). The ZIP is
# made the same bytes from every build of a commit: its entries sorted, their
# times the release's time (cmake/release_time.cmake), their modes 644 or 755,
# no owners (Debian's strip-nondeterminism). Then SHA256SUMS beside it gives
# the ZIP's hash and the plug-in's as packed, in the form sha256sum -c reads.
include(${CMAKE_CURRENT_LIST_DIR}/release_time.cmake)
mbc_release_time("${CPACK_MBC_SOURCE_DIR}" time)
foreach(zip IN LISTS CPACK_PACKAGE_FILES)
  # A ZIP entry's time is a local time: written in UTC, it is the same
  # wherever the release is built.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${CPACK_MBC_STRIP_NONDETERMINISM}
                          --type zip --timestamp ${time} ${zip}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "strip-nondeterminism failed on ${zip}")
  endif()
  set(unpacked ${CPACK_TOPLEVEL_DIRECTORY}/checksummed)
  file(REMOVE_RECURSE ${unpacked})
  file(ARCHIVE_EXTRACT INPUT ${zip} DESTINATION ${unpacked} PATTERNS ${CPACK_MBC_PLUGIN})
  file(SHA256 ${zip} zip_hash)
  file(SHA256 ${unpacked}/${CPACK_MBC_PLUGIN} plugin_hash)
  get_filename_component(zip_name ${zip} NAME)
  # CPack copies the ZIP there once this script is done.
  set(sums ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS)
  file(WRITE ${sums} "${zip_hash}  ${zip_name}\n${plugin_hash}  ${CPACK_MBC_PLUGIN}\n")
  message(STATUS "Release time ${time}; checksums in ${sums}")
endforeach()
