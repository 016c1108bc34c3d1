# SPDX-License-Identifier: GPL-3.0-or-later
# Plain C++ control core: target zolvek_control.
add_library(zolvek_control STATIC
  ${CMAKE_CURRENT_LIST_DIR}/UpdateCycle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Protocol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SweepEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeviceReplies.cpp
)
target_include_directories(zolvek_control PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zolvek_control PUBLIC zolvek_screen zolvek_serial zolvek_platform)
# No Qt in the core: the project turns AUTOMOC on globally.
set_target_properties(zolvek_control PROPERTIES AUTOMOC OFF)
