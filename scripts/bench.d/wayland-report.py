#!/usr/bin/env python3
# The report of scripts/bench --wayland from its result files: vorlixss-wayland against its
# ceiling, its first frame against bare_egl's, a hidden window's CPU and what --delay saves.
#   wayland-report.py OUT LOAD_BEFORE LOAD_AFTER ROUNDS SECONDS REPS STARTUPS DELAY_ROUNDS
#                     DELAY_SECONDS WARMUP SWAY_VERSION SIZE...
import glob, json, os, statistics, sys, time
out, load_before, load_after = sys.argv[1:4]
rounds, seconds, reps, startups, delay_rounds, delay_seconds, warmup = sys.argv[4:11]
sway_version, sizes = sys.argv[11], sys.argv[12:]
rounds = int(rounds)
def kv(path):
    try: return dict(l.rstrip("\n").split("=", 1) for l in open(path) if "=" in l)
    except OSError: return {}
def num(d, k):
    try: return float(d[k])
    except (KeyError, ValueError): return None
def show(v, f): return "no data" if v is None else f % v
def med(values):
    values = [v for v in values if v is not None]
    return (statistics.median(values), min(values), max(values)) if values else None
def span(m, f):
    return "no data" if m is None else (f + " (" + f + " to " + f + ")") % m
def sums(files, frames, secs, cpu):
    # frames over seconds of all rounds, CPU weighted by seconds, and each round's rate
    f = s = c = 0; rates = []
    for d in files:
        a, b, p = num(d, frames), num(d, secs), num(d, cpu)
        if a is None or not b: continue
        f += a; s += b; c += (p or 0) * b; rates.append(a / b)
    return (f / s, c / s, min(rates), max(rates)) if s else None
def mean(values):
    values = [v for v in values if v is not None]
    return sum(values) / len(values) if values else None
first = kv(sorted(glob.glob(os.path.join(out, "wlc-*-r1.txt")))[0]) if glob.glob(os.path.join(out, "wlc-*-r1.txt")) else {}
refresh = None
try:
    refresh = json.load(open(os.path.join(out, "outputs-1280x720.json")))[0]["current_mode"]["refresh"] / 1000
except (OSError, ValueError, LookupError, TypeError): pass
print("### vorlixss-wayland in a headless sway")
print()
print("Measured %s by `scripts/bench --wayland` on %d cores, renderer \"%s\", %s, %s (headless"
      % (time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), os.cpu_count(), first.get("renderer", "?"),
         first.get("gl_version", "?"), sway_version or "sway"))
print("backend, pixman renderer, output refresh %s Hz); load average %s before the run and %s after it"
      % (show(refresh, "%.0f"), load_before, load_after))
print("(the machine is shared).")
print()
print("`vorlixss-wayland --root` (default `--delay`) against its draw-and-swap ceiling, `wayland_bench`: the")
print("program's own surface, context and tick code on a layer surface over the same output, each frame")
print("drawn with the clock held still as soon as sway's frame callback says the last one was shown,")
print("with no timer wait. The two take turns, %d rounds of %s s (the program starts afresh each round;"
      % (rounds, seconds))
print("the shim counts its cover's swaps after the first %s). The ratio is the program's frames per" % warmup)
print("second over min(100, the ceiling's) round by round; target 95 %. CPU is each process's own in %")
print("of one core (the program's one process; Mesa's threads included); sway's is the compositor's")
print("over the same span. The floor is the two passes bounded by glFinish, medians of %s; the" % reps)
print("ceiling's frame time is split into drawing (tick and swap) and the wait for the callback.")
print()
print("| size | ghosting | settings | vorlixss-wayland fps (rounds) | ceiling fps (rounds) | ratio, median (rounds) | met | CPU % | ceiling CPU % | sway CPU %, program | sway CPU %, ceiling | metaball pass ms | blend pass ms | ceiling ms per frame: drawing + wait |")
print("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|")
for size in sizes:
    for name in ("default", "rich"):
        for ghost in ("0", "1"):
            tag = "%s-%s-g%s" % (size, name, ghost)
            prog = [kv(os.path.join(out, "wl-%s-r%d.txt" % (tag, r))) for r in range(1, rounds + 1)]
            ceil = [kv(os.path.join(out, "wlc-%s-r%d.txt" % (tag, r))) for r in range(1, rounds + 1)]
            if not any(prog) and not any(ceil): continue
            p = sums(prog, "measured_swaps", "measured_seconds", "swap_cpu_percent")
            c = sums(ceil, "ceiling_frames", "ceiling_seconds", "ceiling_cpu_percent")
            ratios = []
            for a, b in zip(prog, ceil):
                pf, cf = num(a, "swap_fps"), num(b, "ceiling_fps")
                if pf is not None and cf: ratios.append(pf / min(100.0, cf))
            r = med(ratios)
            met = "no data" if r is None else "yes" if r[0] >= 0.95 else "**no**"
            draw = mean([num(b, "draw_ms_per_frame") for b in ceil])
            wait = mean([num(b, "callback_wait_ms_per_frame") for b in ceil])
            print("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (
                size, "on" if ghost == "1" else "off", name,
                "no data" if p is None else "%.1f (%.1f to %.1f)" % (p[0], p[2], p[3]),
                "no data" if c is None else "%.1f (%.1f to %.1f)" % (c[0], c[2], c[3]),
                "no data" if r is None else "%.0f %% (%.0f to %.0f %%)" % (r[0] * 100, r[1] * 100, r[2] * 100), met,
                show(None if p is None else p[1], "%.0f"), show(None if c is None else c[1], "%.0f"),
                show(mean([num(a, "sway_cpu_percent") for a in prog]), "%.0f"),
                show(mean([num(b, "compositor_cpu_percent") for b in ceil]), "%.0f"),
                show(num(ceil[0], "metaball_pass_ms"), "%.2f"), show(num(ceil[0], "blend_pass_ms"), "%.2f"),
                "no data" if draw is None else "%.1f + %.1f" % (draw, wait)))
print()
def first_ms(path):
    d = kv(path)
    a, b = num(d, "launched_unix_s"), num(d, "first_swap_unix_s")
    return None if a is None or b is None else (b - a) * 1000
prog = [first_ms(os.path.join(out, "wlfirst-program-%d.txt" % i)) for i in range(1, int(startups) + 1)]
bare = [first_ms(os.path.join(out, "wlfirst-bare-%d.txt" % i)) for i in range(1, int(startups) + 1)]
shown = [num(kv(os.path.join(out, "wlfirst-bare-%d.txt" % i)), "shown_after_swap_ms") for i in range(1, int(startups) + 1)]
ratios = [a / b for a, b in zip(prog, bare) if a is not None and b]
r = med(ratios)
print("First frame at 1280x720: `vorlixss-wayland --root --count 12` against `bare_egl`, a Wayland program")
print("that only connects, makes an overlay layer surface over the output, an OpenGL ES 3 context")
print("through EGL, clears and swaps; %s rounds taking turns. Each is timed from the shell's clock just" % startups)
print("before its exec to the return of its first `eglSwapBuffers` (the shim's reading; the frame is then")
print("committed to sway). For `--root` that holds the connection, the output's surface, its context")
print("and its scene's whole start. Ratios are taken round by round; medians, with the")
print("lowest and highest in brackets.")
print()
print("| measure | vorlixss-wayland --root | bare EGL program | ratio |")
print("|---|---|---|---|")
print("| exec to first swap, ms | %s | %s | %s |" % (span(med(prog), "%.1f"), span(med(bare), "%.1f"), span(r, "%.2f")))
print()
print("sway showed the bare program's frame (its frame callback) %s ms after that swap." % span(med(shown), "%.1f"))
print()
h = kv(os.path.join(out, "hidden.txt"))
print("A hidden window: `vorlixss-wayland --count 12`, its own window (tiled over the 1280x720 output), then")
print("`swaymsg '[app_id=vorlixss] move container to workspace 9'` (sway then has it on: %s)." % (h.get("hidden_where") or "no data"))
print("CPU seconds (user and system) of the program and of sway, shown and a second after the move:")
print()
print("| the window | seconds | vorlixss-wayland CPU s | % of a core | sway CPU s |")
print("|---|---|---|---|---|")
for key, label in (("shown", "shown"), ("hidden", "on workspace 9")):
    s, c = num(h, key + "_seconds"), num(h, key + "_cpu_s")
    print("| %s | %s | %s | %s | %s |" % (label, show(s, "%.1f"), show(c, "%.2f"),
          show(None if s is None or c is None else c / s * 100, "%.1f"), show(num(h, key + "_sway_cpu_s"), "%.2f")))
print()
print("What `--delay` saves at 1280x720 with the default settings: `vorlixss --root` on Xvfb and")
print("`vorlixss-wayland --root` in headless sway, the default (10000 µs, at most 100 frames a second) and")
print("33333 (about 30), %d rounds of %s s each taking turns; frames and CPU as above." % (int(delay_rounds), delay_seconds))
print()
print("| program | --delay | fps | CPU % of a core | sway CPU % |")
print("|---|---|---|---|---|")
for program, prefix in (("vorlixss (Xvfb)", "native-delay"), ("vorlixss-wayland (sway)", "wl-delay")):
    for delay in ("10000", "33333"):
        files = [kv(os.path.join(out, "%s-%s-r%d.txt" % (prefix, delay, r))) for r in range(1, int(delay_rounds) + 1)]
        s = sums(files, "measured_swaps", "measured_seconds", "swap_cpu_percent")
        sway = mean([num(d, "sway_cpu_percent") for d in files]) if prefix == "wl-delay" else None
        print("| %s | %s | %s | %s | %s |" % (program, delay, show(None if s is None else s[0], "%.1f"),
              show(None if s is None else s[1], "%.0f"), "" if prefix != "wl-delay" else show(sway, "%.0f")))
