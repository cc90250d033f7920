#!/usr/bin/env python3
"""Draws the Startup Manager's check boxes and writes them next to this script:
startup_checkboxes.bmp, two 32 x 21 images side by side (box clear, box ticked), 24-bit BMP in
which pure white is the transparent colour of the list's image list.

Every shape is plain arithmetic over pixel coordinates with 4 x 4 supersampling, so the file can
be made again on any machine with Python 3 alone:  python3 make_startup_art.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 4
CELL_W, CELL_H = 32, 21
# The box: 15 x 15 pixels, left in the cell with room before the row's text.
BOX = (8.0, 3.0, 23.0, 18.0)
RADIUS = 2.5

BORDER = (0x8A, 0x8A, 0x8A)
INSIDE = (0xFB, 0xFB, 0xFB)          # off white, so the box stays opaque on a selected row
TICKED_FILL = (0xFF, 0x96, 0x00)     # the page's orange
TICKED_BORDER = (0xD9, 0x7A, 0x00)
MARK = (0xFE, 0xFE, 0xFE)            # the tick: not pure white, which is transparent


def inside_rounded(x, y, box, r):
    x0, y0, x1, y1 = box
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def near_segment(x, y, a, b, half_width):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width


def colour_at(x, y, ticked):
    """The colour of one sample point, or None outside the box (white background)."""
    if not inside_rounded(x, y, BOX, RADIUS):
        return None
    inner = (BOX[0] + 1.2, BOX[1] + 1.2, BOX[2] - 1.2, BOX[3] - 1.2)
    if not inside_rounded(x, y, inner, RADIUS - 1.0):
        return TICKED_BORDER if ticked else BORDER
    if not ticked:
        return INSIDE
    a, b, c = (11.5, 10.8), (14.6, 14.2), (19.8, 7.0)
    if near_segment(x, y, a, b, 1.15) or near_segment(x, y, b, c, 1.15):
        return MARK
    return TICKED_FILL


def cell(ticked):
    rows = []
    for y in range(CELL_H):
        row = []
        for x in range(CELL_W):
            acc = [0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES, ticked)
                    c = c or (255, 255, 255)
                    for i in range(3):
                        acc[i] += c[i]
            rgb = tuple(int(round(v / (SAMPLES * SAMPLES))) for v in acc)
            # An edge pixel blended towards white must not turn transparent.
            if rgb == (255, 255, 255) and any(
                    colour_at(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES, ticked)
                    for sy in range(SAMPLES) for sx in range(SAMPLES)):
                rgb = (254, 254, 254)
            row.append(rgb)
        rows.append(row)
    return rows


def write_bmp(name, cells):
    """The cells side by side as one 24-bit bottom-up BMP."""
    width = CELL_W * len(cells)
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(CELL_H - 1, -1, -1):
        row = bytearray()
        for c in cells:
            for r, g, b in c[y]:
                row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, CELL_H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + data)


def main():
    write_bmp("startup_checkboxes.bmp", [cell(False), cell(True)])


if __name__ == "__main__":
    main()
