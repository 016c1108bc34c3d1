# Plain C++ control core: target zolvek_control.
