#!/usr/bin/env python3
"""Draws the artwork of the About dialog and writes it next to this script, all 32-bit PNG with
alpha: the caption strip's icon (about_title.png, 16 x 16: a white "i" in a ring), the product
name plate over the texts (about_banner.png, 216 x 37: the emblem and the name in stroke
letters on a white plate) and the product picture at the left (about_picture.png, 116 x 117:
the program's tile with its check mark over a soft shadow).

It draws with the canvas and shapes of make_results_art.py (plain arithmetic over pixel
coordinates with supersampling), so Python 3 alone makes the files again:
    python3 make_about_art.py
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_results_art import Canvas, circle, minus, rect, rounded, segment, vertical, write_png  # noqa: E402

WHITE = (255, 255, 255, 255)
STRIP_BLUE = (0x29, 0x7C, 0xB2, 255)
DEEP_BLUE = (0x1A, 0x66, 0xA2, 255)
SKY_BLUE = (0x59, 0xC8, 0xEE, 255)
GREEN = (0x2B, 0xC3, 0x12, 255)


def ring(cx, cy, r, w):
    return minus(circle(cx, cy, r), circle(cx, cy, r - w))


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def sector(cx, cy, start, end):
    """Angles in degrees, counter-clockwise from the right, y pointing down."""
    def inside(x, y):
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return (a - start) % 360 <= (end - start) % 360
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def check_mark(x0, y0, size, width):
    """A check mark in the square of side size at (x0, y0)."""
    p = [(0.22, 0.52), (0.42, 0.72), (0.78, 0.30)]
    q = [(x0 + u * size, y0 + v * size) for u, v in p]
    return union(segment(q[0][0], q[0][1], q[1][0], q[1][1], width),
                 segment(q[1][0], q[1][1], q[2][0], q[2][1], width))


# --- the caption strip's icon ----------------------------------------------------------------

def about_title():
    c = Canvas(16, 16)
    c.paint(ring(8, 8, 7.2, 1.6), WHITE)
    c.paint(circle(8, 4.8, 1.15), WHITE)
    c.paint(rounded(7.05, 6.7, 8.95, 11.9, 0.5), WHITE)
    return c


# --- the name plate --------------------------------------------------------------------------

# Stroke letters in a 15 x 21 box: lists of segments, and for "O" and "R" their round parts.
LETTER_W, LETTER_H = 15.0, 21.0


def letter(ch, x0, y0, w):
    W, H = LETTER_W, LETTER_H

    def s(ax, ay, bx, by):
        return segment(x0 + ax, y0 + ay, x0 + bx, y0 + by, w)

    if ch == "V":
        return union(s(0, 0, W / 2, H), s(W / 2, H, W, 0))
    if ch == "E":
        return union(s(0, 0, 0, H), s(0, 0, W - 1, 0), s(0, H / 2, W - 4, H / 2), s(0, H, W - 1, H))
    if ch == "L":
        return union(s(0, 0, 0, H), s(0, H, W - 2, H))
    if ch == "M":
        return union(s(0, H, 0, 0), s(0, 0, W / 2, H * 0.62), s(W / 2, H * 0.62, W, 0), s(W, 0, W, H))
    if ch == "O":
        cx, cy = x0 + W / 2, y0 + H / 2
        return minus(ellipse(cx, cy, W / 2 + w / 2, H / 2 + w / 2), ellipse(cx, cy, W / 2 - w / 2, H / 2 - w / 2))
    if ch == "R":
        r = H / 4
        bowl = lambda x, y: (ring(x0 + W - 2 - r, y0 + r, r + w / 2, w)(x, y) and  # noqa: E731
                             x >= x0 + W - 2 - r)
        return union(s(0, 0, 0, H), s(0, 0, W - 2 - r, 0), s(0, 2 * r, W - 2 - r, 2 * r), bowl,
                     s(W * 0.45, 2 * r, W, H))
    if ch == "A":
        return union(s(0, H, W / 2, 0), s(W / 2, 0, W, H), s(W * 0.2, H * 0.64, W * 0.8, H * 0.64))
    raise ValueError(ch)


def about_banner():
    width, height = 216, 37
    c = Canvas(width, height)
    c.paint(rounded(0, 0, width, height, 7), (0xC9, 0xD9, 0xE8, 255))
    c.paint(rounded(1, 1, width - 1, height - 1, 6), vertical(WHITE, (0xF2, 0xF7, 0xFB, 255), 1, height - 1))
    # The emblem: a disc from blue to green with a white check mark.
    c.paint(circle(20, 18.5, 14), vertical(DEEP_BLUE, GREEN, 4.5, 32.5))
    c.paint(ring(20, 18.5, 14, 1.2), (255, 255, 255, 110))
    c.paint(check_mark(6, 4.5, 28, 3.6), WHITE)
    # The name, centred in the rest of the plate.
    name = "VELMORA"
    gap = 7
    total = len(name) * LETTER_W + (len(name) - 1) * gap
    left, right = 40, width - 6
    x = left + (right - left - total) / 2
    top = (height - LETTER_H) / 2
    strokes = []
    for ch in name:
        strokes.append(letter(ch, x, top, 3.4))
        x += LETTER_W + gap
    c.paint(union(*strokes), vertical(STRIP_BLUE, DEEP_BLUE, top, top + LETTER_H))
    return c


# --- the product picture ---------------------------------------------------------------------

def about_picture():
    width, height = 116, 117
    c = Canvas(width, height)
    # A soft shadow under the tile.
    for k in range(6):
        c.paint(ellipse(58, 108, 46 - 3 * k, 7 - k), (0, 0, 0, 14))
    left, top, size = 10, 4, 96
    c.paint(rounded(left, top, left + size, top + size, 20), vertical(SKY_BLUE, DEEP_BLUE, top, top + size))
    # Light from above over the upper half, and a thin light rim.
    c.paint(lambda x, y: rounded(left + 3, top + 3, left + size - 3, top + size - 3, 17)(x, y) and y < top + size * 0.45,
            (255, 255, 255, 38))
    c.paint(minus(rounded(left, top, left + size, top + size, 20),
                  rounded(left + 1.5, top + 1.5, left + size - 1.5, top + size - 1.5, 18.5)), (255, 255, 255, 90))
    # The scan arc over the check mark.
    cx, cy = left + size / 2, top + size * 0.54
    c.paint(lambda x, y: ring(cx, cy, 36, 6)(x, y) and sector(cx, cy, 22, 158)(x, y), (255, 255, 255, 150))
    c.paint(check_mark(left + 8, top + 12, size - 16, 12), WHITE)
    return c


def main():
    write_png("about_title.png", about_title())
    write_png("about_banner.png", about_banner())
    write_png("about_picture.png", about_picture())


if __name__ == "__main__":
    main()
