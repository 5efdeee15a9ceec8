#!/usr/bin/env python3
"""Draws the three menu pictures of SkipdoorCM.dll as 8-bit bitmaps with a
256-colour palette (shellext/res/*.bmp): 13x13 pixel by pixel, as the menu
shows them at 96 dpi, and 16, 20, 26 and 32 pixels square from the same
shapes drawn afresh at each size (one-pixel outlines, strokes as thick as the
size allows), so that larger menus get sharp pictures, never blown-up pixels.
Run it again after changing the drawings below; the .bmp files are committed."""
import os
import struct

PALETTE = {
    ".": (240, 240, 240),  # menu background
    "o": (128, 96, 0),     # folder outline
    "y": (255, 208, 64),   # folder body
    "t": (255, 232, 150),  # folder tab and top edge
    "b": (0, 64, 224),     # blue letter
    "k": (0, 0, 0),        # black plus
}

FOLDER = [
    ".............",
    ".............",
    ".oooo........",
    "otttto.......",
    "oooooooooooo.",
    "ottttttttttto",
    "oyyyyyyyyyyyo",
    "oyyyyyyyyyyyo",
    "oyyyyyyyyyyyo",
    "oyyyyyyyyyyyo",
    "oyyyyyyyyyyyo",
    "oyyyyyyyyyyyo",
    "ooooooooooooo",
]

def overlay(base, marks):
    rows = [list(r) for r in base]
    for y, line in enumerate(marks):
        for x, c in enumerate(line):
            if c != " ":
                rows[y][x] = c
    return ["".join(r) for r in rows]

# A blue "W" on the folder: the configuration program.
CONFIGURE = overlay(FOLDER, [
    "", "", "", "", "", "",
    "   b  b  b",
    "   b  b  b",
    "   b  b  b",
    "   b bbb b",
    "    b   b",
])

# A black plus sign on the folder: add a folder.
ADD = overlay(FOLDER, [
    "", "", "", "", "",
    "      k",
    "      k",
    "    kkkkk",
    "      k",
    "      k",
])

LARGER = (16, 20, 26, 32)

def folder_at(n):
    """The folder at n x n: its tab on the upper left, its body below, a
    lighter top edge; outlines one pixel wide."""
    g = [["."] * n for _ in range(n)]
    tab_top, body_top, tab_right = round(n * 2 / 13), round(n * 4 / 13), round(n * 5 / 13)
    for y in range(tab_top, body_top):
        for x in range(tab_right + 1):
            g[y][x] = "o" if y == tab_top or x in (0, tab_right) else "t"
    for y in range(body_top, n):
        for x in range(n):
            edge = y in (body_top, n - 1) or x in (0, n - 1)
            g[y][x] = "o" if edge else ("t" if y <= body_top + max(1, n // 13) else "y")
    return g

def stroke(g, points, colour, width):
    """Pixels whose centres lie within width/2 of the polyline through points
    (in fractions of the size)."""
    n = len(g)
    pts = [(x * n, y * n) for x, y in points]
    for py in range(n):
        for px in range(n):
            cx, cy = px + 0.5, py + 0.5
            for (ax, ay), (bx, by) in zip(pts, pts[1:]):
                dx, dy = bx - ax, by - ay
                t = max(0.0, min(1.0, ((cx - ax) * dx + (cy - ay) * dy) / (dx * dx + dy * dy)))
                if (cx - ax - t * dx) ** 2 + (cy - ay - t * dy) ** 2 <= (width / 2) ** 2:
                    g[py][px] = colour
                    break

def configure_at(n):
    g = folder_at(n)
    stroke(g, [(0.27, 0.5), (0.38, 0.86), (0.5, 0.6), (0.62, 0.86), (0.73, 0.5)], "b", max(1.2, n / 13))
    return g

def add_at(n):
    g = folder_at(n)
    width = max(1.2, n / 10)
    stroke(g, [(0.5, 0.46), (0.5, 0.9)], "k", width)
    stroke(g, [(0.28, 0.68), (0.72, 0.68)], "k", width)
    return g

def write_bmp(path, rows):
    keys = list(PALETTE)
    width, height = len(rows[0]), len(rows)
    stride = (width + 3) & ~3
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE.values())
    palette += b"\0" * (1024 - len(palette))
    pixels = b""
    for line in reversed(rows):  # bottom-up
        pixels += bytes(keys.index(c) for c in line) + b"\0" * (stride - width)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)

if __name__ == "__main__":
    out = os.path.join(os.path.dirname(__file__), "..", "shellext", "res")
    for name, rows, draw in (("folder", FOLDER, folder_at), ("configure", CONFIGURE, configure_at), ("add", ADD, add_at)):
        assert len(rows) == 13 and all(len(r) == 13 for r in rows), name
        write_bmp(os.path.join(out, name + ".bmp"), rows)
        for n in LARGER:
            write_bmp(os.path.join(out, "%s-%d.bmp" % (name, n)), ["".join(r) for r in draw(n)])
