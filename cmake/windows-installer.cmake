# The Windows installer, lumio-capslock-<version>-setup.exe, made by
# `cpack -G NSIS` (makensis; on Linux, Debian's nsis) from the same install
# rules as the zip. The script is ours (packaging/windows/NSIS.template.in):
# CPack's own installs into Program Files and asks for administrator rights.

# Its uninstaller keeps a list.txt the user changed, and removes one that
# still holds the default list; it carries that list to tell them apart.
# In a cross build the tool that writes it runs under Wine, through CMake's
# emulator, when cpack makes the installer (cmake/cpack-per-generator.cmake).
set_target_properties(lumio-write-default-list PROPERTIES RUNTIME_OUTPUT_DIRECTORY $<1:${CMAKE_BINARY_DIR}>)
if(MINGW)
  target_link_options(lumio-write-default-list PRIVATE -static)  # no DLLs to find under Wine
endif()
set(CPACK_LUMIO_WRITE_DEFAULT_LIST
  ${CMAKE_CROSSCOMPILING_EMULATOR} ${CMAKE_BINARY_DIR}/lumio-write-default-list${CMAKE_EXECUTABLE_SUFFIX})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack-per-generator.cmake)

find_program(LUMIO_MAKENSIS makensis)
if(LUMIO_MAKENSIS)
  list(APPEND CPACK_GENERATOR NSIS)
endif()

set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)  # our NSIS.template.in
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Lumio - Caps Lock")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY lumio-capslock)
set(CPACK_NSIS_DISPLAY_NAME "Lumio - Caps Lock")
set(CPACK_NSIS_PACKAGE_NAME "Lumio - Caps Lock")
set(CPACK_NSIS_INSTALLED_ICON_NAME lumio-capslock.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/src/platform/win32/res/lumio.ico)
set(CPACK_NSIS_MUI_UNIICON ${CPACK_NSIS_MUI_ICON})
set(CPACK_NSIS_URL_INFO_ABOUT ${LUMIO_WEBSITE})
set(CPACK_NSIS_COMPRESSOR lzma)
# The licence page shows the copy with Windows line ends.
set(CPACK_RESOURCE_FILE_LICENSE ${LUMIO_PACKAGE_STAGING}/LICENSE.txt)
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE CPACK_LUMIO_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
