#!/usr/bin/env python3
"""Draws the program's icon, a dark keyboard key cap with a light ">" on its face, and writes
it as a Windows .ico file with a 32 x 32 and a 16 x 16 image in 24-bit colour.

Usage: make_icon.py OUTPUT.ico
"""

import struct
import sys

SAMPLES = 4  # per pixel and axis: smooth edges inside the cap, a clean mask outside it

EDGE = (18, 20, 23)
SKIRT = (34, 38, 43)
FACE_TOP = (78, 85, 95)
FACE_BOTTOM = (50, 55, 62)
GLYPH = (236, 238, 240)


def rounded_rect_inside(x, y, left, top, right, bottom, radius):
    """True when (x, y) lies in the rectangle with its corners rounded by `radius`."""
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def distance_to_segment(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    px, py = ax + t * dx, ay + t * dy
    return ((x - px) ** 2 + (y - py) ** 2) ** 0.5


def shade(x, y, n):
    """The colour at (x, y) of an n x n icon, in units of the 32-pixel design; None outside."""
    s = n / 32.0
    u, v = x / s, y / s
    if not rounded_rect_inside(u, v, 1, 2, 31, 31, 6):
        return None
    if not rounded_rect_inside(u, v, 2, 3, 30, 30, 5):
        return EDGE
    # The face sits high on the cap, so the skirt shows mostly below it, like a key seen
    # slightly from above.
    if not rounded_rect_inside(u, v, 5, 4, 27, 24, 4):
        return SKIRT
    # The chevron: two strokes meeting at the right.
    stroke = 2.0 if n >= 32 else 2.6
    if min(distance_to_segment(u, v, 12, 9, 20, 14),
           distance_to_segment(u, v, 20, 14, 12, 19)) <= stroke:
        return GLYPH
    f = (v - 4) / 20.0
    return tuple(int(round(a + (b - a) * f)) for a, b in zip(FACE_TOP, FACE_BOTTOM))


def render(n):
    """Rows top first: a list of (colour, opaque) per pixel."""
    rows = []
    for py in range(n):
        row = []
        for px in range(n):
            colours = []
            outside = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = shade(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES, n)
                    if c is None:
                        outside += 1
                    else:
                        colours.append(c)
            opaque = outside * 2 < SAMPLES * SAMPLES
            if colours and opaque:
                colour = tuple(sum(c[i] for c in colours) // len(colours) for i in range(3))
            else:
                colour = (0, 0, 0)
            row.append((colour, opaque))
        rows.append(row)
    return rows


def icon_image(n):
    """BITMAPINFOHEADER, the 24-bit colour rows and the 1-bit transparency mask, bottom up."""
    rows = render(n)
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 24, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    row_bytes = (n * 3 + 3) // 4 * 4
    for row in reversed(rows):
        line = bytearray()
        for (r, g, b), _ in row:
            line += bytes((b, g, r))
        line += b'\0' * (row_bytes - len(line))
        colour += line
    mask = bytearray()
    mask_bytes = (n + 31) // 32 * 4
    for row in reversed(rows):
        line = bytearray(mask_bytes)
        for x, (_, opaque) in enumerate(row):
            if not opaque:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(colour) + bytes(mask)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    sizes = (32, 16)
    images = [icon_image(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 24, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(sys.argv[1], 'wb') as f:
        f.write(out)
    return 0


if __name__ == '__main__':
    sys.exit(main())
