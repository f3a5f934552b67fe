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

# judge PICTURE (a file, or x:root for the screen): lit pixels of a 100x75 scale-down
# (brightest channel above 40) and the hue sectors of six that hold at least a tenth of them.
judge() {
  convert "$1" -scale 100x75! -depth 8 txt:- | awk -F'[(),]+' 'NR > 1 {
      r = $3; g = $4; b = $5; hi = r; lo = r
      if (g > hi) hi = g; if (b > hi) hi = b; if (g < lo) lo = g; if (b < lo) lo = b
      if (hi <= 40) next
      lit++; if (hi == lo) next
      if (hi == r) h = 60 * (g - b) / (hi - lo); else if (hi == g) h = 120 + 60 * (b - r) / (hi - lo)
      else h = 240 + 60 * (r - g) / (hi - lo)
      if (h < 0) h += 360; s[int(h / 60) % 6]++
    } END { n = 0; for (k in s) if (s[k] * 10 >= lit) n++; print lit + 0, n }'
}

# draws_and_ends PROGRAM ARGS...: drawing on the root, the program must show coloured blobs
# within ten seconds (40 lit of 7500: --count 1 lights about 70; the white --fps text has no
# colour), then end on SIGTERM, as XScreenSaver ends it, with exit 0 and nothing said.
draws_and_ends() {
  local err pid lit=0 sectors=0 status=0 deadline=$((SECONDS + 10))
  err=$(mktemp)
  # NOTE: the root keeps the last run's picture; only a root made black first counts.
  display -window root -size 8x8 xc:black
  read -r lit _ < <(judge x:root)
  [ "$lit" -eq 0 ] || { echo "$* -> the root was not black before the run" >&2; rm -f "$err"; return 1; }
  "$@" 2>"$err" &
  pid=$!
  while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$pid" 2>/dev/null; do
    read -r lit sectors < <(judge x:root)
    [ "$lit" -lt 40 ] || [ "$sectors" -lt 1 ] || break
    sleep 0.1
  done
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" || status=$?
  local complaint=""
  [ "$lit" -ge 40 ] && [ "$sectors" -ge 1 ] || complaint="drew no blobs (lit $lit, colours $sectors)"
  [ "$status" = 0 ] || complaint="${complaint:+$complaint, }ended with exit code $status"
  [ ! -s "$err" ] || complaint="${complaint:+$complaint, }said: $(head -c 300 "$err")"
  rm -f "$err"
  [ -z "$complaint" ] || { echo "$* -> $complaint" >&2; return 1; }
}
