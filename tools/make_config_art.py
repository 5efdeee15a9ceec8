#!/usr/bin/env python3
"""Draws Wayleap.exe's pictures: the program icon (group 135: 32x32 and 16x16,
32-bit with alpha) and the hand cursor (181: 32x32 monochrome, hot spot at the
fingertip, x 6, y 0). Writes config/res/wayleap.ico and config/res/hand.cur;
run it again after changing the drawings. Both files are committed."""
import os
import struct

OUT = os.path.join(os.path.dirname(__file__), "..", "config", "res")

def folder_icon(size):
    """A yellow folder with a blue arrow leaping over it, as RGBA rows (top first)."""
    s = size / 32.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    def rect(x0, y0, x1, y1, color):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = color
    outline, body, light, blue = (128, 90, 0, 255), (250, 200, 60, 255), (255, 228, 140, 255), (20, 80, 220, 255)
    rect(2, 12, 14, 16, outline); rect(3, 13, 13, 16, light)          # tab
    rect(2, 15, 30, 30, outline); rect(3, 16, 29, 29, body)           # body
    rect(3, 16, 29, 18, light)
    # the arrow: an arc from the lower left over to the upper right, and its head
    import math
    for t in range(0, 181):
        a = math.radians(180 - t)
        cx, cy, r = 16, 14, 10
        for w in (-1.2, -0.6, 0, 0.6, 1.2):
            x = int((cx + (r + w) * math.cos(a)) * s)
            y = int((cy - (r + w) * 0.9 * math.sin(a)) * s)
            if 0 <= x < size and 0 <= y < size:
                px[y][x] = blue
    for i in range(6):
        rect(23 + i * 0.5, 10 + i, 31 - i * 0.5, 11 + i, blue)
    return px

def write_ico(path, sizes):
    images = []
    for size in sizes:
        rows = folder_icon(size)
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
        mask_stride = ((size + 31) // 32) * 4
        andmask = b""
        for row in reversed(rows):
            bits = 0
            line = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    line[x // 8] |= 0x80 >> (x % 8)
            andmask += bytes(line)
        images.append((size, info + xor + andmask))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    with open(path, "wb") as f:
        f.write(header + entries + data)

# X black, o white, space transparent; 32 columns, hot spot at the fingertip (6, 0).
HAND = [
    "     XX",
    "    XooX",
    "    XooX",
    "    XooX",
    "    XooX",
    "    XooXXX",
    "    XooXooXXX",
    "    XooXooXooXX",
    " XX XooXooXooXoX",
    "XooXXooooooooXooX",
    "XoooXooooooooooooX",
    " XooXoooooooooooX",
    "  XoXoooooooooooX",
    "  XooooooooooooX",
    "   XoooooooooooX",
    "    XoooooooooX",
    "    XoooooooooX",
    "     XoooooooX",
    "     XoooooooX",
    "     XXXXXXXXX",
]

def write_cur(path):
    size = 32
    rows = [line.ljust(size)[:size] for line in HAND] + [" " * size] * (size - len(HAND))
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    stride = 4
    xor, andmask = b"", b""
    for line in reversed(rows):
        x_bits, a_bits = bytearray(stride), bytearray(stride)
        for x, c in enumerate(line):
            if c == " ":
                a_bits[x // 8] |= 0x80 >> (x % 8)
            elif c == "o":
                x_bits[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(x_bits)
        andmask += bytes(a_bits)
    blob = info + palette + xor + andmask
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 6, 0, len(blob), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + blob)

if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    write_ico(os.path.join(OUT, "wayleap.ico"), [32, 16])
    write_cur(os.path.join(OUT, "hand.cur"))
