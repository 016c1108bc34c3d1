# SPDX-License-Identifier: GPL-3.0-or-later
# Tests of the control core. They drive a real serial port on a
# pseudo-terminal; the stress test runs the tick on the timer thread.
zolvek_add_gtest(test_control_core
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_core_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_core_protocol.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_core_tick.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_core_sweep.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_core_replies.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_core_stress.cpp
  LIBS zolvek_control zolvek_platform)
target_link_libraries(test_control_core PRIVATE util)
set_target_properties(test_control_core PROPERTIES AUTOMOC OFF)
