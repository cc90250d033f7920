#!/usr/bin/env python3
"""Draws the artwork of the Restore Center and the Settings dialog and writes it next to this
script, all 32-bit PNG with alpha: the two title icons (16 x 16: a counter-clockwise arrow
round a clock hand, and a gear), the pictures of the two defaults buttons with their brighter
variants under the mouse (32 x 32: a globe, and a monitor with a gauge), and the Settings
check buttons' boxes (13 x 13, unticked and ticked).

It draws with the canvas and shapes of make_results_art.py (plain arithmetic over pixel
coordinates with supersampling), so Python 3 alone makes the files again:
    python3 make_tool_dialog_art.py
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


def ring(cx, cy, r, w):
    return minus(circle(cx, cy, r), circle(cx, cy, r - w))


def sector(cx, cy, start, end):
    """Angles in degrees, counter-clockwise from the right, y pointing down."""
    def inside(x, y):
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return (a - start) % 360 <= (end - start) % 360
    return inside


def restore_title():
    """White on the blue title strip: an arrow turning back round a clock hand."""
    c = Canvas(16, 16)
    arc = lambda x, y: ring(8, 8.5, 6.5, 1.7)(x, y) and sector(8, 8.5, 135, 90)(x, y)  # noqa: E731
    c.paint(arc, WHITE)
    c.paint(polygon([(0.8, 3.0), (5.6, 2.6), (2.6, 7.2)]), WHITE)
    c.paint(segment(8, 8.5, 8, 5, 1.4), WHITE)
    c.paint(segment(8, 8.5, 10.5, 10, 1.4), WHITE)
    return c


def settings_title():
    """White on the blue title strip: a gear with eight teeth."""
    c = Canvas(16, 16)
    teeth = lambda x, y: (  # noqa: E731
        math.hypot(x - 8, y - 8) <= 7.3 and
        (math.degrees(math.atan2(y - 8, x - 8)) % 45) < 22.5)
    c.paint(minus(lambda x, y: circle(8, 8, 5.4)(x, y) or teeth(x, y), circle(8, 8, 2.4)), WHITE)
    return c


def globe(brighter):
    c = Canvas(32, 32)
    base = shade(BLUE, 0.25) if brighter else BLUE
    c.paint(circle(16, 16, 14), vertical(shade(base, 0.45), shade(base, -0.1), 2, 30))
    line = shade(base, 0.75)
    c.paint(ring(16, 16, 14, 1.3), shade(base, -0.35))
    c.paint(minus(lambda x, y: ((x - 16) / 6.0) ** 2 + ((y - 16) / 13.5) ** 2 <= 1,
                  lambda x, y: ((x - 16) / 4.8) ** 2 + ((y - 16) / 12.3) ** 2 <= 1), line)
    c.paint(rect(2.5, 15.3, 29.5, 16.7), line)
    c.paint(minus(circle(16, 16, 13), lambda x, y: not (8.6 <= y <= 9.8)), line)
    c.paint(minus(circle(16, 16, 13), lambda x, y: not (22.2 <= y <= 23.4)), line)
    # A small orange arrow back to the default: bottom right.
    arrow = shade(ORANGE, 0.2) if brighter else ORANGE
    c.paint(circle(25, 25, 6.5), WHITE)
    c.paint(lambda x, y: ring(25, 25, 4.6, 1.6)(x, y) and sector(25, 25, 120, 60)(x, y), arrow)
    c.paint(polygon([(20.0, 19.6), (24.0, 21.0), (20.4, 23.6)]), arrow)
    return c


def monitor(brighter):
    c = Canvas(32, 32)
    frame = (0x3D, 0x3D, 0x3E, 255)
    screen = shade(GREEN, 0.25) if brighter else GREEN
    c.paint(rounded(1, 3, 31, 24, 2.5), frame)
    c.paint(rect(3.5, 5.5, 28.5, 21.5), vertical(shade(screen, 0.4), shade(screen, -0.15), 5.5, 21.5))
    c.paint(rect(13.5, 24, 18.5, 27.5), frame)
    c.paint(rounded(8, 27, 24, 30, 1.2), frame)
    # A gauge on the screen, its needle back at the start.
    c.paint(lambda x, y: ring(16, 18.5, 9, 1.8)(x, y) and y <= 18.5, WHITE)
    c.paint(segment(16, 18.5, 10.2, 14.0, 1.8), WHITE)
    c.paint(circle(16, 18.5, 1.8), WHITE)
    return c


def check_box(ticked):
    c = Canvas(13, 13)
    c.paint(rounded(0, 0, 13, 13, 2), (0x8C, 0x8C, 0x8C, 255))
    c.paint(rounded(1, 1, 12, 12, 1.5), vertical(WHITE, (0xEC, 0xEC, 0xEC, 255), 1, 12))
    if ticked:
        ink = (0x1A, 0x66, 0xA2, 255)
        c.paint(segment(3.0, 6.6, 5.4, 9.2, 1.9), ink)
        c.paint(segment(5.4, 9.2, 10.0, 3.6, 1.9), ink)
    return c


def main():
    write_png("restore_title.png", restore_title())
    write_png("settings_title.png", settings_title())
    write_png("restore_internet.png", globe(False))
    write_png("restore_internet_hot.png", globe(True))
    write_png("restore_system.png", monitor(False))
    write_png("restore_system_hot.png", monitor(True))
    write_png("check_off.png", check_box(False))
    write_png("check_on.png", check_box(True))


if __name__ == "__main__":
    main()
