# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian packages: `cpack -G DEB` in a release build directory gives
# zolvek_<version>_<arch>.deb with the program, the virtual generator and the
# desktop files, and zolvek-bridge_<version>_<arch>.deb with the headless
# bridge and its service, from the same build. Library dependencies are read
# off the binaries; what a program loads at run time is named here.
# The licence, in Debian's machine-readable form, where Debian wants it.
include(GNUInstallDirs)
# Each package's copyright and, a native package's, its changelog.gz.
set(ZOLVEK_WEEKDAYS Sat Sun Mon Tue Wed Thu Fri)
set(ZOLVEK_MONTHS Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
# The release date in the changelog's form, "Tue, 08 Dec 2026 00:00:00 +0000"
# (the weekday by Zeller's congruence).
string(REPLACE "-" ";" date ${ZOLVEK_RELEASE_DATE})
list(GET date 0 y)
list(GET date 1 m)
list(GET date 2 d)
string(REGEX REPLACE "^0" "" mm ${m})
string(REGEX REPLACE "^0" "" dd ${d})
math(EXPR zm "(${mm} + 9) % 12 + 3")
set(zy ${y})
if(mm LESS 3)
  math(EXPR zy "${y} - 1")
endif()
math(EXPR weekday "(${dd} + (13 * (${zm} + 1)) / 5 + ${zy} % 100 + (${zy} % 100) / 4 + (${zy} / 100) / 4 + 5 * (${zy} / 100)) % 7")
list(GET ZOLVEK_WEEKDAYS ${weekday} day)
math(EXPR month_index "${mm} - 1")
list(GET ZOLVEK_MONTHS ${month_index} month)
set(ZOLVEK_CHANGELOG_DATE "${day}, ${d} ${month} ${y} 00:00:00 +0000")
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in changelog @ONLY)
add_custom_command(OUTPUT changelog.gz
  COMMAND gzip -9nc ${CMAKE_CURRENT_BINARY_DIR}/changelog > changelog.gz
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog VERBATIM)
add_custom_target(zolvek_changelog ALL DEPENDS changelog.gz)
foreach(component zolvek bridge)
  set(package zolvek)
  if(component STREQUAL bridge)
    set(package zolvek-bridge)
  endif()
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

set(CPACK_PACKAGE_NAME zolvek)
set(CPACK_PACKAGE_VENDOR "Zolvek")
set(CPACK_PACKAGE_CONTACT "Zolvek developers <developers@zolvek.org>")
# Each package's description: its summary, then lines of under 80
# characters, as Debian wants it.
string(JOIN "\n" CPACK_DEBIAN_ZOLVEK_DESCRIPTION
  "control program for a serial-attached DDS function generator"
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

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL zolvek bridge)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A cross build packs for its target, not for the machine that builds it.
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()

set(CPACK_DEBIAN_ZOLVEK_PACKAGE_NAME zolvek)
set(CPACK_DEBIAN_ZOLVEK_PACKAGE_SECTION electronics)
# libudev lists the serial ports and is opened at run time; the X11 platform
# plugin is what shows the window.
set(CPACK_DEBIAN_ZOLVEK_PACKAGE_DEPENDS "libudev1, qt6-qpa-plugins")
# The port dialog asks for Arial Narrow, which fontconfig maps to Liberation
# Sans Narrow.
set(CPACK_DEBIAN_ZOLVEK_PACKAGE_RECOMMENDS "fonts-liberation")

set(CPACK_DEBIAN_BRIDGE_PACKAGE_NAME zolvek-bridge)
set(CPACK_DEBIAN_BRIDGE_PACKAGE_SECTION electronics)
# Qt Core and Network, libtirpc and libavahi-client come off the binary;
# libudev is opened at run time, for the ports and their arrivals.
# The postinst makes the system user with adduser where systemd-sysusers is
# missing.
set(CPACK_DEBIAN_BRIDGE_PACKAGE_DEPENDS "libudev1, adduser")
# DNS-SD needs the daemon; VXI-11 shares port 111 with rpcbind if it runs.
set(CPACK_DEBIAN_BRIDGE_PACKAGE_RECOMMENDS "avahi-daemon")
set(CPACK_DEBIAN_BRIDGE_PACKAGE_SUGGESTS "rpcbind, lxi-tools")
set(CPACK_DEBIAN_BRIDGE_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/tools/bridge/service/postinst
  ${PROJECT_SOURCE_DIR}/tools/bridge/service/postrm
  ${PROJECT_SOURCE_DIR}/tools/bridge/service/conffiles)
set(CPACK_DEBIAN_BRIDGE_PACKAGE_CONTROL_STRICT_PERMISSION ON)
string(JOIN "\n" CPACK_DEBIAN_BRIDGE_DESCRIPTION
  "headless bench bridge for a Zolvek DDS function generator"
  "zolvek-bridge serves a serial DDS function generator to the network without"
  "a window or a display, for a small computer next to an oscilloscope: SCPI"
  "over a raw socket and VXI-11 (LXI) with the dialect oscilloscopes use to"
  "sweep a generator for a Bode plot. It comes back by itself when the"
  "generator is replugged, is found by lxi discover and by DNS-SD, and runs"
  "as the systemd service zolvek-bridge@PORT, disabled until enabled.")

include(CPack)
