# shellcheck shell=bash
# The Windows build under Wine: saver_bench.exe's passes, real runs, start-ups and preview on
# the private Xvfb displays, and the native step benchmark. Sourced by scripts/bench.
# shellcheck disable=SC2154  # the run's paths and lengths come from scripts/bench

# A Wine server on the current display (after the native runs, which it would disturb).
start_wine() {
  tests/support/wine-prefix "$WINEPREFIX" win64
  wineserver -p </dev/null >/dev/null 2>&1
}
bench() { tests/support/wine-run "$state" "$bench_exe" "$@"; }

# The passes and a real run of each setting at SIZE, on its display.
wine_size_runs() {
  local size=$1 w=${1%x*} h=${1#*x} cfg name settings ghost tag
  start_wine
  for cfg in default:12,0,0 rich:20,1,1; do
    name=${cfg%%:*} settings=${cfg#*:}
    for ghost in 0 1; do
      tag="$size-$name-g$ghost"
      bench passes "$w" "$h" "$settings,$ghost" "$reps" > "$out/passes-$tag.txt" || true
      bench run "$run_seconds" "$settings,$ghost" > "$out/run-$tag.txt" || true
    done
  done
}

# Start-ups timed from the shell's launch of wine, and the preview's cost.
wine_startup_runs() {
  local i launched
  for i in $(seq "$startups"); do
    launched=$(date +%s%3N)
    bench run 0.1 12,0,0,0 > "$out/startup-$i.txt" || true
    echo "launched_unix_ms=$launched" >> "$out/startup-$i.txt"
  done
  bench preview "$run_seconds" 12,0,0,0 > "$out/preview.txt" || true
}

step_bench_runs() {
  build/native/tests/bench/step_bench --benchmark_format=csv --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true 2>/dev/null > "$out/step_bench.csv" || true
}

# The report's head: the machine, Wine and the GL the saver drew with.
wine_report_head() {
  local passes=("$out"/passes-*.txt) renderer gl_version
  renderer=$(kv "${passes[0]}" renderer)
  gl_version=$(kv "${passes[0]}" gl_version)
  echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') by \`scripts/bench\` on $(nproc) cores"
  echo "($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo)),"
  echo "Wine $(wine --version 2>/dev/null | sed 's/wine-//'), renderer \"$renderer\", GL $gl_version;"
  echo "load average $load_before before the run and $(load_now) after it (the machine is shared)."
}

# The report's table of each tick's parts under Wine.
wine_tick_report() {
  local size name ghost p r
  echo "### Per tick"
  echo
  echo "Settings: *default* is 12 balls; *rich* is 20 balls with feather and contour. Passes are"
  echo "bounded by glFinish, medians of $reps. The frame rate is the real full-screen saver over"
  echo "${run_seconds} s; its target is 95 % of min(100, 1000 / floor)."
  echo
  echo "| size | ghosting | settings | fps (target) | metaball pass ms | blend pass ms | GL floor ms | tick ms | steps ms (per tick) | simulation ms | upload ms | draws ms | swap ms | host overhead ms (% of floor) | CPU % of a core |"
  echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
  for size in "${sizes[@]}"; do
    for name in default rich; do
      for ghost in 0 1; do
        p="$out/passes-$size-$name-g$ghost.txt" r="$out/run-$size-$name-g$ghost.txt"
        awk -v size="$size" -v ghost="$([ $ghost = 1 ] && echo on || echo off)" -v name="$name" \
            -v mb="$(kv "$p" metaball_pass_ms)" -v bl="$(kv "$p" blend_pass_ms)" \
            -v tick="$(kv "$p" tick_ms)" -v steps="$(kv "$p" split_steps_ms)" \
            -v spt="$(kv "$p" split_steps_per_tick)" -v sim="$(kv "$p" split_simulation_ms)" \
            -v draws="$(kv "$p" split_draws_ms)" -v swap="$(kv "$p" split_swap_ms)" \
            -v fps="$(kv "$r" fps)" -v cpu="$(kv "$r" cpu_percent)" "$awk_figures"'
          BEGIN {
            floor = has(mb) && has(bl) ? mb + bl : "-"
            cap = ratio(1000, floor); if (has(cap) && cap > 100) cap = 100
            over = minus(tick, floor)
            printf "| %s | %s | %s | %s (%s) | %s | %s | %s | %s | %s (%s) | %s | %s | %s | %s | %s (%s %%) | %s |\n",
              size, ghost, name, show(fps, "%.1f"), show(has(cap) ? 0.95 * cap : "-", "%.1f"),
              show(mb, "%.2f"), show(bl, "%.2f"), show(floor, "%.2f"), show(tick, "%.2f"),
              show(steps, "%.3f"), show(spt, "%.2f"), show(sim, "%.3f"), show(minus(steps, sim), "%.3f"),
              show(draws, "%.3f"), show(swap, "%.2f"), show(over, "%.2f"),
              show(has(over) ? over / floor * 100 : "-", "%.1f"), show(cpu, "%.0f")
          }'
      done
    done
  done
}

# The report's table of start-up, preview, the simulation's cost and the ticks' allocations.
wine_startup_report() {
  local su_host su_create su_launch b v p counted allocs
  echo "### Start-up, preview, simulation, allocation"
  echo
  su_host=$(for f in "$out"/startup-*.txt; do kv "$f" startup_ms_from_hostmain; done | median)
  su_create=$(for f in "$out"/startup-*.txt; do kv "$f" startup_ms_from_creation; done | median)
  su_launch=$(for f in "$out"/startup-*.txt; do
    awk -v a="$(kv "$f" first_swap_unix_ms)" -v b="$(kv "$f" launched_unix_ms)" "$awk_figures"'
      BEGIN { if (has(a) && has(b)) printf "%.1f\n", a - b }'
  done | median)
  echo "| measure | value |"
  echo "|---|---|"
  echo "| start-up, process entry (HostMain) to first buffer swap, 1280x720, median of $startups | $su_host ms |"
  echo "| start-up, Windows process creation to first buffer swap | $su_create ms |"
  echo "| start-up, \`wine\` launched by the shell to first buffer swap (Wine's own start included) | $su_launch ms |"
  echo "| preview 152x112, CPU over ${run_seconds} s | $(shown "$out/preview.txt" cpu_percent) % of a core at $(shown "$out/preview.txt" fps) fps |"
  for b in moveBallsOneStep/1280/720 moveBallsOneStep/152/112 fiftyStepsOfOneTick; do
    v=$(grep "^\"$b" "$out/step_bench.csv" | grep median | awk -F, '{ printf "%.0f %s", $3, $5 }' | tr -d '"' || true)
    echo "| native Google Benchmark \`$b\` (median of 5) | ${v:-no data} |"
  done
  p="$out/passes-${sizes[0]}-default-g0.txt"
  echo "| \`stepBalls\` under Wine (physics and upload), per step | $(shown "$p" stepballs_us) µs |"
  echo "| \`moveBalls\` under Wine (physics only), per step | $(shown "$p" moveballs_us) µs |"
  echo "| a tick's 50 steps under Wine (\`stepBalls\` through the frame clock) | $(shown "$p" fifty_steps_ms) ms |"
  counted=$(for f in "$out"/run-*.txt; do echo "$(kv "$f" allocations_in_ticks) $(kv "$f" ticks_checked)"; done)
  allocs=$(awk "$awk_figures"'
    has($1) { n++; if ($1 > most) most = $1; ticks += $2 } !has($1) { missing++ }
    END { printf "%s, over %d ticks%s", n ? most + 0 " at most per run" : "no data", ticks,
                 missing ? sprintf(" (no data from %d runs)", missing) : "" }' <<<"$counted")
  echo "| heap allocations during ticks (malloc, calloc, realloc of our module, all runs) | $allocs |"
}
