# shellcheck shell=bash
# The web page in the tests' Chromium, Firefox and WebKit (tests/bench/web_bench.mjs), one
# engine after another: against its bare ceiling, with vorlixss natively at the same sizes
# beside it; and its CPU per frame with quality=fast against exact. Sourced by scripts/bench.
# shellcheck disable=SC2154  # the run's paths and lengths come from scripts/bench

web_engines=(chromium firefox webkit)

# The page in build/web, unless VORLIX_WEB_DIR names a page built elsewhere (the browser
# tests take it too); false, with the reason on standard error, when it cannot be built.
build_web_page() {
  [ -n "${VORLIX_WEB_DIR:-}" ] && return 0
  { cmake --preset web && cmake --build --preset web; } >"$out/web-build.log" 2>&1 && return 0
  echo "bench: the web page could not be built (preset web); see $out/web-build.log" >&2
  return 1
}

# web_bench.mjs in ENGINE with its arguments after the engine.
# NOTE: the headless shell needs no display, and one that is gone (the last Xvfb's) makes
# its GPU process fail, leaving the page without WebGL; Firefox and WebKit start their own.
# Nor a Wayland one: Firefox then took a stopped sway's socket and the page hung.
web_bench() { VORLIX_ENGINE=$1 env -u DISPLAY -u WAYLAND_DISPLAY node tests/bench/web_bench.mjs "${@:2}"; }

# The whole --web part: vorlixss at each size, then each engine; web-report.md.
web_runs() {
  local size engine
  for size in "${web_sizes[@]}"; do
    start_display "$size"
    run_native "web-$size-default-r1" 3 --count 12 --no-ghosting
    run_native "web-$size-ghosting-r1" 3 --count 12 --ghosting
    run_native "web-$size-rich-r1" 3 --count 20 --feather --contour --no-ghosting
    stop_display
  done
  : > "$out/web-report.md"
  for engine in "${web_engines[@]}"; do
    web_load_before=$(load_now)
    web_bench "$engine" "$out" 3 3 10 "$memory_minutes" "${web_sizes[@]}"
    python3 "$root/scripts/bench.d/web-report.py" "$out" "$engine" "$(load_now)" "$web_load_before" \
      >> "$out/web-report.md"
  done
}

# The plot's line of ENGINE's page (web-ENGINE.txt): "size settings ghosting fps" for every
# row of the plot's table; the page has no rich setting with ghosting.
web_plot_values() {
  awk -v web="$out/web-$1.txt" 'BEGIN { FS = "\t"
      while ((getline line < web) > 0) { split(line, kv, "="); v[kv[1]] = kv[2] } }
    { key = $2 == "rich" ? ($3 == 0 ? "rich" : "") : $3 == 1 ? "ghosting" : "default"
      f = key == "" ? "" : v["page_fps_" $1 "_" key]
      print $1, $2, $3, f == "" ? "-" : f }' "$plot_table"
}

# The page at 1280x720 with the default settings, quality=exact and fast in turns, in each
# of the engines named (web_quality_engines), wq_rounds of wq_seconds; into web-quality/.
web_quality_runs() {
  local engine
  mkdir -p "$out/web-quality"
  for engine in "${web_quality_engines[@]}"; do
    echo "bench: the page's qualities in $engine" >&2
    # NOTE: on a busy machine a browser now and then misses the driver's call time-out;
    # a second try is cheaper than an engine without figures.
    VORLIX_BENCH_SETTINGS=default VORLIX_BENCH_QUALITIES=exact,fast \
      web_bench "$engine" "$out/web-quality" "$wq_seconds" "$wq_rounds" 0 0 1280x720 ||
      VORLIX_BENCH_SETTINGS=default VORLIX_BENCH_QUALITIES=exact,fast \
        web_bench "$engine" "$out/web-quality" "$wq_seconds" "$wq_rounds" 0 0 1280x720 ||
      echo "bench: the page's qualities in $engine: no figures" >&2
  done
}

# Per engine of web_quality_engines: the engine, exact's and fast's fps and CPU ms per
# frame, the path the fast page drew with and the browser ("-" where missing).
web_quality_figures() {
  local engine f
  for engine in "${web_quality_engines[@]}"; do
    f="$out/web-quality/web-$engine.txt"
    echo "$engine $(kv "$f" exact_fps_1280x720_default) $(kv "$f" exact_cpu_ms_per_frame_1280x720_default)" \
      "$(kv "$f" fast_fps_1280x720_default) $(kv "$f" fast_cpu_ms_per_frame_1280x720_default)" \
      "$(kv "$f" fast_path_1280x720_default) $(kv "$f" browser)"
  done
}

# The table rows of the page's qualities: fast's CPU per frame against a quarter of exact's.
web_quality_rows() {
  web_quality_figures | awk "$awk_figures"'
    { r = ratio($5, $3); browser = $7; gsub(/_/, " ", browser)
      printf "| %s (%s) | %s | %s | %s | %s (drew %s) | %s | %s |\n", $1, browser,
        show($2, "%.1f"), show($3, "%.1f"), show($4, "%.1f"), show($5, "%.1f"), $6,
        show(r, "%.2f"), !has(r) ? "no data" : r <= 0.25 ? "met" : "**missed**" }'
}
