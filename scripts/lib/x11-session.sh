# Sourced by scripts that use the real program on an X display the way a
# person does: start an Xvfb, find the main window, press Connect, choose a
# port in the dialog, press Run. Needs Xvfb and xdotool.

# Starts an Xvfb on a free display and exports DISPLAY, with the X11 platform
# chosen whatever the caller's environment says (offscreen or wayland would
# never show a window there). The server is ended by stop_xvfb.
start_xvfb() {
  export QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
  local displayfile
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$displayfile" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(tr -d '\n' <"$displayfile")"
  rm -f "$displayfile"
  [ "$DISPLAY" != ":" ]
}

stop_xvfb() {
  stop_processes "${xvfb_pid:-}"
  xvfb_pid=
}

# Ends the processes with these ids (empty ones skipped) and waits for them.
# Never fails, so that a cleanup under set -e goes on to the next server
# when one has ended already (a program that died at start).
stop_processes() {
  local pid
  for pid in "$@"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}

# Prints the id of the visible window with exactly this title, waiting for it
# up to 30 s, or until the process PROGRAM_PID (if given) has ended; prints
# nothing (and succeeds) when none appears.
wait_for_window() {
  local title=$1 program=${2:-} id
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1 || true)
    [ -z "$id" ] || { echo "$id"; return 0; }
    [ -z "$program" ] || kill -0 "$program" 2>/dev/null || return 0
    sleep 0.2
  done
}

# Clicks at a point given in the window's own coordinates.
click_at() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.3
}

# The Run and Connect buttons sit in the bottom panel, 154 pixels left of the
# window's right edge (the Exit button and the gaps are beside them).
window_size() {
  xdotool getwindowgeometry --shell "$1" | sed -n 's/^\(WIDTH\|HEIGHT\)=//p' | tr '\n' ' '
}
press_run() {
  local w h
  read -r w h <<<"$(window_size "$1")"
  click_at "$1" $((w - 126)) $((h - 43))
}
press_connect() {
  local w h
  read -r w h <<<"$(window_size "$1")"
  click_at "$1" $((w - 126)) $((h - 20))
}

# Presses Connect and chooses the first port the dialog lists.
connect_first_port() {
  press_connect "$1"
  local dialog
  dialog=$(wait_for_window "Select Communication Port")
  [ -n "$dialog" ] || return 1
  click_at "$dialog" 185 20   # the first line of the list
  click_at "$dialog" 140 192  # OK
}

# Waits until the file holds a line matching the pattern.
wait_for_line() {
  for _ in $(seq "${3:-100}"); do
    grep -q -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# Connects to the first port and presses Run, each step checked in the
# generator's JSON log: the handshake ends with the stop command, Run's
# resync with the waveform command.
connect_and_run() {
  local main=$1 log=$2
  connect_first_port "$main" || { echo "no port dialog" >&2; return 1; }
  wait_for_line "$log" '"kind":"stop"' 300 || { echo "no handshake" >&2; return 1; }
  press_run "$main"
  wait_for_line "$log" '"kind":"control_word"' 300 || { echo "Run sent no waveform" >&2; return 1; }
}
