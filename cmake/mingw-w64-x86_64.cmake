# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads, for
# std::thread). Programs are linked statically, so they run under Wine or on
# Windows without the compiler's DLLs; ctest runs them through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZOLVEK_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZOLVEK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZOLVEK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZOLVEK_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZOLVEK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/wine-run)
