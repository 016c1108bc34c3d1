# Handlers of the main window: adds sources to zolvek_control_qt.
