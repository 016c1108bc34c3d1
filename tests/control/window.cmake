# SPDX-License-Identifier: GPL-3.0-or-later
# Tests of the main window.
zolvek_add_gui_test(test_main_window
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_main_layout.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_main_life.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_main_fixture.h
  LIBS zolvek_control_qt)
zolvek_add_gtest(test_main_hidden_text
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_main_hidden_text.cpp
  LIBS zolvek_control_qt)
# Its own main: the fonts it may see are chosen before the application starts.
zolvek_add_gui_test(test_main_no_narrow_font
  MAIN ${CMAKE_CURRENT_LIST_DIR}/test_main_no_narrow_font.cpp
  LIBS zolvek_control_qt)
