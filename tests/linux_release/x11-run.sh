# Sourced by the Linux release checks: a private Xvfb and short real runs of the program.
# Never touches $DISPLAY's server: xvfb_start replaces DISPLAY with a display of its own.

# xvfb_start [WIDTHxHEIGHT]: starts Xvfb (640x480 unless given, GLX through Mesa) on a free
# display and points DISPLAY at it. The caller stops it with xvfb_stop, best from an EXIT trap.
xvfb_start() {
  local number_file
  number_file=$(mktemp)
  setsid Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 "${1:-640x480}x24" \
    3>"$number_file" >/dev/null 2>&1 </dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$number_file" ] && break; sleep 0.1; done
  [ -s "$number_file" ] || { echo "Xvfb did not start" >&2; rm -f "$number_file"; return 1; }
  export DISPLAY=":$(cat "$number_file")"
  unset XSCREENSAVER_WINDOW
  rm -f "$number_file"
}

xvfb_stop() { [ -z "${xvfb_pid:-}" ] || kill "$xvfb_pid" 2>/dev/null || true; }

# draws_and_ends PROGRAM ARGS...: the program, drawing on the root window, must show a
# picture within ten seconds and then end on SIGTERM with exit code 0 and nothing on
# standard error (what XScreenSaver does to a module). Says what went wrong otherwise.
draws_and_ends() {
  local err pid drawn=0 status=0
  err=$(mktemp)
  # NOTE: the root keeps the last program's picture after it ends; blacken it first, so
  # that only this run's drawing counts.
  display -window root -size 8x8 xc:black
  "$@" 2>"$err" &
  pid=$!
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    if [ "$(import -window root -format '%[fx:maxima]' info: 2>/dev/null)" != 0 ]; then
      drawn=1
      break
    fi
    sleep 0.1
  done
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" || status=$?
  local complaint=""
  [ "$drawn" = 1 ] || complaint="drew nothing"
  [ "$status" = 0 ] || complaint="${complaint:+$complaint, }ended with exit code $status"
  [ ! -s "$err" ] || complaint="${complaint:+$complaint, }said: $(head -c 300 "$err")"
  rm -f "$err"
  [ -z "$complaint" ] || { echo "$* -> $complaint" >&2; return 1; }
}
