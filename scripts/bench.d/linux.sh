# shellcheck shell=bash
# The Linux program and its peer on the private Xvfb displays: vorlixss against its
# draw-and-swap ceiling in turns, the first frames of vorlixss (exact and fast) and of the
# bare GLX programs, and XScreenSaver's "metaballs". Sourced by scripts/bench.
# shellcheck disable=SC2154  # the run's paths and lengths come from scripts/bench

# Ceiling and program at SIZE (on its display) with both settings, ghosting off and on,
# taking turns in short rounds, so that what else runs on the shared machine weighs on both
# alike; the floor is timed in the first round only. Both draw the exact path, as the Windows
# build does; the fast path has its own part.
native_size_runs() {
  local size=$1 name ghost g tag r args
  for name in default rich; do
    args=(--quality exact --count 12)
    [ "$name" = rich ] && args=(--quality exact --count 20 --feather --contour)
    for ghost in 0 1; do
      tag="$size-$name-g$ghost" g=--no-ghosting; [ $ghost = 1 ] && g=--ghosting
      for r in $(seq "$rounds"); do
        run_ceiling "$tag-r$r" "$([ "$r" = 1 ] && echo "$reps" || echo 0)" "$round_seconds" "${args[@]}" $g
        run_native "$tag-r$r" "$round_seconds" "${args[@]}" $g
      done
    done
  done
}

# The bare GLX program's first frame, with the same shim and clock as vorlixss's; NAME is
# bare, or glsl for the program's --glsl form (its picture drawn through a trivial shader).
run_bare() {
  local name=$1 tag=$2
  (
    echo "launched_unix_s=$EPOCHREALTIME" > "$out/$name-$tag.txt"
    export VORLIX_FRAME_COUNT_FILE="$out/$name-$tag.counts" LD_PRELOAD="$shim"
    if [ "$name" = glsl ]; then exec "$bare_glx" --glsl; else exec "$bare_glx"; fi
  ) >"$out/$name-$tag.log" 2>&1 || true
  cat "$out/$name-$tag.counts" >> "$out/$name-$tag.txt" 2>/dev/null || true
}

# First frames of vorlixss (as it starts by default, and with --quality fast) and of both
# bare forms in rounds, each round in another order than the last, so that a slow spell of
# the shared machine weighs on all alike.
run_first_frames() {
  startup_size=$1
  local i k
  local -a turn=("run_bare bare" "run_bare glsl" "run_native" "run_native fast")
  for i in $(seq "$startups"); do
    for k in 0 1 2 3; do
      case ${turn[(i + k) % 4]} in
        "run_bare bare") run_bare bare "startup-$i" ;;
        "run_bare glsl") run_bare glsl "startup-$i" ;;
        "run_native") run_native "startup-$i" 0 --count 12 ;;
        "run_native fast") run_native "fast-startup-$i" 0 --count 12 --quality fast ;;
      esac
    done
  done
}

# Milliseconds from exec to the first frame (wall clock), and CPU milliseconds until then,
# of one started program's result file; nothing when it drew no frame.
first_frame_ms() {
  awk -v a="$(kv "$1" launched_unix_s)" -v b="$(kv "$1" first_swap_unix_s)" \
      -v cpu="$(kv "$1" first_swap_cpu_s)" \
    'BEGIN { if (a != "-" && b != "-") printf "%.1f %.1f\n", (b - a) * 1000, cpu * 1000 }'
}

# The first frames' rounds, a line each: wall ms of vorlixss, bare, glsl, fast, then CPU ms
# of the same four ("-" where one drew nothing).
first_frame_rounds() {
  local i vw bw gw fw vc bc gc fc
  for i in $(seq "$startups"); do
    read -r vw vc <<<"$(first_frame_ms "$out/native-startup-$i.txt")"
    read -r bw bc <<<"$(first_frame_ms "$out/bare-startup-$i.txt")"
    read -r gw gc <<<"$(first_frame_ms "$out/glsl-startup-$i.txt")"
    read -r fw fc <<<"$(first_frame_ms "$out/native-fast-startup-$i.txt")"
    echo "${vw:--} ${bw:--} ${gw:--} ${fw:--} ${vc:--} ${bc:--} ${gc:--} ${fc:--}"
  done
}
# Median, lowest and highest of column K of the rounds; of the ratio of columns A and B.
rounds_column() { awk -v k="$2" "$awk_figures"' { if (has($k)) print $k }' <<<"$1" | summary; }
rounds_ratio() { awk -v a="$2" -v b="$3" "$awk_figures"' { r = ratio($a, $b); if (has(r)) print r }' <<<"$1" | summary; }

# The report's first-frame table: the four programs, and vorlixss's ratios to the bare
# ones round by round.
first_frame_report() {
  local firsts; firsts=$(first_frame_rounds)
  echo "First frame at ${startup_size}: \`vorlixss --root --count 12\` against \`bare_glx\`, a GLX program that"
  echo "only makes a context on the root window, clears and swaps, and against \`bare_glx --glsl\`, which"
  echo "also draws the whole window once through a trivial GLSL program (what software GL charges"
  echo "any program that draws with a shader); beside them \`vorlixss --root --count 12 --quality fast\`;"
  echo "started in $startups rounds taking turns."
  echo "Each is timed from the shell's clock just before its exec to the end of its first GLX swap,"
  echo "once the X server has processed it (the shim makes one round trip after that swap); CPU is"
  echo "the process's own until then (Mesa's threads included). Ratios are taken round by round."
  echo "Medians, with the lowest and highest in brackets. Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc)"
  echo "cores, load average $load_before before and $(load_now) after (the machine is shared)."
  echo
  echo "| measure | vorlixss | bare GLX program | ratio (target ≤ 1.25) | met | bare GLSL program | ratio to it | vorlixss --quality fast | its ratio to the GLSL program (target ≤ 1.3) | met |"
  echo "|---|---|---|---|---|---|---|---|---|---|"
  {
    echo "wall $(rounds_column "$firsts" 1) $(rounds_column "$firsts" 2) $(rounds_ratio "$firsts" 1 2)" \
      "$(rounds_column "$firsts" 3) $(rounds_ratio "$firsts" 1 3) $(rounds_column "$firsts" 4) $(rounds_ratio "$firsts" 4 3)"
    echo "cpu $(rounds_column "$firsts" 5) $(rounds_column "$firsts" 6) $(rounds_ratio "$firsts" 5 6)" \
      "$(rounds_column "$firsts" 7) $(rounds_ratio "$firsts" 5 7) $(rounds_column "$firsts" 8) $(rounds_ratio "$firsts" 8 7)"
  } | awk "$awk_figures"'
    { wall = $1 == "wall"
      printf "| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n",
        wall ? "first frame ms" : "CPU ms until it",
        range($2, $3, $4, "%.1f"), range($5, $6, $7, "%.1f"), range($8, $9, $10, "%.2f"),
        !wall ? "" : !has($8) ? "no data" : $8 <= 1.25 ? "yes" : "**no**",
        range($11, $12, $13, "%.1f"), range($14, $15, $16, "%.2f"),
        range($17, $18, $19, "%.1f"), range($20, $21, $22, "%.2f"),
        !wall ? "" : !has($20) ? "no data" : $20 <= 1.3 ? "yes" : "**no**" }
    function range(m, lo, hi, f) { return has(m) ? sprintf(f " (" f " to " f ")", m, lo, hi) : "no data" }'
  local median lowest highest
  read -r median lowest highest <<<"$(rounds_ratio "$firsts" 3 2)"
  echo
  echo "The bare GLSL program alone takes $median times the bare GLX program's first frame ($lowest to $highest)."
}

# The report's table of vorlixss against its ceiling, with the Windows build's rate beside.
native_report() {
  local size name ghost t c fps cpu lo hi ceiling ccpu clo chi
  echo "### The Linux program vorlixss, natively on the same displays"
  echo
  echo "\`vorlixss --root\` with the same settings, its GLX swaps counted by the preloaded shim after its"
  echo "first $warmup_swaps swaps; CPU is the process's own (Mesa's threads included) over the same span. The"
  echo "ceiling is \`x11_bench\`: the real tick's passes with the clock held still (no simulation step)"
  echo "and the GLX swap, back to back on the same root window. The two take turns, $rounds rounds of"
  echo "${round_seconds} s each (the program starts afresh each round), and each figure is frames over seconds of"
  echo "all its rounds. Target: 97 % of min(100, ceiling). The floor is the two passes bounded by"
  echo "glFinish, medians of $reps."
  echo
  echo "| size | ghosting | settings | fps (target) | met | fps of the rounds | ceiling fps (of the rounds) | metaball pass ms | blend pass ms | GL floor ms | CPU % of a core | ceiling CPU % | Windows build under Wine fps |"
  echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|"
  for size in "${sizes[@]}"; do
    for name in default rich; do
      for ghost in 0 1; do
        t="$size-$name-g$ghost" c="$out/ceiling-$size-$name-g$ghost-r1.txt"
        read -r fps cpu lo hi <<<"$(native_rounds "$t")"
        read -r ceiling ccpu clo chi <<<"$(ceiling_rounds "$t")"
        awk -v size="$size" -v ghost="$([ $ghost = 1 ] && echo on || echo off)" -v name="$name" \
            -v mb="$(kv "$c" metaball_pass_ms)" -v bl="$(kv "$c" blend_pass_ms)" \
            -v fps="$fps" -v cpu="$cpu" -v lo="$lo" -v hi="$hi" \
            -v ceiling="$ceiling" -v ccpu="$ccpu" -v clo="$clo" -v chi="$chi" \
            -v wine="$(kv "$out/run-$t.txt" fps)" "$awk_figures"'
          BEGIN {
            # A ceiling of no frames is a failed measurement, not a target of zero.
            target = has(ceiling) && ceiling > 0 ? 0.97 * (ceiling < 100 ? ceiling : 100) : "-"
            met = !has(fps) || !has(target) ? "no data" : fps >= target ? "yes" : "**no**"
            printf "| %s | %s | %s | %s (%s) | %s | %s to %s | %s (%s to %s) | %s | %s | %s | %s | %s | %s |\n",
              size, ghost, name, show(fps, "%.1f"), show(target, "%.1f"), met, show(lo, "%.1f"),
              show(hi, "%.1f"), show(ceiling, "%.1f"), show(clo, "%.1f"), show(chi, "%.1f"),
              show(mb, "%.2f"), show(bl, "%.2f"), show(has(mb) && has(bl) ? mb + bl : "-", "%.2f"),
              show(cpu, "%.0f"), show(ccpu, "%.0f"), show(wine, "%.1f")
          }'
      done
    done
  done
}

# The report's table of the peer at each size.
peer_report() {
  local size
  echo "### The peer: XScreenSaver \"metaballs\" (CPU), same displays"
  echo
  echo "| size | fps | CPU % of a core |"
  echo "|---|---|---|"
  for size in "${sizes[@]}"; do
    echo "| $size | $(shown "$out/peer-$size.txt" fps) | $(shown "$out/peer-$size.txt" cpu_percent) |"
  done
}
