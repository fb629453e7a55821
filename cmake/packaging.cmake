# What `cmake --install` puts where, and the packages CPack makes of it:
# a .deb from the Linux build; a zip and an installer (NSIS) from the
# Windows one.
#
# Components, so that scripts/install.sh can leave one out:
#   program  the executable (and on Linux the link in bin/)
#   list     the default list.txt beside the Linux program
#   desktop  desktop entry, icons and AppStream metainfo
#   docs     licence, changelog, README

set(LUMIO_PACKAGE_STAGING ${CMAKE_BINARY_DIR}/package)

# The default list.txt, written by the program's own code rather than typed
# again: the Linux packages ship it, the Windows uninstaller compares with it.
add_executable(lumio-write-default-list tools/write_default_list.cpp)
target_link_libraries(lumio-write-default-list PRIVATE lumio_core)
target_compile_options(lumio-write-default-list PRIVATE ${LUMIO_WARNINGS})

if(WIN32)
  # Unzipped into a folder of the user's, where the program writes its own
  # list.txt. The text files get Windows line ends for Notepad.
  install(TARGETS lumio-capslock RUNTIME DESTINATION . COMPONENT program)
  configure_file(packaging/windows/README.txt.in ${LUMIO_PACKAGE_STAGING}/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE ${LUMIO_PACKAGE_STAGING}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${LUMIO_PACKAGE_STAGING}/README.txt ${LUMIO_PACKAGE_STAGING}/LICENSE.txt DESTINATION . COMPONENT docs)

  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME lumio-capslock-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME lumio-capslock-${PROJECT_VERSION}-win32)
  endif()
  include(cmake/windows-installer.cmake)
else()
  # The program reads list.txt from the folder of its own executable (the
  # link resolved), so it lives in a folder of its own and bin/ holds a
  # relative link to it: the same link works under any prefix or DESTDIR.
  set(LUMIO_PROGRAM_FOLDER lib/lumio-capslock)
  install(TARGETS lumio-capslock RUNTIME DESTINATION ${LUMIO_PROGRAM_FOLDER} COMPONENT program)
  file(MAKE_DIRECTORY ${LUMIO_PACKAGE_STAGING}/bin)
  file(CREATE_LINK ../${LUMIO_PROGRAM_FOLDER}/lumio-capslock ${LUMIO_PACKAGE_STAGING}/bin/lumio-capslock SYMBOLIC)
  install(FILES ${LUMIO_PACKAGE_STAGING}/bin/lumio-capslock DESTINATION bin COMPONENT program)

  # A system folder is not the user's to write, so the packages carry the
  # default list.
  add_custom_command(OUTPUT ${LUMIO_PACKAGE_STAGING}/list.txt
    COMMAND lumio-write-default-list ${LUMIO_PACKAGE_STAGING}/list.txt
    DEPENDS lumio-write-default-list
    COMMENT "Writing the default list.txt")
  add_custom_target(lumio-default-list ALL DEPENDS ${LUMIO_PACKAGE_STAGING}/list.txt)
  install(FILES ${LUMIO_PACKAGE_STAGING}/list.txt DESTINATION ${LUMIO_PROGRAM_FOLDER} COMPONENT list)

  # The entry names the program by absolute path wherever it is installed:
  # KWin offers its lock state (X-KDE-Wayland-Interfaces) to no other.
  install(CODE "set(LUMIO_EXEC \"\${CMAKE_INSTALL_PREFIX}/bin/lumio-capslock\")
    configure_file(\"${PROJECT_SOURCE_DIR}/packaging/linux/lumio-capslock.desktop\"
      \"${LUMIO_PACKAGE_STAGING}/lumio-capslock.desktop\" @ONLY)" COMPONENT desktop)
  install(FILES ${LUMIO_PACKAGE_STAGING}/lumio-capslock.desktop DESTINATION share/applications COMPONENT desktop)
  # AppStream: what software centres list the program by.
  set(LUMIO_METAINFO com.example.lumio.capslock.metainfo.xml)
  configure_file(packaging/linux/${LUMIO_METAINFO}.in ${LUMIO_PACKAGE_STAGING}/${LUMIO_METAINFO} @ONLY)
  install(FILES ${LUMIO_PACKAGE_STAGING}/${LUMIO_METAINFO} DESTINATION share/metainfo COMPONENT desktop)
  foreach(size 16 32 48)
    install(FILES packaging/linux/icons/lumio-capslock-${size}.png
      DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME lumio-capslock.png COMPONENT desktop)
  endforeach()

  # Debian's names and forms: the licence as "copyright", the changelog and
  # the manual page compressed without a time stamp.
  set(LUMIO_DOC_FOLDER share/doc/lumio-capslock)
  foreach(source changelog lumio-capslock.1)
    add_custom_command(OUTPUT ${LUMIO_PACKAGE_STAGING}/${source}.gz
      COMMAND gzip -n -9 -c ${PROJECT_SOURCE_DIR}/packaging/linux/${source} > ${LUMIO_PACKAGE_STAGING}/${source}.gz
      DEPENDS ${PROJECT_SOURCE_DIR}/packaging/linux/${source})
  endforeach()
  add_custom_target(lumio-compressed-docs ALL
    DEPENDS ${LUMIO_PACKAGE_STAGING}/changelog.gz ${LUMIO_PACKAGE_STAGING}/lumio-capslock.1.gz)
  install(FILES LICENSE DESTINATION ${LUMIO_DOC_FOLDER} RENAME copyright COMPONENT docs)
  install(FILES ${LUMIO_PACKAGE_STAGING}/changelog.gz README.md DESTINATION ${LUMIO_DOC_FOLDER} COMPONENT docs)
  install(FILES ${LUMIO_PACKAGE_STAGING}/lumio-capslock.1.gz DESTINATION share/man/man1 COMPONENT docs)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${LUMIO_WEBSITE})
  set(CPACK_STRIP_FILES ON)
  set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
endif()

set(CPACK_PACKAGE_NAME lumio-capslock)
set(CPACK_PACKAGE_VENDOR "Lumio")
set(CPACK_PACKAGE_CONTACT "The Lumio - Caps Lock authors <lumio@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shows on the screen whether Caps Lock is on or off")
# (No double quotes in it: CPack would turn them into list separators.)
set(CPACK_PACKAGE_DESCRIPTION "Shortly after Caps Lock is pressed, 'Caps Lock is ON' or 'Caps Lock is OFF'
appears in large green letters straight on the screen, over every window, and
disappears again about 0.7 seconds later. The program watches the keyboard as a
whole, so it works whichever program has the focus. It needs an X11 session.")
include(CPack)
