# The Debian package veld_<version>_<arch>.deb of what the install rules install
# (`cpack --preset release`, see scripts/package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veld)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "VELD developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration program for the VELD measuring transmitter")
set(CPACK_PACKAGE_DESCRIPTION
  "A technician configures a VELD universal measuring transmitter over a serial
line with it: input, range, linearization, relays, analog output, calibration
and measurement. The window veld-konf (in Czech) has a built-in simulated
transmitter; veld-cli drives the same program from the command line and
veld-sim serves the simulated transmitter on a pseudo-terminal.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The Qt libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no library names them: the window needs a platform plugin to open at
# all, and finds its icon only in an icon theme that exists; the file dialogs speak Czech with
# Qt's translations.
if(VELD_BUILD_UI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, hicolor-icon-theme")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
endif()
include(CPack)
