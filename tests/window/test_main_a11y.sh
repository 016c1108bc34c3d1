#!/usr/bin/env bash
# The real program as an assistive tool sees it: under an Xvfb, with a
# session bus of its own (which starts the accessibility bus and registry
# on demand), zolvek runs with accessibility on and test_main_a11y.py drives
# it over AT-SPI. Skips (77) when a tool is missing.
# Usage: test_main_a11y.sh ZOLVEK X11-SESSION-LIB
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
zolvek=$1
session_lib=$2

skip() {
  echo "SKIP: $* (scripts/deps.sh installs it)"
  exit 77
}
for tool in Xvfb xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null 2>&1 || [ -x "$tool" ] || skip "$tool is missing"
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is missing"

if [ -z "${ZOLVEK_A11Y_SESSION:-}" ]; then
  # A private runtime directory: instance lock, virtual ports and the
  # accessibility bus's socket, all gone afterwards.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  rc=0
  XDG_RUNTIME_DIR=$work ZOLVEK_A11Y_SESSION=1 dbus-run-session -- "$0" "$@" || rc=$?
  exit "$rc"
fi

. "$session_lib"
cleanup() {
  stop_processes "${zolvek_pid:-}"
  stop_xvfb
}
trap cleanup EXIT
start_xvfb
export QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# Only the session bus of this run leads to the accessibility bus, which it
# starts on demand, as root (in CI) as well; no user's bus is touched.
unset AT_SPI_BUS_ADDRESS
"$zolvek" &
zolvek_pid=$!
ZOLVEK_PID=$zolvek_pid /usr/bin/python3 "$here/test_main_a11y.py"
# A sanitizer's report ends the program: it must still be running.
kill -0 "$zolvek_pid" 2>/dev/null || { echo "FAIL: zolvek ended during the test"; exit 1; }
