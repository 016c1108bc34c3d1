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
add_executable(test_main_no_narrow_font ${CMAKE_CURRENT_LIST_DIR}/test_main_no_narrow_font.cpp)
target_link_libraries(test_main_no_narrow_font PRIVATE zolvek_control_qt GTest::gtest Qt6::Widgets Threads::Threads)
target_include_directories(test_main_no_narrow_font PRIVATE ${PROJECT_SOURCE_DIR})
if(ZOLVEK_TSAN)
  target_sources(test_main_no_narrow_font PRIVATE ${PROJECT_SOURCE_DIR}/ui/TsanQtSuppressions.cpp)
endif()
gtest_discover_tests(test_main_no_narrow_font PROPERTIES ENVIRONMENT "${ZOLVEK_TEST_ENV}" DISCOVERY_TIMEOUT 60)
