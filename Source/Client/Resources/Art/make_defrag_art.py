#!/usr/bin/env python3
"""Draws the two pictures of the Registry Defrag page and writes them next to this script, 32-bit
PNG with alpha: the page's picture beside its description (120 x 120: a registry hive as a stack
of blocks, scattered above and packed tight below, with an arrow between), and the notice in its
information area (36 x 36: a clock).

It draws with the canvas and shapes of make_results_art.py, so Python 3 alone makes the files
again:
    python3 make_defrag_art.py
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_results_art import Canvas, circle, minus, polygon, rect, rounded, segment, shade, vertical, write_png  # noqa: E402

WHITE = (255, 255, 255, 255)
BLUE = (0x1A, 0x66, 0xA2, 255)
ORANGE = (0xFF, 0x96, 0x00, 255)
GREEN = (0x2B, 0xC3, 0x12, 255)
GREY = (0xC8, 0xCC, 0xD0, 255)


def block(c, x, y, size, colour):
    c.paint(rounded(x, y, x + size, y + size, 2.2), vertical(shade(colour, 0.35), shade(colour, -0.15), y, y + size))
    c.paint(minus(rounded(x, y, x + size, y + size, 2.2), rounded(x + 1, y + 1, x + size - 1, y + size - 1, 1.6)),
            shade(colour, -0.3))


def defrag_picture():
    c = Canvas(120, 120)
    # The hive's case: a light rounded tile with a blue rim.
    c.paint(rounded(4, 4, 116, 116, 12), vertical((0xF4, 0xF8, 0xFC, 255), (0xDD, 0xE8, 0xF2, 255), 4, 116))
    c.paint(minus(rounded(4, 4, 116, 116, 12), rounded(6, 6, 114, 114, 10.5)), shade(BLUE, 0.2))
    size, gap, left = 17, 4, 18
    # Above: fragments with holes between them.
    scattered = [(0, 0, BLUE), (2, 0, ORANGE), (3, 0, BLUE), (1, 1, ORANGE), (3, 1, BLUE)]
    for col, row, colour in scattered:
        block(c, left + col * (size + gap), 14 + row * (size + gap), size, colour)
    for col, row in [(1, 0), (0, 1), (2, 1)]:
        x, y = left + col * (size + gap), 14 + row * (size + gap)
        c.paint(minus(rounded(x, y, x + size, y + size, 2.2), rounded(x + 1, y + 1, x + size - 1, y + size - 1, 1.6)),
                GREY)
    # The arrow down.
    c.paint(rect(56.5, 58, 63.5, 68), GREEN)
    c.paint(polygon([(50, 67), (70, 67), (60, 77)]), GREEN)
    # Below: the same blocks packed into one row and a part.
    packed = [BLUE, ORANGE, BLUE, ORANGE]
    for col, colour in enumerate(packed):
        block(c, left + col * (size + gap), 80, size, colour)
    return c


def defrag_notice():
    c = Canvas(36, 36)
    c.paint(circle(18, 18, 16.5), vertical(shade(ORANGE, 0.2), shade(ORANGE, -0.1), 2, 34))
    c.paint(circle(18, 18, 13), WHITE)
    for hour in range(12):
        a = math.radians(hour * 30)
        r0 = 10.2 if hour % 3 else 9.0
        c.paint(segment(18 + r0 * math.sin(a), 18 - r0 * math.cos(a), 18 + 11.6 * math.sin(a),
                        18 - 11.6 * math.cos(a), 1.3), (0x50, 0x50, 0x50, 255))
    c.paint(segment(18, 18, 18, 9.5, 2.2), (0x28, 0x28, 0x28, 255))
    c.paint(segment(18, 18, 24, 21.5, 2.0), (0x28, 0x28, 0x28, 255))
    c.paint(circle(18, 18, 1.8), ORANGE)
    return c


def main():
    write_png("defrag_picture.png", defrag_picture())
    write_png("defrag_notice.png", defrag_notice())


if __name__ == "__main__":
    main()
