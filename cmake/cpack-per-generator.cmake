# Read by cpack once for each generator of the Windows build: what the
# installer needs beyond the zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-setup)
  # Every file, with no page of components to choose from.
  set(CPACK_MONOLITHIC_INSTALL ON)

  # The default list.txt for the uninstaller (see windows-installer.cmake).
  # Its output goes to files: Wine's services, started by a first Wine
  # process, would hold a pipe open long after the tool ends.
  set(CPACK_LUMIO_DEFAULT_LIST ${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/default-list.txt)
  file(MAKE_DIRECTORY ${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages)
  execute_process(COMMAND ${CPACK_LUMIO_WRITE_DEFAULT_LIST} ${CPACK_LUMIO_DEFAULT_LIST}
    RESULT_VARIABLE status
    OUTPUT_FILE ${CPACK_LUMIO_DEFAULT_LIST}.log ERROR_FILE ${CPACK_LUMIO_DEFAULT_LIST}.log)
  if(NOT status EQUAL 0 OR NOT EXISTS ${CPACK_LUMIO_DEFAULT_LIST})
    file(READ ${CPACK_LUMIO_DEFAULT_LIST}.log log)
    message(FATAL_ERROR "Could not write the default list.txt with ${CPACK_LUMIO_WRITE_DEFAULT_LIST} "
      "(a cross build runs it under Wine): ${status}\n${log}")
  endif()
endif()
