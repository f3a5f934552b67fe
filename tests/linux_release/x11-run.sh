# Sourced by the Linux release checks: a private Xvfb or headless sway and short real runs of
# the programs. Never touches the session's display: the start functions replace DISPLAY or
# WAYLAND_DISPLAY with one of their own.

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

# sway_start: a headless sway with one 640x480 output, run as user 65534 when root (sway
# refuses root) in a runtime folder of its own; points WAYLAND_DISPLAY at it. Stop: sway_stop.
sway_start() {
  local user as=()
  user=$(id -u)
  [ "$user" -ne 0 ] || { user=65534; as=(setpriv --reuid=65534 --regid=65534 --clear-groups); }
  sway_dir=$(mktemp -d /tmp/vorlixss-sway-XXXXXX)
  mkdir "$sway_dir/home"
  printf 'xwayland disable\noutput HEADLESS-1 resolution 640x480 position 0 0\n' >"$sway_dir/config"
  chown -R "$user:$user" "$sway_dir"
  XDG_RUNTIME_DIR=$sway_dir WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    WLR_HEADLESS_OUTPUTS=1 setsid "${as[@]}" env HOME="$sway_dir/home" sway -c "$sway_dir/config" \
    >"$sway_dir/log" 2>&1 </dev/null &
  sway_pid=$!
  export XDG_RUNTIME_DIR=$sway_dir WAYLAND_DISPLAY
  for _ in $(seq 100); do
    WAYLAND_DISPLAY=$(find "$sway_dir" -maxdepth 1 -type s -name 'wayland-*' -printf '%f\n')
    [ -z "$WAYLAND_DISPLAY" ] || return 0
    sleep 0.1
  done
  echo "sway did not start: $(tail -c 300 "$sway_dir/log")" >&2
  return 1
}

sway_stop() {
  [ -z "${sway_pid:-}" ] || { kill "$sway_pid" 2>/dev/null; wait "$sway_pid" 2>/dev/null; } || true
  [ -z "${sway_dir:-}" ] || rm -rf "$sway_dir"
}

# screen: what draws_and_ends judges: grim's picture of sway's output once sway_start ran,
# else the X root.
screen() {
  if [ -n "${sway_dir:-}" ]; then grim "$sway_dir/screen.png" && echo "$sway_dir/screen.png"
  else echo x:root; fi
}

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

# draws_and_ends PROGRAM ARGS...: drawing on the screen, the program must show coloured blobs
# within ten seconds, or draw_wait seconds when set (40 lit of 7500: --count 1 lights about 70; the white --fps text and
# sway's grey have no colour), then end on SIGTERM, as XScreenSaver or an idle daemon ends
# it, with exit 0 and nothing said.
draws_and_ends() {
  local err pid lit=0 sectors=0 status=0 deadline=$((SECONDS + ${draw_wait:-10}))
  err=$(mktemp)
  # NOTE: the X root keeps the last run's picture; only a root made black first counts.
  [ -n "${sway_dir:-}" ] || display -window root -size 8x8 xc:black
  read -r lit sectors < <(judge "$(screen)")
  [ "$sectors" -eq 0 ] || { echo "$* -> the screen had colours before the run" >&2; rm -f "$err"; return 1; }
  "$@" 2>"$err" &
  pid=$!
  while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$pid" 2>/dev/null; do
    read -r lit sectors < <(judge "$(screen)")
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
