# Cross build for 64-bit ARM Linux (a Raspberry Pi with a 64-bit Debian or
# Raspberry Pi OS) with Debian's cross compiler and Debian's arm64 Qt and
# libraries installed beside the machine's own through multiarch
# (dpkg --add-architecture arm64; scripts/deps.sh --arm64): their headers
# and CMake packages sit in the usual places, the libraries under
# lib/aarch64-linux-gnu. Qt's tools (moc) are the build machine's. ctest
# runs the programs under qemu-aarch64, whose loader and libraries are the
# multiarch ones.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
# Only the arm64 libraries: the build machine's are in other folders.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
