#!/usr/bin/env python3
# The report of scripts/bench --web for one engine, from web-ENGINE.txt (tests/bench/web_bench.mjs)
# and the runs of vorlixss beside it.
#   web-report.py OUT ENGINE LOAD_AFTER LOAD_BEFORE
import os, statistics, sys, time
out, engine, load_after, load_before = sys.argv[1:5]
web = dict(line.rstrip("\n").split("=", 1) for line in open(os.path.join(out, "web-%s.txt" % engine)) if "=" in line)
def number(key):
    try: return float(web[key])
    except (KeyError, ValueError): return None
def native(tag):
    # fps and CPU of vorlixss's run, from the shim's counts
    try: kv = dict(l.strip().split("=", 1) for l in open(os.path.join(out, "native-%s-r1.txt" % tag)) if "=" in l)
    except OSError: return None, None
    try: return float(kv["swap_fps"]), float(kv["swap_cpu_percent"])
    except (KeyError, ValueError): return None, None
def show(v, f): return "no data" if v is None else f % v
title, how = {
    "chromium": ("Chromium (headless shell)", "WebGL 2 through ANGLE on SwiftShader, no display"),
    "firefox": ("Firefox", "headless, WebGL 2 on Mesa's llvmpipe through a private Xvfb"),
    "webkit": ("WebKit (WebKitGTK's MiniBrowser)", "a window on a private Xvfb, WebGL 2 through Mesa's EGL on llvmpipe"),
}[engine]
sizes = sorted({k.split("_")[2] for k in web if k.startswith("page_fps_")}, key=lambda s: int(s.split("x")[0]))
print("### The web page in %s" % title)
print()
print("Measured %s by `scripts/bench --web` on %d cores, %s (%s);"
      % (time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), os.cpu_count(), web.get("browser", "?").replace("_", " "), how))
print("load average %s before this engine's run and %s after it (the machine is shared, and the bench runs under `nice`)." % (load_before, load_after))
print()
print("The page (`build/web`, served from localhost) against its ceiling in the same browser: `tests/bench/bare_page.html`,")
print("which draws the page's own shader texts with the page's last uniform values (and the same ring and")
print("blend with ghosting) every animation frame, with no simulation and no wasm. The two take turns in")
print("the same tab, 3 rounds of 3 s each; browser CPU is all of the browser's processes (with Firefox and")
print("WebKit, their Xvfb too) over the same spans, in % of one core. Beside them, `vorlixss --root`")
print("natively on an Xvfb of the same size (one 3 s run). Target: the page at 95 % of its ceiling or better.")
print()
print("| size | settings | page fps | ceiling fps | page / ceiling | met | page / ceiling of the rounds | browser CPU %, page | browser CPU %, ceiling | vorlixss fps | vorlixss CPU % |")
print("|---|---|---|---|---|---|---|---|---|---|---|")
for size in sizes:
    for name, label in [("default", "default"), ("ghosting", "default, ghosting"), ("rich", "rich")]:
        page, bare = number("page_fps_%s_%s" % (size, name)), number("bare_fps_%s_%s" % (size, name))
        share = page / bare if page is not None and bare else None
        met = "no data" if share is None else "yes" if share >= 0.95 else "**no**"
        pr = [float(v) for v in web.get("page_rounds_%s_%s" % (size, name), "").split()]
        br = [float(v) for v in web.get("bare_rounds_%s_%s" % (size, name), "").split()]
        ratios = [p / b * 100 for p, b in zip(pr, br) if b]
        spread = "%.0f to %.0f %%" % (min(ratios), max(ratios)) if ratios else "no data"
        fps, cpu = native("web-%s-%s" % (size, name))
        print("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (size, label, show(page, "%.2f"), show(bare, "%.2f"),
              show(None if share is None else share * 100, "%.0f %%"), met, spread,
              show(number("page_cpu_%s_%s" % (size, name)), "%.0f"), show(number("bare_cpu_%s_%s" % (size, name)), "%.0f"),
              show(fps, "%.1f"), show(cpu, "%.0f")))
print()
firsts = [float(v) for v in web.get("first_frame_ms", "").split()]
if firsts:
    m = statistics.median(firsts)
    print("First frame at 1280x720, from the start of navigation (a fresh tab%s) to"
          % (", a fresh MiniBrowser each" if engine == "webkit" else " without the HTTP cache"))
    print("the first frame the page's loop drew: median of %d **%.0f ms** (%.0f to %.0f ms); target 500 ms: %s."
          % (len(firsts), m, min(firsts), max(firsts), "met" if m <= 500 else "**missed**"))
else:
    print("First frame: no data.")
print()
samples = [s.split(":") for s in web.get("memory_minute_wasm_heap_pss_frames", "").split()]
if samples:
    print("Memory with ghosting at 1280x720, sampled at the start and after each minute (%d minutes); the JS heap"
          % (len(samples) - 1))
    print("only where the engine tells it (Chromium's DevTools protocol), the browser's memory as the summed")
    print("proportional set size of its processes:")
    print()
    print("| minute | wasm memory bytes | JS heap used bytes | browser memory (PSS) bytes | frames drawn |")
    print("|---|---|---|---|---|")
    for minute, wasm, heap, pss, frames in samples:
        print("| %s | %s | %s | %s | %s |" % (minute, wasm, heap, pss, frames))
    later = samples[1:]
    if later:
        wasm = [int(s[1]) for s in later]; pss = [int(s[3]) for s in later]
        heap = [int(s[2]) for s in later if s[2] != "-"]
        print()
        print("After the first minute: wasm memory %s; browser memory from %.1f to %.1f MB (minute 1: %.1f, last: %.1f)%s."
              % ("unchanged" if max(wasm) == min(wasm) else "from %d to %d" % (min(wasm), max(wasm)),
                 min(pss) / 1e6, max(pss) / 1e6, pss[0] / 1e6, pss[-1] / 1e6,
                 "; JS heap from %d to %d bytes" % (min(heap), max(heap)) if heap else ""))
else:
    print("Memory: no data.")
print()
files = [f.rsplit(":", 1) for f in web.get("page_files", "").split()]
total = sum(int(b) for _, b in files)
print("The page's files: " + ", ".join("%s %s bytes" % (f, b) for f, b in files) +
      "; total **%d bytes** against the budget of 307200 (300 KB): %s." % (total, "met" if files and total <= 307200 else "no data" if not files else "**missed**"))
print()
