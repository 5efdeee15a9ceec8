#!/usr/bin/env python3
"""Draws the three 13x13 menu pictures of SkipdoorCM.dll as 8-bit bitmaps
with a 256-colour palette (shellext/res/*.bmp). Run it again after changing
the drawings below; the .bmp files are committed."""
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
    for name, rows in (("folder", FOLDER), ("configure", CONFIGURE), ("add", ADD)):
        assert len(rows) == 13 and all(len(r) == 13 for r in rows), name
        write_bmp(os.path.join(out, name + ".bmp"), rows)
