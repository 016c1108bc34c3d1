# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in a release build directory gives
# zolvek_<version>_<arch>.deb with the program, the virtual generator and the
# desktop files. Library dependencies are read off the binaries; what the
# program loads at run time is named here.
# The licence, in Debian's machine-readable form, where Debian wants it.
include(GNUInstallDirs)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zolvek)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

set(CPACK_PACKAGE_NAME zolvek)
set(CPACK_PACKAGE_VENDOR "Zolvek")
set(CPACK_PACKAGE_CONTACT "Zolvek developers <developers@zolvek.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for a serial-attached DDS function generator")
# Debian wants the long description in lines of under 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Zolvek drives a direct digital synthesis function generator on a serial"
  "port: 0.1 Hz to 12.5 MHz, sine, triangle and square outputs, two"
  "attenuators, a square divider, computer-timed sweeps with a marker output"
  "and a pulse mode. Without a device it runs as a demonstration."
  "."
  "The package also holds zolvek-sim, a virtual generator on a"
  "pseudo-terminal for trying the program without hardware, and"
  "zolvek-doctor, which tells why a generator does not connect.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libudev lists the serial ports and is opened at run time; the X11 platform
# plugin is what shows the window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libudev1, qt6-qpa-plugins")
# The port dialog asks for Arial Narrow, which fontconfig maps to Liberation
# Sans Narrow.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")

include(CPack)
