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
  add_executable(${name} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/test_e2e_main.cpp ${ARGN})
  target_link_libraries(${name} PRIVATE zolvek_control_qt zolvek_sim_core Qt6::Test GTest::gtest
                                        Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  # Qt is not built with ThreadSanitizer: the program's suppressions hide
  # what the sanitizer cannot see through inside Qt.
  if(ZOLVEK_TSAN)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/ui/TsanQtSuppressions.cpp)
  endif()
  gtest_discover_tests(${name} PROPERTIES ENVIRONMENT "${ZOLVEK_TEST_ENV}" DISCOVERY_TIMEOUT 60)
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
