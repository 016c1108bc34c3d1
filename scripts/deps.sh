#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# and any packages named as arguments, skipping what is already there.
# With --windows first, also what the Windows cross build and its tests
# under Wine need (scripts/test windows); with --fuzz, the compiler and
# libFuzzer of the fuzz targets (scripts/fuzz); with --arm64, what the arm64
# cross build, its packages and its tests under emulation need
# (scripts/package arm64, scripts/test arm64). Uses sudo when not root.
set -euo pipefail

# mingw-w64 with posix threads (std::thread), GoogleTest's sources for the
# cross compiler, the 64-bit Wine loader and Wine's own fonts (the dialogs'
# face), makensis for the installer and zip for the portable folder.
windows_packages=(g++-mingw-w64-x86-64-posix googletest wine64 nsis zip fonts-wine)
# clang with its run-time libraries: libFuzzer, FuzzedDataProvider.h and
# the sanitizers for clang.
fuzz_packages=(clang-14 libclang-rt-14-dev)
# Debian's cross compiler, qemu's user-mode emulator, and the arm64 Qt and
# libraries through multiarch beside the machine's own (their Multi-Arch:
# same packages), as the bridge and the plain libraries' tests link them.
arm64_packages=(g++-aarch64-linux-gnu qemu-user-static
  qt6-base-dev:arm64 libtirpc-dev:arm64 libavahi-client-dev:arm64 libudev1:arm64
  libgtest-dev:arm64)
extra=()
arm64=""
while [ $# -gt 0 ]; do
  case "$1" in
    --windows) extra+=("${windows_packages[@]}") ;;
    --fuzz) extra+=("${fuzz_packages[@]}") ;;
    --arm64) extra+=("${arm64_packages[@]}"); arm64=1 ;;
    *) break ;;
  esac
  shift
done

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libudev1 umockdev libumockdev-dev util-linux
  xvfb xdotool openbox
  dbus-daemon dbus-bin at-spi2-core python3-pyatspi
  fonts-liberation fonts-dejavu-core
  desktop-file-utils appstream dpkg-dev file groff-base
  lxi-tools python3-pyvisa-py rpcbind libtirpc-dev
  # The bridge: DNS-SD through Avahi, tested against a daemon of its own and
  # its browser; its service unit and both packages checked.
  libavahi-client-dev avahi-daemon avahi-utils systemd lintian
  # The format check (scripts/check-format): its version decides the layout.
  clang-format-14
  "${extra[@]}"
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
if [ -n "$arm64" ] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
  $sudo dpkg --add-architecture arm64
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
