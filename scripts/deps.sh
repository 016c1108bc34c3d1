#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# and any packages named as arguments, skipping what is already there.
# With --windows first, also what the Windows cross build and its tests
# under Wine need (scripts/test windows); with --fuzz, the compiler and
# libFuzzer of the fuzz targets (scripts/fuzz). Uses sudo when not root.
set -euo pipefail

# mingw-w64 with posix threads (std::thread), GoogleTest's sources for the
# cross compiler, the 64-bit Wine loader and Wine's own fonts (the dialogs'
# face), makensis for the installer and zip for the portable folder.
windows_packages=(g++-mingw-w64-x86-64-posix googletest wine64 nsis zip fonts-wine)
# clang with its run-time libraries: libFuzzer, FuzzedDataProvider.h and
# the sanitizers for clang.
fuzz_packages=(clang-14 libclang-rt-14-dev)
extra=()
while [ $# -gt 0 ]; do
  case "$1" in
    --windows) extra+=("${windows_packages[@]}") ;;
    --fuzz) extra+=("${fuzz_packages[@]}") ;;
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
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
