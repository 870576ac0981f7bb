#!/usr/bin/env python3
"""Draws Tarnwick's icon and writes it in the forms the program and the
desktop need. Run it from anywhere; it rewrites the files beside itself:

  tarnwick-32.xpm  32 x 32, 16-colour picture compiled into the editor
  tarnwick-32.png  the same picture for the desktop's 32 x 32 icon theme
  tarnwick.svg     a scalable drawing of the same design

The design: a sheet of paper with a folded corner, a few lines of text and
a small tarn (a mountain lake) with a ripple, drawn from the classic
16-colour palette. Nothing here is taken from another program's artwork.
"""

import os
import struct
import zlib

SIZE = 32
HERE = os.path.dirname(os.path.abspath(__file__))

# The classic 16-colour palette, by the letter each colour has in the XPM.
PALETTE = {
    "k": (0, 0, 0),
    "m": (128, 0, 0),
    "G": (0, 128, 0),
    "o": (128, 128, 0),
    "n": (0, 0, 128),
    "p": (128, 0, 128),
    "t": (0, 128, 128),
    "s": (192, 192, 192),
    "g": (128, 128, 128),
    "r": (255, 0, 0),
    "l": (0, 255, 0),
    "y": (255, 255, 0),
    "b": (0, 0, 255),
    "f": (255, 0, 255),
    "c": (0, 255, 255),
    "w": (255, 255, 255),
}
CLEAR = "."

# Sheet geometry, in pixels.
LEFT, RIGHT, TOP, BOTTOM = 6, 25, 2, 28
FOLD = 6  # the folded corner's leg


def draw():
    grid = [[CLEAR] * SIZE for _ in range(SIZE)]

    def put(x, y, c):
        grid[y][x] = c

    corner_x = RIGHT - FOLD  # where the top edge meets the fold
    # The sheet, less its top-right corner.
    for y in range(TOP, BOTTOM + 1):
        for x in range(LEFT, RIGHT + 1):
            if x - corner_x <= y - TOP:
                put(x, y, "w")
    # The folded-over flap.
    for y in range(TOP, TOP + FOLD + 1):
        for x in range(corner_x, RIGHT + 1):
            if x - corner_x <= y - TOP:
                put(x, y, "s")
    # Outline: left, bottom, right below the fold, top up to the fold, the
    # fold's diagonal, and the flap's two straight edges.
    for y in range(TOP, BOTTOM + 1):
        put(LEFT, y, "k")
    for x in range(LEFT, RIGHT + 1):
        put(x, BOTTOM, "k")
    for y in range(TOP + FOLD, BOTTOM + 1):
        put(RIGHT, y, "k")
    for x in range(LEFT, corner_x + 1):
        put(x, TOP, "k")
    for i in range(FOLD + 1):
        put(corner_x + i, TOP + i, "k")
        put(corner_x, TOP + i, "k")
        put(corner_x + i, TOP + FOLD, "k")
    # A drop shadow, one pixel to the right and below.
    for y in range(TOP + FOLD + 1, BOTTOM + 2):
        put(RIGHT + 1, y, "g")
    for x in range(LEFT + 1, RIGHT + 2):
        put(x, BOTTOM + 1, "g")
    # Lines of text.
    for y, x0, x1 in ((6, 9, 16), (10, 9, 22), (13, 11, 21), (16, 11, 19), (19, 9, 14)):
        for x in range(x0, x1 + 1):
            put(x, y, "n")
    # The tarn: a small lake with a light ripple across it.
    cx, cy, rx, ry = 18.5, 23.5, 5.0, 2.6
    for y in range(SIZE):
        for x in range(SIZE):
            if ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0:
                put(x, y, "t")
    for x in range(15, 23):
        put(x, 22 if (x - 15) % 4 in (1, 2) else 23, "c")
    return grid


def used_colours(grid):
    return sorted({c for row in grid for c in row if c != CLEAR})


def write_xpm(grid, path):
    colours = used_colours(grid)
    lines = ["/* XPM */", "static const char* const tarnwick_32_xpm[] = {"]
    lines.append(f'    "{SIZE} {SIZE} {len(colours) + 1} 1",')
    lines.append(f'    "{CLEAR} c None",')
    for c in colours:
        lines.append('    "%s c #%02X%02X%02X",' % ((c,) + PALETTE[c]))
    for i, row in enumerate(grid):
        end = "," if i < SIZE - 1 else ""
        lines.append(f'    "{"".join(row)}"{end}')
    lines.append("};")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def write_png(grid, path):
    # An indexed 4-bit PNG: the picture keeps its 16-colour palette, with
    # index 0 as the transparent background.
    order = [CLEAR] + used_colours(grid)
    index = {c: i for i, c in enumerate(order)}
    palette = b"".join(bytes(PALETTE.get(c, (0, 0, 0))) for c in order)
    raw = bytearray()
    for row in grid:
        raw.append(0)  # no filter
        for x in range(0, SIZE, 2):
            raw.append(index[row[x]] << 4 | index[row[x + 1]])
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 4, 3, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(png_chunk(b"IHDR", header))
        f.write(png_chunk(b"PLTE", palette))
        f.write(png_chunk(b"tRNS", b"\x00"))
        f.write(png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(png_chunk(b"IEND", b""))


def write_svg(path):
    def rgb(c):
        return "#%02x%02x%02x" % PALETTE[c]

    l, r, t, b, k = LEFT + 0.5, RIGHT + 0.5, TOP + 0.5, BOTTOM + 0.5, FOLD
    sheet = f"M{l},{t} H{r - k} L{r},{t + k} V{b} H{l} Z"
    flap = f"M{r - k},{t} V{t + k} H{r} Z"
    text = "".join(
        f'  <line x1="{x0}" y1="{y + 0.5}" x2="{x1 + 1}" y2="{y + 0.5}"/>\n'
        for y, x0, x1 in ((6, 9, 16), (10, 9, 22), (13, 11, 21), (16, 11, 19), (19, 9, 14))
    )
    svg = f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 32 32">
 <title>Tarnwick</title>
 <path d="{sheet}" transform="translate(1,1)" fill="{rgb('g')}"/>
 <path d="{sheet}" fill="{rgb('w')}" stroke="{rgb('k')}" stroke-width="1" stroke-linejoin="round"/>
 <path d="{flap}" fill="{rgb('s')}" stroke="{rgb('k')}" stroke-width="1" stroke-linejoin="round"/>
 <g stroke="{rgb('n')}" stroke-width="1">
{text} </g>
 <ellipse cx="18.5" cy="23.5" rx="5" ry="2.6" fill="{rgb('t')}"/>
 <path d="M14.5,23.5 q1,-1.2 2,0 t2,0 t2,0 t2,0" fill="none" stroke="{rgb('c')}" stroke-width="0.8"/>
</svg>
"""
    with open(path, "w") as f:
        f.write(svg)


def main():
    grid = draw()
    assert len(used_colours(grid)) < 16
    write_xpm(grid, os.path.join(HERE, "tarnwick-32.xpm"))
    write_png(grid, os.path.join(HERE, "tarnwick-32.png"))
    write_svg(os.path.join(HERE, "tarnwick.svg"))


if __name__ == "__main__":
    main()
