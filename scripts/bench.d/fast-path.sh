# shellcheck shell=bash
# The fast drawing path (--quality fast) against the exact one: its picture (path_pictures),
# its CPU per frame beside the peer's and its frame rate against its own draw-and-swap
# ceiling on Xvfb, and, from the other parts, its first frame, vorlixss-wayland's CPU per
# frame and the page's. Sourced by scripts/bench after linux.sh, wayland.sh and web.sh.
# shellcheck disable=SC2154  # the run's paths and lengths come from scripts/bench

fast_sizes=(1280x720 1920x1080)
# name:options of each drawing; those named fast* take turns with their ceiling as well.
fast_runs=("exact:--quality exact" "fast:--quality fast" "fast-rich:--quality fast --count 20 --feather --contour"
           "fast-ghosting:--quality fast --ghosting" "auto:")

# The picture table, then at each size fast_rounds rounds of every drawing, the fast ones
# each followed by its ceiling, and the peer.
fast_path_runs() {
  local size r entry name
  start_display 1920x1080
  tests/bench/path_pictures build/linux/tests/x11/same_frame 640x480 1280x720 1920x1080 \
    > "$out/path-pictures.md"
  stop_display
  for size in "${fast_sizes[@]}"; do
    start_display "$size"
    for r in $(seq "$fast_rounds"); do
      for entry in "${fast_runs[@]}"; do
        name=${entry%%:*}
        # shellcheck disable=SC2086  # the options are words
        run_native "fast-$size-$name-r$r" "$fast_seconds" ${entry#*:}
        # shellcheck disable=SC2086
        case $name in fast*) run_ceiling "fast-$size-$name-r$r" 0 "$fast_seconds" ${entry#*:} ;; esac
      done
      run_peer "$size-r$r"
    done
    stop_display
  done
}

# The peer's CPU ms per frame, fps and CPU % over its rounds at SIZE; "-" each when none.
peer_rounds() {
  local f
  for f in "$out"/peer-"$1"-r*.txt; do echo "$(kv "$f" fps) $(kv "$f" cpu_percent)"; done |
    awk '$1 > 0 { f += $1; c += $2; n++ } END { if (n) printf "%.2f %.1f %.1f\n", c / f * 10, f / n, c / n; else print "- - -" }'
}
# fps, CPU %, CPU ms per frame, ceiling fps, lowest and highest round's fps of one drawing.
fast_figures() {
  local fps cpu lo hi ceiling
  read -r fps cpu lo hi <<<"$(native_rounds "fast-$1")"
  read -r ceiling _ _ _ <<<"$(ceiling_rounds "fast-$1")"
  awk -v fps="$fps" -v cpu="$cpu" -v rest="$ceiling $lo $hi" "$awk_figures"'
    BEGIN { ms = has(fps) && fps > 0 ? sprintf("%.2f", cpu * 10 / fps) : "-"
            print fps, cpu, ms, rest }'
}

# The plot's lines of the fast path: "size settings ghosting" then fps of fast and its
# ceiling, CPU ms per frame of fast, of exact and of the peer (columns 13 to 17).
fast_plot_values() {
  local size name ghost drawing peer_ms fps ms ceiling exact_ms
  for size in "${sizes[@]}"; do
    read -r peer_ms _ _ <<<"$(peer_rounds "$size")"
    read -r _ _ exact_ms _ _ _ <<<"$(fast_figures "$size-exact")"
    for name in default rich; do
      for ghost in 0 1; do
        case $name$ghost in default0) drawing=fast ;; default1) drawing=fast-ghosting ;;
                            rich0) drawing=fast-rich ;; *) drawing="" ;; esac
        fps=- ms=- ceiling=-
        [ -n "$drawing" ] && read -r fps _ ms ceiling _ _ <<<"$(fast_figures "$size-$drawing")"
        if [ "$name$ghost" = default0 ]; then echo "$size $name $ghost $fps $ceiling $ms $exact_ms $peer_ms"
        else echo "$size $name $ghost $fps $ceiling $ms - -"; fi
      done
    done
  done
}

# The fast-path section of docs/performance.md.
fast_path_report() {
  local size entry name fps cpu ms ceiling lo hi pms pfps pcpu firsts
  echo "### The fast drawing path"
  echo
  echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') by \`scripts/bench $mode\` on $(nproc) cores; load average"
  echo "$load_before before the run and $(load_now) after it (the machine is shared)."
  echo
  echo "| target | measured | verdict |"
  echo "|---|---|---|"
  fast_path_targets
  echo
  echo "The picture: one state (seed 20261207, 300 fixed ticks) drawn both ways by \`same_frame\`; the"
  echo "bound is at most 1 % of the pixels off by more than 32/255 in any channel."
  echo
  cat "$out/path-pictures.md"
  echo
  echo "CPU per drawn frame and frame rate: \`vorlixss --root\` (default settings unless named) on Xvfb, its"
  echo "swaps counted by the shim after $warmup_swaps, $fast_rounds rounds of $fast_seconds s taking turns with XScreenSaver's CPU"
  echo "\"metaballs\" (its image transfers counted), and each fast drawing with its draw-and-swap ceiling"
  echo "(\`x11_bench 0 $fast_seconds --root\` with the same options: the fast path's passes with the clock held"
  echo "still and the swap, back to back). *fast-rich* is 20 balls with feather and contours,"
  echo "*fast-ghosting* adds ghosting, *auto* is the default. Targets: fast at most the peer's CPU per"
  echo "frame; fast at 97 % of min(100, its ceiling) or better."
  echo
  echo "| size | drawing | fps (target) | fps of the rounds | ceiling fps | met | CPU % of a core | CPU ms per frame | against the peer |"
  echo "|---|---|---|---|---|---|---|---|---|"
  for size in "${fast_sizes[@]}"; do
    read -r pms pfps pcpu <<<"$(peer_rounds "$size")"
    for entry in "${fast_runs[@]}"; do
      name=${entry%%:*}
      read -r fps cpu ms ceiling lo hi <<<"$(fast_figures "$size-$name")"
      awk -v size="$size" -v name="$name" -v fps="$fps" -v cpu="$cpu" -v ms="$ms" -v lo="$lo" -v hi="$hi" \
          -v ceiling="$ceiling" -v peer="$pms" "$awk_figures"'
        BEGIN { target = has(ceiling) && ceiling > 0 ? 0.97 * (ceiling < 100 ? ceiling : 100) : "-"
                met = !has(target) ? "" : !has(fps) ? "no data" : fps >= target ? "yes" : "**no**"
                printf "| %s | %s | %s%s | %s | %s | %s | %s | %s | %s |\n", size, name, show(fps, "%.1f"),
                  has(target) ? sprintf(" (%.1f)", target) : "", has(lo) ? sprintf("%.1f to %.1f", lo, hi) : "no data",
                  has(ceiling) ? sprintf("%.1f", ceiling) : "", met, show(cpu, "%.0f"), show(ms, "%.2f"),
                  has(ms) && has(peer) ? sprintf("%.2fx", ms / peer) : "no data" }'
    done
    echo "| $size | the peer | $pfps |  |  |  | $pcpu | $pms | 1.00x |"
  done
  echo
  echo "The page at 1280x720, default settings, \`?quality=exact\` and \`?quality=fast\` taking turns in the same tab"
  echo "($wq_rounds rounds of $wq_seconds s; \`tests/bench/web_bench.mjs\` with VORLIX_BENCH_QUALITIES), CPU of all the"
  echo "browser's processes (with Firefox and WebKit, their Xvfb too) per frame the page drew. Target: fast at most"
  echo "a quarter of exact's."
  echo
  echo "| engine | exact fps | exact CPU ms per frame | fast fps | fast CPU ms per frame | fast / exact | verdict |"
  echo "|---|---|---|---|---|---|---|"
  web_quality_rows
  echo
  echo "\`vorlixss-wayland --root\` in a private headless sway (one 1280x720 output), default settings,"
  echo "\`--quality exact\` and \`--quality fast\` taking turns, $wlq_rounds rounds of $wlq_seconds s; its cover's swaps counted"
  echo "by the shim after $warmup_swaps, CPU its own; sway's beside it."
  echo
  echo "| drawing | fps | CPU % of a core | CPU ms per frame | sway CPU % |"
  echo "|---|---|---|---|---|"
  for name in exact fast; do
    read -r fps cpu ms <<<"$(wayland_quality_figures "$name")"
    echo "| $name | $fps | $cpu | $ms | $(for f in "$out"/wl-quality-"$name"-r*.txt; do kv "$f" sway_cpu_percent; done | median) |"
  done
  firsts=$(first_frame_rounds)
  echo
  echo "The first frame at 1280x720 of \`vorlixss --root --count 12 --quality fast\`, taken in turns with the"
  echo "programs of the first-frame table (\"First frame of the Linux program\") in the same run, $startups rounds;"
  echo "medians, with the lowest and highest in brackets, ratios round by round:"
  echo
  echo "| measure | vorlixss --quality fast | bare GLSL program | ratio (target ≤ 1.3) |"
  echo "|---|---|---|---|"
  {
    echo "wall $(rounds_column "$firsts" 4) $(rounds_column "$firsts" 3) $(rounds_ratio "$firsts" 4 3)"
    echo "cpu $(rounds_column "$firsts" 8) $(rounds_column "$firsts" 7) $(rounds_ratio "$firsts" 8 7)"
  } | awk "$awk_figures"'
    { printf "| %s | %s | %s | %s |\n", $1 == "wall" ? "first frame ms" : "CPU ms until it",
        range($2, $3, $4, "%.1f"), range($5, $6, $7, "%.1f"), range($8, $9, $10, "%.2f") }
    function range(m, lo, hi, f) { return has(m) ? sprintf(f " (" f " to " f ")", m, lo, hi) : "no data" }'
}

# The targets' lines: each with its figures and met or missed.
fast_path_targets() {
  local size fps ceiling ms pms worst rows r
  # 1: CPU per frame against the peer's.
  rows=""
  for size in "${fast_sizes[@]}"; do
    read -r pms _ _ <<<"$(peer_rounds "$size")"
    read -r _ _ ms _ _ _ <<<"$(fast_figures "$size-fast")"
    rows+="$size $ms $pms"$'\n'
  done
  awk "$awk_figures"' NF { r = ratio($2, $3); text = text sep $1 ": " show($2, "%.2f") " ms against the peer'"'"'s " show($3, "%.2f") " (" show(r, "%.2fx") ")"; sep = "; "
                           if (!has(r)) bad = "no data"; else if (r > 1 && bad == "") bad = "**missed**" }
    END { printf "| 1. fast at most the peer'"'"'s CPU per frame, default settings | %s | %s |\n", text, bad == "" ? "met" : bad }' <<<"$rows"
  # 2: frame rate against min(100, its ceiling).
  rows=""
  for size in "${fast_sizes[@]}"; do
    read -r fps _ _ ceiling _ _ <<<"$(fast_figures "$size-fast")"
    rows+="$size $fps $ceiling"$'\n'
  done
  awk "$awk_figures"' NF { t = has($3) && $3 > 0 ? 0.97 * ($3 < 100 ? $3 : 100) : "-"
                           text = text sep $1 ": " show($2, "%.1f") " fps against " show(t, "%.1f") " (ceiling " show($3, "%.1f") ")"; sep = "; "
                           if (!has(t) || !has($2)) bad = "no data"; else if ($2 < t && bad == "") bad = "**missed**" }
    END { printf "| 2. fast at 97 %% of min(100, its ceiling) or better, default settings (rich and ghosting below) | %s | %s |\n", text, bad == "" ? "met" : bad }' <<<"$rows"
  # 3: the picture, the worst case of the table.
  worst=$(awk -F'|' '$4 ~ /%/ { v = $4 + 0; if (v > w) w = v; n++ } END { if (n) printf "%.3f", w; else print "-" }' "$out/path-pictures.md")
  awk -v w="$worst" "$awk_figures"' BEGIN { printf "| 3. fast picture: at most 1 %% of pixels off by more than 32/255 | worst case %s | %s |\n",
    show(w, "%.3f %%"), !has(w) ? "no data" : w <= 1 ? "met" : "**missed**" }'
  # 4: the page, one engine each.
  web_quality_figures | awk "$awk_figures"'
    { r = ratio($5, $3); text = text sep $1 ": " show($5, "%.1f") " ms against " show($3, "%.1f") " (" show(r, "%.2f") ")"
      sep = "; "; if (!has(r)) bad = "no data"; else if (r > 0.25 && bad == "") bad = "**missed**" }
    END { printf "| 4. the page'"'"'s CPU per frame with quality=fast at most a quarter of exact'"'"'s, 1280x720 | %s | %s |\n",
            NR ? text : "no data", NR == 0 ? "no data" : bad == "" ? "met" : bad }'
  # 5: first frame against the GLSL yardstick.
  r=$(rounds_ratio "$(first_frame_rounds)" 4 3)
  awk -v r="$r" "$awk_figures"' BEGIN { split(r, m, " ")
    printf "| 5. `vorlixss --quality fast` first frame within 1.3 times `bare_glx --glsl`'"'"'s, 1280x720 | %s | %s |\n",
      has(m[1]) ? sprintf("%.2f times by the wall clock (rounds %.2f to %.2f)", m[1], m[2], m[3]) : "no data",
      !has(m[1]) ? "no data" : m[1] <= 1.3 ? "met" : "**missed**" }'
  # 6: vorlixss-wayland, fast against exact; the figures only.
  read -r _ _ ms <<<"$(wayland_quality_figures fast)"
  read -r _ _ pms <<<"$(wayland_quality_figures exact)"
  awk -v f="$ms" -v e="$pms" "$awk_figures"' BEGIN {
    printf "| 6. `vorlixss-wayland --quality fast` CPU per frame against `--quality exact`, headless sway, 1280x720 | %s ms against %s (%s) | measured |\n",
      show(f, "%.2f"), show(e, "%.2f"), show(ratio(f, e), "%.2f times") }'
}
