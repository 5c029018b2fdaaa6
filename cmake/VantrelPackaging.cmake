# The Debian package (cpack -G DEB in the build folder): the install rules under /usr, the
# dependencies found by dpkg-shlibdeps from the installed program.

set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR "Vantrel")
set(CPACK_PACKAGE_CONTACT "${VANTREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live 3D view of a spacecraft trajectory")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Vantrel shows a live, animated 3D OpenGL view of a spacecraft trajectory\n"
  "and its attitude, taken from a spreadsheet workbook whose specification\n"
  "cell names the ranges, or from the program's own tab-separated data file\n"
  "(.vnx).")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop's caches (MIME database, desktop entries, icons) are refreshed by the triggers of
# shared-mime-info, desktop-file-utils and the icon theme: the package needs no scripts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")

include(CPack)
