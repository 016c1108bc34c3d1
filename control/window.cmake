# SPDX-License-Identifier: GPL-3.0-or-later
# Main window and About box: target zolvek_control_qt. The window's handlers
# are added to it by handlers.cmake.
add_library(zolvek_control_qt STATIC
  ${CMAKE_CURRENT_LIST_DIR}/About.cpp
  ${CMAKE_CURRENT_LIST_DIR}/About.h
  ${CMAKE_CURRENT_LIST_DIR}/HiddenText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HiddenText.h
  ${CMAKE_CURRENT_LIST_DIR}/MainFormLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainFormWiring.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TickEvents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TickEvents.h
  ${CMAKE_CURRENT_LIST_DIR}/ZOLMain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZOLMain.h
)
target_include_directories(zolvek_control_qt PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zolvek_control_qt PUBLIC
  Qt6::Widgets zolvek_control zolvek_screen_qt zolvek_serial_qt zolvek_platform zolvek_ui)
