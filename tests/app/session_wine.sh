#!/usr/bin/env bash
# The session test (test_app_session.sh) twice with the same clicks: the Linux
# program, then zolvek.exe from the Windows zip under Wine, its COM port the
# generator's terminal and listed through SetupAPI (scripts/lib/wine-zolvek).
# The generator must receive the same bytes from both.
# Usage: session_wine.sh LINUX_ZOLVEK ZOLVEK_SIM WINDOWS_ZIP   (WINEPREFIX set)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lib=$here/../../scripts/lib
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$3" -d "$work"

ZOLVEK_SESSION_LOG=$work/linux.log "$here/test_app_session.sh" "$1" "$2" "$lib/x11-session.sh"
ZOLVEK_EXE=$(echo "$work"/zolvek-*/zolvek.exe) ZOLVEK_SESSION_LOG=$work/wine.log \
  "$here/test_app_session.sh" "$lib/wine-zolvek" "$2" "$lib/x11-session.sh"
raw() { sed 's/.*"raw":"\([0-9a-f]*\)".*/\1/' "$1"; }
if ! diff <(raw "$work/linux.log") <(raw "$work/wine.log"); then
  echo "FAIL: the generator received other bytes from zolvek.exe (> lines) than on Linux (<)"
  exit 1
fi
echo "PASS: the same $(wc -l <"$work/wine.log") commands from zolvek.exe under Wine as on Linux"
