# Main window and About box: target zolvek_control_qt.
