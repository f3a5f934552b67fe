# Sourced by scripts/demo and scripts/screenshots: a private headless sway to run
# vorlixss-wayland on, never the session's compositor.
#
# headless_sway_start LOG WxH...: starts Debian's sway with one headless output per size given,
# HEADLESS-1, HEADLESS-2 ... side by side from the left, tops aligned, sway's own messages in LOG.
# NOTE: sway refuses to run as root; as root it runs as user 65534, in a runtime folder of its
# own (mode 700) that the caller, as root, can still reach. Exports XDG_RUNTIME_DIR and
# WAYLAND_DISPLAY for the clients (vorlixss-wayland, grim, wtype); sets headless_sway_pid and
# headless_sway_dir. The caller stops it with headless_sway_stop, best from an EXIT trap.
headless_sway_start() {
  local log=$1 size x=0 count=0 as_user=(env)
  shift
  headless_sway_dir=$(mktemp -d /tmp/vorlixss-sway.XXXXXX)
  mkdir -p "$headless_sway_dir/home"
  {
    echo 'xwayland disable'
    for size in "$@"; do
      count=$((count + 1))
      echo "output HEADLESS-$count resolution $size position $x 0"
      x=$((x + ${size%%x*}))
    done
  } >"$headless_sway_dir/home/config"
  if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$headless_sway_dir"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups env)
  fi
  chmod 700 "$headless_sway_dir"
  XDG_RUNTIME_DIR=$headless_sway_dir WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=$count "${as_user[@]}" \
    HOME="$headless_sway_dir/home" sway -c "$headless_sway_dir/home/config" \
    >"$log" 2>&1 </dev/null &
  headless_sway_pid=$!
  export XDG_RUNTIME_DIR=$headless_sway_dir WAYLAND_DISPLAY=""
  for _ in $(seq 100); do
    WAYLAND_DISPLAY=$(find "$headless_sway_dir" -maxdepth 1 -type s -name 'wayland-*' -printf '%f\n')
    [ -z "$WAYLAND_DISPLAY" ] || return 0
    kill -0 "$headless_sway_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "headless sway did not start: $(tail -c 300 "$log")" >&2
  return 1
}

headless_sway_stop() {
  [ -z "${headless_sway_pid:-}" ] || { kill "$headless_sway_pid" 2>/dev/null; wait "$headless_sway_pid" 2>/dev/null; } || true
  [ -z "${headless_sway_dir:-}" ] || rm -rf "$headless_sway_dir"
  headless_sway_pid="" headless_sway_dir=""
}
