# shellcheck shell=bash
# Frugal drawing: ghosting behind the fast path against the fast path without it and against
# the peer, what each pass of such a frame costs, its picture against the exact path's, and
# vorlixss on battery against on mains. Sourced by scripts/bench after common.sh, linux.sh
# and fast-path.sh.
# shellcheck disable=SC2154  # the run's paths and lengths come from scripts/bench

frugal_sizes=(1280x720 1920x1080)
frugal_runs=("fast:--quality fast" "fast-ghosting:--quality fast --ghosting"
             "exact-ghosting:--quality exact --ghosting")
# Battery and mains: the program as users start it (auto, default settings), at 1280x720.
power_rounds=3 power_seconds=10

# A power-supply folder as the kernel's: a battery and a mains adapter, $2 is "battery"
# (discharging, the adapter offline) or "mains".
power_folder() {
  local dir=$1 on_battery=$2
  mkdir -p "$dir/BAT0" "$dir/AC"
  echo Battery > "$dir/BAT0/type"; echo Mains > "$dir/AC/type"
  if [ "$on_battery" = battery ]; then
    echo Discharging > "$dir/BAT0/status"; echo 0 > "$dir/AC/online"
  else
    echo Charging > "$dir/BAT0/status"; echo 1 > "$dir/AC/online"
  fi
}

# vorlixss --root for power_seconds with the folder $2 bound over /sys/class/power_supply in
# a mount namespace of its own (only root may make one), its frames and CPU as run_native's.
run_powered() {
  local tag=$1 folder=$2 counts="$out/native-$1.counts"
  unshare --mount sh -c 'mount --bind "$0" /sys/class/power_supply && exec "$@"' "$folder" \
    env VORLIX_FRAME_COUNT_FILE="$counts" VORLIX_WARMUP_SWAPS="$warmup_swaps" LD_PRELOAD="$shim" \
    "$native_exe" --root >"$out/native-$tag.log" 2>&1 &
  local pid=$!
  sleep "$(awk -v s="$power_seconds" 'BEGIN { print s + 1.5 }')"
  kill -TERM "$pid"; wait "$pid" 2>/dev/null || true
  cat "$counts" > "$out/native-$tag.txt" 2>/dev/null || true
}

# The rounds: at each size the drawings in turns with the peer, the passes of each fast
# drawing alone (x11_bench's floor), the ghosting picture; then battery and mains in turns.
frugal_bench_runs() {
  local size r entry name
  for size in "${frugal_sizes[@]}"; do
    start_display "$size"
    for entry in "${frugal_runs[@]}"; do
      name=${entry%%:*}
      # shellcheck disable=SC2086  # the options are words
      case $name in fast*) "$x11_bench" "$reps" 0 --root ${entry#*:} > "$out/passes-$size-$name.txt" 2>&1 || true ;; esac
    done
    "$root/build/linux/tests/x11/same_frame" --quality exact --ghosting --size "$size" --ppm "$out/ghost-exact.ppm" >/dev/null
    "$root/build/linux/tests/x11/same_frame" --quality fast --ghosting --size "$size" --ppm "$out/ghost-fast.ppm" >/dev/null
    "$root/build/linux/tests/x11/same_frame" --compare-ppm "$out/ghost-exact.ppm" "$out/ghost-fast.ppm" \
      > "$out/ghost-picture-$size.txt" || true
    for r in $(seq "$fast_rounds"); do
      for entry in "${frugal_runs[@]}"; do
        name=${entry%%:*}
        # shellcheck disable=SC2086
        run_native "frugal-$size-$name-r$r" "$fast_seconds" ${entry#*:}
      done
      run_peer "frugal-$size-r$r"
    done
    stop_display
  done
  [ "$(id -u)" = 0 ] || return 0
  power_folder "$out/supplies-battery" battery
  power_folder "$out/supplies-mains" mains
  start_display 1280x720
  for r in $(seq "$power_rounds"); do
    for supply in battery mains; do run_powered "power-$supply-r$r" "$out/supplies-$supply"; done
  done
  stop_display
}

# fps, CPU % and CPU ms per frame of one drawing over its rounds; "-" each when none.
frugal_figures() {
  local fps cpu
  read -r fps cpu _ _ <<<"$(native_rounds "$1")"
  awk -v fps="$fps" -v cpu="$cpu" "$awk_figures"'
    BEGIN { print fps, cpu, (has(fps) && fps > 0 ? sprintf("%.2f", cpu * 10 / fps) : "-") }'
}

# The frugal section of docs/performance.md.
frugal_report() {
  local size entry name fps cpu ms pms pfps pcpu fast_ms ghost_ms picture share
  echo "### Frugal: ghosting and battery"
  echo
  echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') by \`scripts/bench --frugal\` on $(nproc) cores; load average"
  echo "$load_before before the run and $(load_now) after it (the machine is shared)."
  echo
  echo "| target | measured | verdict |"
  echo "|---|---|---|"
  read -r _ _ fast_ms <<<"$(frugal_figures frugal-1280x720-fast)"
  read -r _ _ ghost_ms <<<"$(frugal_figures frugal-1280x720-fast-ghosting)"
  awk -v f="$fast_ms" -v g="$ghost_ms" "$awk_figures"' BEGIN { r = ratio(g, f)
    printf "| 1. fast with ghosting at most 2.5 times fast without, CPU per frame, 1280x720 | %s ms against %s (%s) | %s |\n",
      show(g, "%.2f"), show(f, "%.2f"), show(r, "%.2f times"), !has(r) ? "no data" : r <= 2.5 ? "met" : "**missed**" }'
  picture=$(cat "$out/ghost-picture-1280x720.txt" 2>/dev/null)
  share=$(sed -n 's/.*(\(.*\) %).*/\1/p' <<<"$picture")
  awk -v s="${share:--}" -v text="${picture#same_frame: }" "$awk_figures"' BEGIN {
    printf "| 2. its picture against the exact path with ghosting: at most 1 %% of pixels off by more than 32/255, 1280x720 | %s | %s |\n",
      has(s) ? text : "no data", !has(s) ? "no data" : s <= 1 ? "met" : "**missed**" }'
  echo
  echo "CPU per drawn frame: \`vorlixss --root\` with default settings and the options named, on Xvfb, its swaps"
  echo "counted by the shim after $warmup_swaps, $fast_rounds rounds of $fast_seconds s taking turns with XScreenSaver's CPU"
  echo "\"metaballs\". The passes: \`x11_bench $reps 0 --root\` with the same options, each pass of the real"
  echo "frame alone between two glFinish calls, medians of $reps (the metaball pass draws into the ring with"
  echo "ghosting; the blend is the ring's four frames into the window). The ghosting picture: one state"
  echo "(seed 20261207, 300 fixed ticks, the last 40 drawn) by \`same_frame\`, fast against exact."
  echo
  echo "| size | drawing | fps | CPU % of a core | CPU ms per frame | against the peer | metaball pass ms | blend pass ms |"
  echo "|---|---|---|---|---|---|---|---|"
  for size in "${frugal_sizes[@]}"; do
    read -r pms pfps pcpu <<<"$(peer_rounds "frugal-$size")"
    for entry in "${frugal_runs[@]}"; do
      name=${entry%%:*}
      read -r fps cpu ms <<<"$(frugal_figures "frugal-$size-$name")"
      awk -v size="$size" -v name="$name" -v fps="$fps" -v cpu="$cpu" -v ms="$ms" -v peer="$pms" \
          -v meta="$(kv "$out/passes-$size-$name.txt" metaball_pass_ms)" \
          -v blend="$(kv "$out/passes-$size-$name.txt" blend_pass_ms)" "$awk_figures"'
        BEGIN { printf "| %s | %s | %s | %s | %s | %s | %s | %s |\n", size, name, show(fps, "%.1f"),
                  show(cpu, "%.0f"), show(ms, "%.2f"), has(ms) && has(peer) ? sprintf("%.2fx", ms / peer) : "no data",
                  has(meta) ? meta : "", has(blend) ? blend : "" }'
    done
    echo "| $size | the peer | $pfps | $pcpu | $pms | 1.00x |  |  |"
  done
  echo
  if [ "$(id -u)" != 0 ]; then
    echo "Battery against mains was not measured: a power-supply folder of the bench's own is bound over"
    echo "/sys/class/power_supply in a mount namespace, which only root may make."
    return 0
  fi
  echo "On battery against on mains: \`vorlixss --root\` as users start it (auto, default settings) at 1280x720,"
  echo "with a power-supply folder of the bench's own bound over /sys/class/power_supply in a mount namespace of"
  echo "its own: a battery discharging and the adapter offline, or the adapter online. $power_rounds rounds of"
  echo "$power_seconds s in turns; CPU is the process's own, Mesa's threads included."
  echo
  echo "| supply | fps | CPU % of a core | CPU s per 10 s | CPU ms per frame |"
  echo "|---|---|---|---|---|"
  for supply in battery mains; do
    read -r fps cpu ms <<<"$(frugal_figures "power-$supply")"
    awk -v s="$supply" -v fps="$fps" -v cpu="$cpu" -v ms="$ms" "$awk_figures"'
      BEGIN { printf "| %s | %s | %s | %s | %s |\n", s, show(fps, "%.1f"), show(cpu, "%.0f"),
                has(cpu) ? sprintf("%.2f", cpu / 10) : "no data", show(ms, "%.2f") }'
  done
}
