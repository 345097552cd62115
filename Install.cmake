# What `cmake --install` puts beside the programs, and the Debian package CPack makes of it.
# The programs look for their files in <prefix>/share/battlesim when the working folder has none.
install(DIRECTORY Textures scenarios designs DESTINATION share/battlesim)
if(EXISTS ${CMAKE_SOURCE_DIR}/strategies)
  install(DIRECTORY strategies DESTINATION share/battlesim)
endif()
install(FILES README.md DESTINATION share/doc/battlesim)
# Debian's policy asks every package for its copyright and licences in this file, machine-readable.
install(FILES packaging/copyright DESTINATION share/doc/battlesim)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME battlesim)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "battle simulation of two armies of squads, in a window or headless")
set(CPACK_PACKAGE_CONTACT "battlesim developers <battlesim@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps (dpkg-dev) reads the libraries the programs link (GL, GLU, freeglut, libpng) off the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
