# Installation and packages: a Debian package for Linux (varnholt in /usr/bin with its manual
# page), a zip for Windows (Varnholt.exe and the README, ready to unpack anywhere).
include(GNUInstallDirs)

if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "Varnholt-${PROJECT_VERSION}-windows-x86_64")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  # Debian keeps manual pages compressed; -n leaves out the time, so the page builds the same.
  set(manual ${CMAKE_CURRENT_BINARY_DIR}/varnholt.1.gz)
  add_custom_command(OUTPUT ${manual}
                     COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/doc/varnholt.1 > ${manual}
                     DEPENDS ${PROJECT_SOURCE_DIR}/doc/varnholt.1
                     VERBATIM)
  add_custom_target(manual ALL DEPENDS ${manual})
  install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/varnholt)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Varnholt developers <varnholt@localhost>")
  # The libraries that the binary links, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

set(CPACK_PACKAGE_NAME varnholt)
set(CPACK_PACKAGE_VENDOR "The Varnholt developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Converts Photoshop sprite sheets into Filmstrip cursor strips")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Varnholt reads one Photoshop document (8 bits per channel, RGB, with alpha) and writes the same\n"
       "image as a Filmstrip file: 32-bit RGBA pixels and a tail that cuts it into animation frames.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
include(CPack)
