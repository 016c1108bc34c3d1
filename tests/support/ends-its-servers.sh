#!/usr/bin/env bash
# Runs a test script as when its program dies at start (the caller passes a
# program that exits at once), in a session of its own, and fails when a
# process of that session outlives the script: every server it started (an
# X server, a window manager, the virtual generator, rpcbind, a bus) must
# end on every exit path. The script itself must fail, or skip (77).
# Usage: ends-its-servers.sh COMMAND [ARGUMENTS...]
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
setsid --wait bash -c 'echo $$ >"$0"; exec "$@"' "$work/session" "$@" >"$work/log" 2>&1 ||
  status=$?
[ "$status" -ne 77 ] || { echo "SKIP: $(tail -n 1 "$work/log")"; exit 77; }
[ "$status" -ne 0 ] || { cat "$work/log"; echo "FAIL: it passed with a program that died at start"; exit 1; }
session=$(cat "$work/session")
left=""
for _ in $(seq 20); do
  left=$(pgrep -s "$session" || true)
  [ -n "$left" ] || break
  sleep 0.1
done
if [ -n "$left" ]; then
  tail -n 20 "$work/log"
  ps -o pid,args -p "$(echo $left | tr ' ' ',')"
  kill $left 2>/dev/null || true
  echo "FAIL: the script left these running (exit $status)"
  exit 1
fi
echo "PASS: the script failed (exit $status) and ended everything it started"
