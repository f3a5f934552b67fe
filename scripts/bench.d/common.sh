# shellcheck shell=bash
# The helpers every part of scripts/bench shares: the private displays, the result files'
# keys, the report's figures and sections, and the runs of vorlixss and of the peer. Sourced
# by scripts/bench after it has set the run's paths and lengths.
# shellcheck disable=SC2154,SC2034  # the run's variables pass between scripts/bench and its parts

xvfb_pid=""
# Ends what this script started: the prefix's Wine processes and the display.
stop_display() {
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  xvfb_pid=""
  rm -f "$state/main.display"
}

# Starts a private Xvfb of the given size (the saver's virtual screen).
start_display() {
  local size=$1
  rm -f "$state/main.display"
  Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 "${size}x24" \
    3>"$state/main.display" >"$state/xvfb.log" 2>&1 </dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$state/main.display" ] && break; sleep 0.1; done
  local number; number=$(tr -d '\n' < "$state/main.display")
  export DISPLAY=":$number"
}

# Value of key in a key=value file, or "-" when absent.
kv() { local v; v=$(grep -m1 "^$2=" "$1" 2>/dev/null | cut -d= -f2- | tr -d '\r'); echo "${v:--}"; }
# Puts the file $2 between the markers <!-- $1:begin --> and <!-- $1:end --> of
# docs/performance.md; true when the document has them.
replace_section() {
  local doc=docs/performance.md
  grep -q "<!-- $1:begin -->" "$doc" || return 1
  awk -v report="$2" -v begin="<!-- $1:begin -->" -v end="<!-- $1:end -->" '
    $0 == begin { print; while ((getline line < report) > 0) print line; skip = 1; next }
    $0 == end { skip = 0 }
    !skip { print }' "$doc" > "$doc.new" && mv "$doc.new" "$doc"
}
# The same for the report: "no data" where the figure is missing.
shown() { local v; v=$(kv "$@"); [ "$v" = - ] && echo "no data" || echo "$v"; }
# awk functions of the report tables, where "-" stands for a missing figure: has(x) tells a
# figure from a missing one, show(x, format) formats it or says "no data", and minus(a, b)
# and ratio(a, b) stay missing when an operand is.
awk_figures='
function has(x) { return x != "-" && x != "" }
function show(x, format) { return has(x) ? sprintf(format, x) : "no data" }
function minus(a, b) { return has(a) && has(b) ? a - b : "-" }
function ratio(a, b) { return has(a) && has(b) && b > 0 ? a / b : "-" }'
# Over the rounds of PREFIX (files PREFIX-rN.txt: fast-r1 is not fast-rich-r1): frames per second, CPU % of a core, and the
# lowest and highest round's frames per second, from the keys FRAMES SECONDS CPU.
over_rounds() {
  for f in "$out/$1"-r[0-9]*.txt; do echo "$(kv "$f" "$2") $(kv "$f" "$3") $(kv "$f" "$4")"; done |
    awk '$2 > 0 { f += $1; s += $2; c += $3 * $2; r = $1 / $2
                  if (n++ == 0 || r < lo) lo = r; if (r > hi) hi = r }
         END { if (s > 0) printf "%.2f %.1f %.1f %.1f\n", f / s, c / s, lo, hi; else print "- - - -" }'
}
native_rounds() { over_rounds "native-$1" measured_swaps measured_seconds swap_cpu_percent; }
ceiling_rounds() { over_rounds "ceiling-$1" ceiling_frames ceiling_seconds ceiling_cpu_percent; }

# Median, lowest and highest of numbers on standard input; "-" each when there are none.
summary() {
  sort -g | awk '{ a[NR] = $1 }
    END { if (NR == 0) { print "- - -"; exit }
          m = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2
          printf "%.2f %.2f %.2f\n", m, a[1], a[NR] }'
}
# The median of the numbers on standard input, "no data" when there are none.
median() { grep -E '^-?[0-9.]+$' | sort -n | awk '{a[NR]=$1} END { if (NR == 0) print "no data"; else if (NR % 2) print a[(NR+1)/2]; else printf "%.1f\n", (a[NR/2] + a[NR/2+1]) / 2 }'; }
# The load average now, as the reports quote it.
load_now() { cut -d' ' -f1-3 /proc/loadavg; }

# The peer hack for run_seconds on the current display: frames (image transfers) and CPU.
run_peer() {
  local tag=$1 counts="$out/peer-$1.counts" stat_before stat_after ticks
  ticks=$(getconf CLK_TCK)
  VORLIX_FRAME_COUNT_FILE="$counts" LD_PRELOAD="$shim" "$peer" -root -fps \
    >"$out/peer-$tag.log" 2>&1 &
  local pid=$!
  sleep 1  # past its start-up
  stat_before=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  local t0; t0=$(date +%s.%N)
  sleep "$run_seconds"
  stat_after=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  local t1; t1=$(date +%s.%N)
  import -window root "$out/peer-$tag.png" 2>/dev/null || true
  kill "$pid"; wait "$pid" 2>/dev/null || true
  local frames seconds
  frames=$(kv "$counts" put_image); seconds=$(kv "$counts" seconds)
  awk -v f="$frames" -v s="$seconds" -v a="$stat_before" -v b="$stat_after" -v hz="$ticks" \
      -v t0="$t0" -v t1="$t1" \
      'BEGIN { printf "fps=%.1f\ncpu_percent=%.1f\n", f / s, (b - a) / hz / (t1 - t0) * 100 }' \
      > "$out/peer-$tag.txt"
}

# vorlixss on the root window for SECONDS (the time after its first warmup_swaps swaps), its
# swaps counted by the preloaded shim: frame rate and CPU (all its threads). The shell notes
# the wall clock just before the program's exec, the shim the first frame on the screen.
run_native() {
  local tag=$1 seconds=$2; shift 2
  local counts="$out/native-$tag.counts"
  (
    echo "launched_unix_s=$EPOCHREALTIME" > "$out/native-$tag.txt"
    export VORLIX_FRAME_COUNT_FILE="$counts" VORLIX_WARMUP_SWAPS=$warmup_swaps LD_PRELOAD="$shim"
    exec "$native_exe" --root "$@"
  ) >"$out/native-$tag.log" 2>&1 &
  local pid=$!
  # The start and the warm-up swaps take under 1.5 s at every size; the shim measures from
  # the last of them, so the measured span is a little longer than seconds.
  sleep "$(awk -v s="$seconds" 'BEGIN { print s + 1.5 }')"
  kill -TERM "$pid"; wait "$pid" 2>/dev/null || true
  cat "$counts" >> "$out/native-$tag.txt" 2>/dev/null || true
}

# The draw-and-swap ceiling of one round into ceiling-TAG.txt: x11_bench with REPS for the
# floor (0: none), SECONDS and vorlixss's options.
run_ceiling() {
  local tag=$1 reps=$2 seconds=$3; shift 3
  "$x11_bench" "$reps" "$seconds" --root "$@" > "$out/ceiling-$tag.txt" 2>&1 || true
}

# The plot's numbers live in docs/performance-fps.tsv, a row per size, settings and ghosting:
#   1 size, 2 settings, 3 ghosting, then frames per second of 4 vorlixss, 5 the Windows build,
#   6 the ceiling, 7 the peer, 8 the web page in Chromium, 9 vorlixss-wayland, 10 its ceiling,
#   11 the page in Firefox, 12 in WebKit, 13 vorlixss --quality fast, 14 its ceiling; then CPU
#   ms per frame of 15 vorlixss --quality fast, 16 --quality exact, 17 the peer.
# A run of one part redraws the plot with the other parts' last figures; "-" is no figure.
plot_table=docs/performance-fps.tsv
# Draws the SVG $2 from the table $1.
draw_plot() { python3 "$root/scripts/bench.d/plot.py" "$1" "$2"; }
# Copies the table $1 to $2 with columns set from the file $3, whose lines are "size settings
# ghosting value..." (values "-" where missing): its values go into the columns named after
# it, in order. Rows it does not name keep theirs; every row gets at least the last column.
set_plot_columns() {
  local table=$1 into=$2 values=$3; shift 3
  awk -v values="$values" -v columns="$*" 'BEGIN { FS = OFS = "\t"; n = split(columns, at, " ")
      while ((getline line < values) > 0) {
        k = split(line, f, " "); key = f[1] " " f[2] " " f[3]; known[key] = 1
        for (i = 1; i <= n; ++i) v[key, i] = 3 + i <= k ? f[3 + i] : "-" } }
    { key = $1 " " $2 " " $3
      for (i = 1; i <= n; ++i) if (key in known) $(at[i]) = v[key, i]
      for (i = 4; i <= at[n]; ++i) if ($i == "") $i = "-"
      print }' "$table" > "$into"
}
