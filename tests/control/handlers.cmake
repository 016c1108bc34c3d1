# SPDX-License-Identifier: GPL-3.0-or-later
# Tests of the main window's handlers, end to end against the virtual generator.
zolvek_add_gtest(test_handlers_text
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_handlers_text.cpp
  LIBS zolvek_control_handlers)
zolvek_add_gtest(test_handlers_handshake
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_handlers_handshake.cpp
  LIBS zolvek_control_handlers zolvek_sim_core)

# The real main window, offscreen, with scripted dialogs: its own main()
# creates the application.
function(zolvek_add_window_test name)
  zolvek_add_gui_test(${name}
    MAIN ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/test_e2e_main.cpp
    SOURCES ${ARGN}
    LIBS zolvek_control_qt zolvek_sim_core)
endfunction()

if(TARGET zolvek_control_qt)
  zolvek_add_window_test(test_handlers_window
    ${CMAKE_CURRENT_LIST_DIR}/test_handlers_modes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_handlers_dialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_handlers_pointer.cpp)
  zolvek_add_window_test(test_e2e_device
    ${CMAKE_CURRENT_LIST_DIR}/test_e2e_connect.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_e2e_commands.cpp)
endif()

# Over real udev: a umockdev test bed.
if(TARGET zolvek_control_qt AND ZOLVEK_UMOCKDEV)
  zolvek_add_gui_test(test_e2e_udev UMOCKDEV
    MAIN ${CMAKE_CURRENT_LIST_DIR}/test_e2e_main.cpp
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_e2e_udev.cpp
    LIBS zolvek_control_qt zolvek_sim_core)
endif()
