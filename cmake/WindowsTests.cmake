# Tests of the cross build (ZOLVEK_WINDOWS_CORE_ONLY): GoogleTest built from
# Debian's googletest sources by the cross compiler, each test program run
# whole under Wine by ctest (the toolchain's emulator, scripts/lib/wine-run)
# in the prefix ${CMAKE_BINARY_DIR}/wineprefix.
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
