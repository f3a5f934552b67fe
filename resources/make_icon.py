#!/usr/bin/env python3
"""Writes vorlixss.ico: one 32 x 32 image with 16 colours (4 bits a pixel), three metaballs
melting into one blob on black. Run it again after changing the picture; the .ico is kept
in the repository so that the build needs no Python."""
import math
import struct
import sys

SIZE = 32
# The 16-colour palette, blue-green-red-reserved as a bitmap stores it.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BALLS = [((11.0, 12.0), 7.0, 13), ((21.0, 11.0), 6.0, 14), ((16.0, 22.0), 7.5, 11)]


def colour_at(x, y):
    """Palette index of pixel (x, y), y down: the metaball field against a threshold."""
    total, best, best_density = 0.0, 0, 0.0
    for (cx, cy), radius, index in BALLS:
        density = math.exp(-((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) / (radius * radius))
        total += density
        if density > best_density:
            best, best_density = index, density
    return best if total > math.exp(-1.0) else 0


def icon_bytes():
    rows = []
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom row first
        row = bytearray()
        for x in range(0, SIZE, 2):
            row.append(colour_at(x, y) << 4 | colour_at(x + 1, y))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    mask = bytes(SIZE * SIZE // 8)  # every pixel opaque
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(pixels) + len(mask),
                         0, 0, 16, 0)
    image = header + palette + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "vorlixss.ico"
    with open(out, "wb") as f:
        f.write(icon_bytes())
