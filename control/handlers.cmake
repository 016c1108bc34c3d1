# SPDX-License-Identifier: GPL-3.0-or-later
# Handlers of the main window: adds sources to zolvek_control_qt.
# Their plain C++ helpers (dialog number text, the table handshake) form a
# library of their own so that tests drive them without a window.
add_library(zolvek_control_handlers STATIC
  ${CMAKE_CURRENT_LIST_DIR}/FrequencyText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrequencyText.h
  ${CMAKE_CURRENT_LIST_DIR}/HandlerHandshake.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HandlerHandshake.h
)
target_include_directories(zolvek_control_handlers PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zolvek_control_handlers PUBLIC zolvek_control zolvek_serial zolvek_screen)
set_target_properties(zolvek_control_handlers PROPERTIES AUTOMOC OFF)

if(TARGET zolvek_control_qt)
  target_sources(zolvek_control_qt PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/HandlerColors.h
    ${CMAKE_CURRENT_LIST_DIR}/MainFormConnect.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainFormModes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainFormWaveform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainFormFrequency.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainFormPointer.cpp
  )
  target_link_libraries(zolvek_control_qt PUBLIC zolvek_control_handlers zolvek_serial_qt zolvek_ui
    zolvek_doctor_core)
endif()
