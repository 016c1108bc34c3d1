#!/usr/bin/env bash
# The two programs as a person uses them, on a real X server: zolvek-sim
# registers sim0, zolvek's Connect lists it and the handshake runs, Run sends
# the whole state, the step-up arrow a step, Exit stops the output and ends the
# program; the simulator outlives the program and removes its port when it
# ends. The log is kept in $ZOLVEK_SESSION_LOG, or matched to $ZOLVEK_SESSION_SAME_AS.
# Usage: test_app_session.sh ZOLVEK ZOLVEK_SIM X11_SESSION_LIB
set -euo pipefail
zolvek=$1 sim=$2
. "$3"

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work
log=$work/sim.log
cleanup() {
  stop_processes "${zolvek_pid:-}" "${sim_pid:-}"
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT

# Whatever ends this script early says where.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR

fail() {
  echo "FAIL: $*" >&2
  echo "--- generator log:" >&2
  cat "$log" >&2 || true
  exit 1
}

# The kinds of the logged commands from line $1 on, space-separated.
kinds_from() {
  tail -n +"$1" "$log" | sed 's/.*"kind":"\([a-z_]*\)".*/\1/' | tr '\n' ' ' | sed 's/ $//'
}

start_xvfb || fail "no X server"
"$sim" --name sim0 --log "$log" 2>/dev/null &
sim_pid=$!
for _ in $(seq 50); do [ -L "$work/zolvek-ports/sim0" ] && break; sleep 0.1; done
[ -L "$work/zolvek-ports/sim0" ] || fail "sim0 not registered"

"$zolvek" &
zolvek_pid=$!
main=$(wait_for_window "Varnel Generator" "$zolvek_pid")
[ -n "$main" ] || fail "the main window did not appear"

connect_first_port "$main" || fail "no port dialog"
wait_for_line "$log" '"kind":"stop"' 300 || fail "no handshake"
handshake=$(kinds_from 1)
[ "$handshake" = "identify square_table analog_table stop" ] || fail "handshake: $handshake"

mark=$(($(wc -l <"$log") + 1))
press_run "$main"
wait_for_line "$log" '"kind":"control_word"' 300 || fail "Run sent no waveform"
sleep 0.5  # anything sent in excess shows too
resync=$(kinds_from "$mark")
[ "$resync" = "identify amp_analog amp_square coarse fine control_word" ] || fail "Run: $resync"

# The step-up arrow, left in the bottom panel: one frequency step.
read -r w h <<<"$(window_size "$main")"
mark=$(($(wc -l <"$log") + 1))
click_at "$main" 89 $((h - 43))
sleep 1
[ "$(kinds_from "$mark")" = "fine" ] || fail "step up: $(kinds_from "$mark")"

# Exit, 80 pixels wide at the window's right edge, beside Run.
mark=$(($(wc -l <"$log") + 1))
click_at "$main" $((w - 60)) $((h - 28))
for _ in $(seq 300); do kill -0 "$zolvek_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$zolvek_pid" 2>/dev/null && fail "Exit did not end the program"
status=0
wait "$zolvek_pid" || status=$?
zolvek_pid=
[ "$status" -eq 0 ] || fail "zolvek exit status $status"
[ "$(kinds_from "$mark")" = "stop" ] || fail "on Exit: $(kinds_from "$mark")"

kill -0 "$sim_pid" 2>/dev/null || fail "the simulator ended with the program"
[ -L "$work/zolvek-ports/sim0" ] || fail "sim0 unregistered while the simulator runs"
kill "$sim_pid"
wait "$sim_pid" 2>/dev/null || true
sim_pid=
[ ! -e "$work/zolvek-ports/sim0" ] || fail "sim0 still registered after the simulator ended"
[ -z "${ZOLVEK_SESSION_LOG:-}" ] || cp "$log" "$ZOLVEK_SESSION_LOG"
[ -z "${ZOLVEK_SESSION_SAME_AS:-}" ] || diff <(cut -d'"' -f6 "$ZOLVEK_SESSION_SAME_AS") \
  <(cut -d'"' -f6 "$log") || fail "other bytes (>) than in $ZOLVEK_SESSION_SAME_AS (<)"
echo "PASS: connect, handshake, Run, a step, Exit against zolvek-sim"
