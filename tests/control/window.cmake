# Tests of the main window.
zolvek_add_gui_test(test_main_window
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_main_layout.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_main_life.cpp
  LIBS zolvek_control_qt zolvek_sim_core)
zolvek_add_gtest(test_main_hidden_text
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_main_hidden_text.cpp
  LIBS zolvek_control_qt)
# Its own main: the fonts it may see are chosen before the application starts.
zolvek_add_gui_test(test_main_no_narrow_font
  MAIN ${CMAKE_CURRENT_LIST_DIR}/test_main_no_narrow_font.cpp
  LIBS zolvek_control_qt zolvek_sim_core)
# Under a real window manager, started by its script.
zolvek_add_gui_test(test_main_frame
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_main_frame.cpp
  LIBS zolvek_control_qt zolvek_sim_core
  NO_DISCOVERY)
add_test(NAME main_window_frame
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/test_main_frame.sh $<TARGET_FILE:test_main_frame>
          ${PROJECT_SOURCE_DIR}/scripts/lib/x11-session.sh)
set_tests_properties(main_window_frame PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60)
