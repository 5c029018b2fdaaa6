# The Debian package (cpack -G DEB in the build folder): the install rules under /usr, staged
# with DESTDIR (so that the install refreshes no cache), no maintainer scripts: the desktop's
# caches (MIME database, desktop entries, icons) are refreshed by the triggers of
# shared-mime-info, desktop-file-utils and the icon theme. The dependencies are found by
# dpkg-shlibdeps at package time (VantrelPackageDepends.cmake): the program's as Depends, the
# Calc module's LibreOffice libraries as Recommends, since the program runs without them.

set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR "Vantrel")
set(CPACK_PACKAGE_CONTACT "${VANTREL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VANTREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live 3D view of a spacecraft trajectory")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Vantrel shows a live, animated 3D OpenGL view of a spacecraft trajectory\n"
  "and its attitude, taken from a spreadsheet workbook whose specification\n"
  "cell names the ranges, or from the program's own tab-separated data file\n"
  "(.vnx).")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(VANTREL_PACKAGE_PROGRAM $<TARGET_FILE:vantrel>)
set(VANTREL_PACKAGE_MODULE "")
if(TARGET vantrel_calc)
  set(VANTREL_PACKAGE_MODULE $<TARGET_FILE:vantrel_calc>)
endif()
set(VANTREL_PACKAGE_EXTRA_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/VantrelPackageConfig.cmake CONTENT
"set(VANTREL_PACKAGE_PROGRAM \"${VANTREL_PACKAGE_PROGRAM}\")
set(VANTREL_PACKAGE_MODULE \"${VANTREL_PACKAGE_MODULE}\")
set(VANTREL_PACKAGE_EXTRA_RECOMMENDS \"${VANTREL_PACKAGE_EXTRA_RECOMMENDS}\")
include(\"${CMAKE_CURRENT_LIST_DIR}/VantrelPackageDepends.cmake\")
")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/VantrelPackageConfig.cmake)

include(CPack)
