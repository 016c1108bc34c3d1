# Tests of the cross build: GoogleTest built from Debian's googletest sources
# by the cross compiler, each test program run whole under Wine by ctest (the
# toolchain's emulator, scripts/lib/wine-run) in the prefix
# ${CMAKE_BINARY_DIR}/wineprefix; and the program as shipped.
enable_testing()
set(ZOLVEK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${ZOLVEK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(ZOLVEK_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
# The virtual generator built for Linux, which plays the device on the COM ports.
set(ZOLVEK_LINUX_SIM "" CACHE FILEPATH "zolvek-sim built for the build machine")

function(zolvek_add_wine_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;RUNNER" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  # Linked statically: they run under Wine without the compiler's DLLs.
  target_link_options(${name} PRIVATE -static)
  if(ARG_RUNNER)
    add_test(NAME ${name} COMMAND ${ARG_RUNNER} $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "WINEPREFIX=${ZOLVEK_WINEPREFIX};ZOLVEK_SIM=${ZOLVEK_LINUX_SIM}" TIMEOUT 300)
endfunction()

set(T ${PROJECT_SOURCE_DIR}/tests)
zolvek_add_wine_test(test_screen_model_win32
  SOURCES ${T}/screen/ScreenModelTest.cpp ${T}/screen/ScalePointerTest.cpp
          ${T}/screen/ReadoutFormatTest.cpp
  LIBS zolvek_screen)
zolvek_add_wine_test(test_platform_win32
  SOURCES ${T}/platform/test_multimedia_timer.cpp ${T}/platform/test_instance_lock_win32.cpp
  LIBS zolvek_platform)
zolvek_add_wine_test(serial_logic_win32
  SOURCES ${T}/serial/GenAlgTest.cpp ${T}/serial/TinyCommsLogicTest.cpp
          ${T}/serial/ComThreadTest.cpp
  LIBS zolvek_serial)
zolvek_add_wine_test(serial_portlist_win32
  SOURCES ${T}/serial/PortListWin32Test.cpp
  LIBS zolvek_serial setupapi)
zolvek_add_wine_test(serial_com_win32
  SOURCES ${T}/serial/TinyCommsWin32Test.cpp
  LIBS zolvek_serial
  RUNNER ${T}/serial/com-session)

# The program as shipped, from build/windows/package (scripts/package windows
# makes it before scripts/test windows runs these): its zip and installer,
# and zolvek.exe under Wine on an Xvfb clicked as on Linux and served over
# the network, against the Linux virtual generator.
set(ZOLVEK_LINUX_PROGRAM "" CACHE FILEPATH "zolvek built for the build machine")
set(P ${CMAKE_BINARY_DIR}/package/zolvek-${PROJECT_VERSION}-win64)
add_test(NAME windows_package COMMAND ${T}/app/windows_package.sh ${P}.zip ${P}-setup.exe)
# The session test's clicks on the Linux program, then on zolvek.exe: the
# generator must receive the same bytes.
set(ZOLVEK_SESSION_LOG ${CMAKE_BINARY_DIR}/session-linux.log)
add_test(NAME app_session_linux COMMAND ${T}/app/test_app_session.sh ${ZOLVEK_LINUX_PROGRAM}
         ${ZOLVEK_LINUX_SIM} ${PROJECT_SOURCE_DIR}/scripts/lib/x11-session.sh)
set_tests_properties(app_session_linux PROPERTIES FIXTURES_SETUP linux_session
  ENVIRONMENT "ZOLVEK_SESSION_LOG=${ZOLVEK_SESSION_LOG}")
add_test(NAME app_session_wine COMMAND ${T}/app/test_app_session.sh
         ${PROJECT_SOURCE_DIR}/scripts/lib/wine-zolvek ${ZOLVEK_LINUX_SIM}
         ${PROJECT_SOURCE_DIR}/scripts/lib/x11-session.sh)
add_test(NAME app_remote_wine
  COMMAND xvfb-run -a /usr/bin/python3 ${T}/app/remote_wine.py
          ${PROJECT_SOURCE_DIR}/scripts/lib/wine-zolvek ${ZOLVEK_LINUX_SIM})
set(wine_env "WINEPREFIX=${ZOLVEK_WINEPREFIX};ZOLVEK_EXE=${P}/zolvek.exe")
set_tests_properties(windows_package app_remote_wine PROPERTIES ENVIRONMENT "${wine_env}")
set_tests_properties(app_session_wine PROPERTIES FIXTURES_REQUIRED linux_session
  ENVIRONMENT "${wine_env};ZOLVEK_SESSION_SAME_AS=${ZOLVEK_SESSION_LOG}")
