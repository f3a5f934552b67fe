# shellcheck shell=bash
# vorlixss-wayland in a private headless sway (tests/support/headless-sway.sh): against its
# draw-and-swap ceiling (wayland_bench) in turns, its first frame against bare_egl's, its CPU
# while its window is hidden, what --delay saves in both Linux programs, and its CPU per frame
# with --quality fast against exact. Sourced by scripts/bench.
# shellcheck disable=SC2154  # the run's paths and lengths come from scripts/bench
# shellcheck disable=SC2030,SC2031  # each run's environment is its own subshell's

# shellcheck source=tests/support/headless-sway.sh
source tests/support/headless-sway.sh
wl_exe="$root/build/linux/vorlixss-wayland"
wl_bench="$root/build/linux/tests/bench/wayland_bench"
bare_egl="$root/build/linux/tests/bench/bare_egl"

# The runtime folder before any sway of ours: a stopped sway's is gone, and clients started
# later (the browsers) must not look for its socket.
outer_runtime_dir=${XDG_RUNTIME_DIR-}
stop_sway() {
  headless_sway_stop
  unset WAYLAND_DISPLAY SWAYSOCK
  if [ -n "$outer_runtime_dir" ]; then export XDG_RUNTIME_DIR=$outer_runtime_dir; else unset XDG_RUNTIME_DIR; fi
}

cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# A fresh sway with one output of the size; SWAYSOCK for swaymsg.
start_sway() {
  headless_sway_stop
  # NOTE: sway takes an exported SWAYSOCK as its own socket's path: the last sway's is gone.
  unset SWAYSOCK
  headless_sway_start "$out/sway-$1.log" "$1"
  for _ in $(seq 100); do
    SWAYSOCK=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -type s -name 'sway-ipc.*' | head -n1)
    [ -n "$SWAYSOCK" ] && break; sleep 0.05
  done
  export SWAYSOCK
  swaymsg -t get_outputs -r > "$out/outputs-$1.json" 2>/dev/null || true
}
# vorlixss-wayland for SECONDS after its warm-up (as run_native: the shim counts its swaps
# after the first warmup_swaps), and sway's CPU from 1.5 s after the start to the end.
run_wayland() {
  local tag=$1 seconds=$2; shift 2
  local counts="$out/wl-$tag.counts" ticks a b t0 t1
  rm -f "$counts"
  (
    echo "launched_unix_s=$EPOCHREALTIME" > "$out/wl-$tag.txt"
    export VORLIX_FRAME_COUNT_FILE="$counts" VORLIX_WARMUP_SWAPS=$warmup_swaps LD_PRELOAD="$shim"
    exec "$wl_exe" "$@"
  ) >"$out/wl-$tag.log" 2>&1 &
  local pid=$!
  ticks=$(getconf CLK_TCK)
  sleep 1.5
  a=$(cpu_ticks "$headless_sway_pid") t0=$EPOCHREALTIME
  sleep "$seconds"
  b=$(cpu_ticks "$headless_sway_pid") t1=$EPOCHREALTIME
  kill -TERM "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true
  cat "$counts" >> "$out/wl-$tag.txt" 2>/dev/null || true
  awk -v a="$a" -v b="$b" -v t0="$t0" -v t1="$t1" -v hz="$ticks" \
    'BEGIN { printf "sway_cpu_percent=%.1f\n", (b - a) / hz / (t1 - t0) * 100 }' >> "$out/wl-$tag.txt"
}
# The ceiling of one round; the floor (REPS) in the first round only.
run_wl_ceiling() {
  local tag=$1 reps=$2; shift 2
  VORLIX_COMPOSITOR_PID=$headless_sway_pid "$wl_bench" "$reps" "$wl_seconds" "$@" \
    > "$out/wlc-$tag.txt" 2>&1 || true
}
# The first frame of `vorlixss-wayland --root` or of bare_egl, from exec to the return of
# its first eglSwapBuffers (the shim's first_swap_unix_s).
run_first_wayland() {
  local name=$1 tag=$2 counts="$out/wlfirst-$1-$2.counts"
  rm -f "$counts"
  (
    echo "launched_unix_s=$EPOCHREALTIME" > "$out/wlfirst-$name-$tag.txt"
    export VORLIX_FRAME_COUNT_FILE="$counts" LD_PRELOAD="$shim"
    if [ "$name" = bare ]; then exec "$bare_egl"; else exec "$wl_exe" --root --count 12; fi
  ) >"$out/wlfirst-$name-$tag.log" 2>&1 &
  local pid=$!
  if [ "$name" = bare ]; then wait "$pid" || true
  else sleep 1.5; kill -TERM "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  cat "$counts" "$out/wlfirst-$name-$tag.log" >> "$out/wlfirst-$name-$tag.txt" 2>/dev/null || true
}

# The own window, shown, then moved to a workspace nobody looks at: CPU of both spans.
run_hidden_window() {
  local pid a b c d s0 s1 s2 s3 t0 t1 t2 t3 visible_on
  "$wl_exe" --count 12 >"$out/hidden.log" 2>&1 &
  pid=$!
  sleep 2
  a=$(cpu_ticks "$pid") s0=$(cpu_ticks "$headless_sway_pid") t0=$EPOCHREALTIME
  sleep "$wl_hidden_seconds"
  b=$(cpu_ticks "$pid") s1=$(cpu_ticks "$headless_sway_pid") t1=$EPOCHREALTIME
  swaymsg '[app_id=vorlixss] move container to workspace 9' >>"$out/hidden.log" 2>&1 || true
  sleep 1
  c=$(cpu_ticks "$pid") s2=$(cpu_ticks "$headless_sway_pid") t2=$EPOCHREALTIME
  sleep "$wl_hidden_seconds"
  d=$(cpu_ticks "$pid") s3=$(cpu_ticks "$headless_sway_pid") t3=$EPOCHREALTIME
  visible_on=$(swaymsg -t get_tree 2>/dev/null | python3 -c '
import json, sys
def walk(node, workspace):
    if node.get("type") == "workspace": workspace = node.get("name")
    if node.get("app_id") == "vorlixss":
        print("workspace %s, %s" % (workspace, "visible" if node.get("visible") else "not visible")); return
    for child in node.get("nodes", []) + node.get("floating_nodes", []): walk(child, workspace)
walk(json.load(sys.stdin), None)' || true)
  kill -TERM "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true
  awk -v a="$a" -v b="$b" -v c="$c" -v d="$d" -v s0="$s0" -v s1="$s1" -v s2="$s2" -v s3="$s3" \
      -v t0="$t0" -v t1="$t1" -v t2="$t2" -v t3="$t3" -v hz="$(getconf CLK_TCK)" -v where="$visible_on" '
    BEGIN { printf "shown_seconds=%.2f\nshown_cpu_s=%.2f\nshown_sway_cpu_s=%.2f\n", t1 - t0, (b - a) / hz, (s1 - s0) / hz
            printf "hidden_seconds=%.2f\nhidden_cpu_s=%.2f\nhidden_sway_cpu_s=%.2f\n", t3 - t2, (d - c) / hz, (s3 - s2) / hz
            printf "hidden_where=%s\n", where }' > "$out/hidden.txt"
}

# The whole --wayland part: the ceiling's turns at each of wl_sizes, and at 1280x720 the
# first frames, the hidden window and the delays; then vorlixss's delays on Xvfb.
wayland_runs() {
  local size name args ghost tag g r i
  for size in "${wl_sizes[@]}"; do
    echo "bench: wayland $size" >&2
    start_sway "$size"
    for name in default rich; do
      args=(--count 12); [ "$name" = rich ] && args=(--count 20 --feather --contour)
      for ghost in 0 1; do
        tag="$size-$name-g$ghost" g=--no-ghosting; [ $ghost = 1 ] && g=--ghosting
        for r in $(seq "$wl_rounds"); do
          run_wayland "$tag-r$r" "$wl_seconds" --root "${args[@]}" $g
          run_wl_ceiling "$tag-r$r" "$([ "$r" = 1 ] && echo "$wl_reps" || echo 0)" "${args[@]}" $g
        done
      done
    done
    if [ "$size" = 1280x720 ]; then
      echo "bench: wayland first frames, hidden window, delay" >&2
      for i in $(seq "$wl_startups"); do
        if [ $((i % 2)) = 1 ]; then run_first_wayland bare "$i"; run_first_wayland program "$i"
        else run_first_wayland program "$i"; run_first_wayland bare "$i"; fi
      done
      run_hidden_window
      for r in $(seq "$wl_delay_rounds"); do
        run_wayland "delay-10000-r$r" "$wl_delay_seconds" --root --count 12
        run_wayland "delay-33333-r$r" "$wl_delay_seconds" --root --count 12 --delay 33333
      done
    fi
    stop_sway
  done
  start_display 1280x720
  for r in $(seq "$wl_delay_rounds"); do
    run_native "delay-10000-r$r" "$wl_delay_seconds" --count 12
    run_native "delay-33333-r$r" "$wl_delay_seconds" --count 12 --delay 33333
  done
  stop_display
}

wayland_report() {
  python3 "$root/scripts/bench.d/wayland-report.py" "$out" "$load_before" "$(load_now)" "$wl_rounds" \
    "$wl_seconds" "$wl_reps" "$wl_startups" "$wl_delay_rounds" "$wl_delay_seconds" "$warmup_swaps" \
    "$(sway --version 2>/dev/null)" "${wl_sizes[@]}"
}

# The plot's lines of vorlixss-wayland and its ceiling (columns 9 and 10), "size settings
# ghosting program ceiling".
wayland_plot_values() {
  local size name ghost
  for size in "${wl_sizes[@]}"; do
    for name in default rich; do
      for ghost in 0 1; do
        echo "$size $name $ghost $(over_rounds "wl-$size-$name-g$ghost" measured_swaps measured_seconds swap_cpu_percent | cut -d' ' -f1)" \
          "$(over_rounds "wlc-$size-$name-g$ghost" ceiling_frames ceiling_seconds ceiling_cpu_percent | cut -d' ' -f1)"
      done
    done
  done
}

# --quality exact and fast of `vorlixss-wayland --root` (default settings) in turns at
# 1280x720, wlq_rounds of wlq_seconds each.
wayland_quality_runs() {
  local r q
  start_sway 1280x720
  for r in $(seq "$wlq_rounds"); do
    for q in $([ $((r % 2)) = 1 ] && echo exact fast || echo fast exact); do
      run_wayland "quality-$q-r$r" "$wlq_seconds" --root --quality "$q"
    done
  done
  stop_sway
}

# Frames per second, CPU % and CPU ms per frame of one quality's rounds, "-" each when none.
wayland_quality_figures() {
  over_rounds "wl-quality-$1" measured_swaps measured_seconds swap_cpu_percent |
    awk '{ ms = $1 != "-" && $1 > 0 ? sprintf("%.2f", $2 * 10 / $1) : "-"; print $1, $2, ms }'
}
