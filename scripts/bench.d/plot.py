#!/usr/bin/env python3
"""Draws docs/performance-fps.svg from the bench's table (docs/performance-fps.tsv).

    plot.py TABLE SVG

Four panels of frames per second by size (default and rich settings, ghosting off and on),
and below them two of the CPU milliseconds per drawn frame. The table's columns are listed
in scripts/bench.d/common.sh; a table of an older run, without the later columns, draws
without their lines.
"""
import sys
from xml.sax.saxutils import escape

# (label, column, colour, dashed)
FPS_SERIES = [
    ("vorlixss (native)", 3, "#d62728", False),
    ("Windows build under Wine", 4, "#1f77b4", False),
    ("draw-and-swap ceiling", 5, "#7f7f7f", True),
    ("XScreenSaver metaballs (CPU)", 6, "#2ca02c", False),
    ("web page (headless Chromium, SwiftShader)", 7, "#9467bd", False),
    ("vorlixss-wayland (headless sway)", 8, "#ff7f0e", False),
    ("its draw-and-swap ceiling", 9, "#8c564b", True),
    ("web page (Firefox, llvmpipe)", 10, "#e377c2", False),
    ("web page (WebKit, llvmpipe)", 11, "#17becf", False),
    ("vorlixss --quality fast", 12, "#bcbd22", False),
    ("its draw-and-swap ceiling (fast)", 13, "#6b6b00", True),
]
# The CPU panels: (title, [(label, column, settings, ghosting, colour)]).
CPU_PANELS = [
    ("CPU ms per frame, default settings", [
        ("vorlixss --quality exact", 15, "default", "0", "#d62728"),
        ("vorlixss --quality fast", 14, "default", "0", "#bcbd22"),
        ("XScreenSaver metaballs", 16, "default", "0", "#2ca02c")]),
    ("CPU ms per frame, vorlixss --quality fast", [
        ("default", 14, "default", "0", "#bcbd22"),
        ("ghosting", 14, "default", "1", "#9467bd"),
        ("rich", 14, "rich", "0", "#1f77b4")]),
]
PANEL_W, PANEL_H, LEFT = 340, 220, 50


def number(row, column):
    try:
        return float(row[column]) if column < len(row) else None
    except ValueError:
        return None


def row_of(rows, size, name, ghost):
    return next((r for r in rows if r[0] == size and r[1] == name and r[2] == ghost), None)


def step_above(value, step):
    return step * int(value / step + 1)


def panel(out, sizes, ox, oy, title, top, step, unit, lines):
    """One panel at (ox, oy); lines are (colour, dashed, [value or None per size])."""
    out.append('<text x="%d" y="%d" font-weight="bold">%s</text>' % (ox, oy + 4, escape(title)))
    oy += 20

    def xy(i, v):
        return ox + 30 + i * (PANEL_W - 60) / max(1, len(sizes) - 1), oy + PANEL_H - v / top * PANEL_H

    for v in range(0, int(top) + 1, step):
        _, y = xy(0, v)
        mark = "#999" if unit == "frames per second" and v == 100 else "#e4e4e4"
        out.append('<line x1="%d" y1="%.1f" x2="%d" y2="%.1f" stroke="%s"/>' % (ox, y, ox + PANEL_W, y, mark))
        out.append('<text x="%d" y="%.1f" text-anchor="end">%d</text>' % (ox - 6, y + 4, v))
    for i, size in enumerate(sizes):
        x, y = xy(i, 0)
        out.append('<text x="%.1f" y="%.1f" text-anchor="middle">%s</text>' % (x, y + 18, size))
    out.append('<text x="%d" y="%d" transform="rotate(-90 %d %d)" text-anchor="middle">%s</text>'
               % (ox - 36, oy + PANEL_H / 2, ox - 36, oy + PANEL_H / 2, unit))
    for colour, dashed, values in lines:
        points = [xy(i, v) for i, v in enumerate(values) if v is not None]
        dash = ' stroke-dasharray="5,3"' if dashed else ""
        out.append('<polyline fill="none" stroke="%s" stroke-width="2"%s points="%s"/>'
                   % (colour, dash, " ".join("%.1f,%.1f" % q for q in points)))
        out.extend('<circle cx="%.1f" cy="%.1f" r="3" fill="%s"/>' % (x, y, colour) for x, y in points)


def legend(out, x0, y0, entries, columns=2):
    """Entries (label, colour, dashed) in columns from (x0, y0); the height taken."""
    for k, (label, colour, dashed) in enumerate(entries):
        x, y = x0 + (k % columns) * 330, y0 + (k // columns) * 20
        out.append('<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="%s" stroke-width="2.5"%s/>'
                   % (x, y, x + 24, y, colour, ' stroke-dasharray="5,3"' if dashed else ""))
        out.append('<text x="%d" y="%d">%s</text>' % (x + 30, y + 4, escape(label)))
    return 20 * ((len(entries) + columns - 1) // columns)


def draw(rows):
    sizes = list(dict.fromkeys(r[0] for r in rows))
    top = step_above(max([100.0] + [number(r, c) or 0 for r in rows for _, c, _, _ in FPS_SERIES]), 20)
    cpu_values = [number(r, c) or 0 for r in rows for _, lines in CPU_PANELS for _, c, _, _, _ in lines]
    has_cpu = any(cpu_values)
    head = 20 + legend([], 0, 0, [(s[0], s[2], s[3]) for s in FPS_SERIES])
    width = 2 * (PANEL_W + LEFT) + 40
    height = head + 20 + 2 * (PANEL_H + 70) + (PANEL_H + 130 if has_cpu else 0)
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" font-family="sans-serif" font-size="12">'
           % (width, height), '<rect width="100%" height="100%" fill="white"/>']
    legend(out, 20, 20, [(s[0], s[2], s[3]) for s in FPS_SERIES])
    for p, (name, ghost) in enumerate([("default", "0"), ("default", "1"), ("rich", "0"), ("rich", "1")]):
        lines = [(colour, dashed, [number(row_of(rows, size, name, ghost) or [], column) for size in sizes])
                 for _, column, colour, dashed in FPS_SERIES]
        title = "%s settings, ghosting %s" % (name, "on" if ghost == "1" else "off")
        panel(out, sizes, LEFT + (p % 2) * (PANEL_W + LEFT + 20), head + 20 + (p // 2) * (PANEL_H + 70),
              title, top, 20, "frames per second", lines)
    if has_cpu:
        oy = head + 20 + 2 * (PANEL_H + 70)
        cpu_top = max(cpu_values)
        step = 10 if cpu_top <= 60 else 20 if cpu_top <= 150 else 50
        for p, (title, series) in enumerate(CPU_PANELS):
            ox = LEFT + p * (PANEL_W + LEFT + 20)
            local_top = max([number(row_of(rows, size, name, ghost) or [], column) or 0
                             for size in sizes for _, column, name, ghost, _ in series] + [1])
            local_step = 2 if local_top <= 16 else 5 if local_top <= 40 else step
            panel(out, sizes, ox, oy, title, step_above(local_top, local_step), local_step, "CPU ms per frame",
                  [(colour, False, [number(row_of(rows, size, name, ghost) or [], column) for size in sizes])
                   for _, column, name, ghost, colour in series])
            legend(out, ox, oy + PANEL_H + 60, [(label, colour, False) for label, *_, colour in series], 1)
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1]) if line.strip()]
    with open(sys.argv[2], "w") as svg:
        svg.write(draw(rows))


if __name__ == "__main__":
    main()
