# Tests of the main window's handlers, end to end against the virtual generator.
zolvek_add_gtest(test_handlers_text
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_handlers_text.cpp
  LIBS zolvek_control_handlers)
zolvek_add_gtest(test_handlers_handshake
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_handlers_handshake.cpp
  LIBS zolvek_control_handlers zolvek_sim_core)
