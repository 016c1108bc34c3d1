# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads, for
# std::thread); ctest runs the programs through Wine. With
# -DZOLVEK_QT_WINDOWS=<prefix> (scripts/lib/qt-windows builds one) Qt for
# Windows is found there, its tools (moc, uic, rcc) are Debian's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZOLVEK_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZOLVEK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZOLVEK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZOLVEK_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZOLVEK_MINGW})
if(ZOLVEK_QT_WINDOWS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ZOLVEK_QT_WINDOWS})
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config is the build machine's: keep it to the (empty) Windows root, so
# that no Linux library (libtirpc) is taken for a Windows one.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${ZOLVEK_MINGW}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/wine-run)
