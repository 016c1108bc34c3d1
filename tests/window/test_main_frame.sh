#!/usr/bin/env bash
# Runs the framed-window test on an Xvfb with the openbox window manager.
# Usage: test_main_frame.sh TEST_BINARY X11_SESSION_LIB
set -euo pipefail
binary=$1
. "$2"
for tool in Xvfb openbox; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
trap 'stop_processes "${wm_pid:-}"; stop_xvfb' EXIT
start_xvfb || { echo "FAIL: no X server" >&2; exit 1; }
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
sleep 0.5
"$binary"
