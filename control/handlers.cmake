# The command path (the controls as data and their handlers, the device
# link, dialog number text, the table handshake) is plain C++, a library of
# its own that tests drive without a window; the window's side of the
# handlers is added to zolvek_control_qt.
add_library(zolvek_control_handlers STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ControlPanel.h
  ${CMAKE_CURRENT_LIST_DIR}/DeviceLink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeviceLink.h
  ${CMAKE_CURRENT_LIST_DIR}/FrequencyText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrequencyText.h
  ${CMAKE_CURRENT_LIST_DIR}/GeneratorConnection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GeneratorControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GeneratorControl.h
  ${CMAKE_CURRENT_LIST_DIR}/GeneratorFrequency.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GeneratorModes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GeneratorPointer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GeneratorWaveform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HandlerHandshake.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HandlerHandshake.h
)
target_include_directories(zolvek_control_handlers PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zolvek_control_handlers PUBLIC zolvek_control zolvek_serial zolvek_screen)
set_target_properties(zolvek_control_handlers PROPERTIES AUTOMOC OFF)

if(TARGET zolvek_control_qt)
  target_sources(zolvek_control_qt PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MainFormHandlers.cpp
  )
  target_link_libraries(zolvek_control_qt PUBLIC zolvek_control_handlers zolvek_serial_qt zolvek_ui)
endif()
