# Read by CPack once per generator: the Debian package installs under /usr, the archive is one folder.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_METRAZIL_BUILD_DIR};Metrazil;system;/")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_METRAZIL_BUILD_DIR};Metrazil;portable;/")
  set(CPACK_PACKAGING_INSTALL_PREFIX /)
  set(CPACK_PACKAGE_FILE_NAME "metrazil-${CPACK_PACKAGE_VERSION}-portable")
endif()
