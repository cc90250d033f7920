#!/usr/bin/env python3
"""Draws the System Booster page's artwork and writes it next to this script, all 32-bit PNG
with alpha: the pictures beside its two headings (48 x 48: a rocket over a speed gauge for
"How does it Boost?", a pointer over a round button for "Works with Single-Click"), and the
power sign both switch buttons carry (20 x 20, white with a soft dark rim, so it reads on the
orange ON face and on the grey OFF face alike).

It draws with the canvas and shapes of make_results_art.py (plain arithmetic over pixel
coordinates with supersampling), so Python 3 alone makes the files again:
    python3 make_booster_art.py
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_results_art import Canvas, circle, minus, polygon, rect, rounded, segment, shade, vertical, write_png  # noqa: E402

WHITE = (255, 255, 255, 255)
BLUE = (0x00, 0x71, 0xEA, 255)     # the page's subtitle blue
ORANGE = (0xFF, 0x96, 0x00, 255)   # the ON button's orange
GREY = (0x6F, 0x6F, 0x6F, 255)


def ring(cx, cy, r, w):
    return minus(circle(cx, cy, r), circle(cx, cy, r - w))


def sector(cx, cy, start, end):
    """Angles in degrees, counter-clockwise from the right, y pointing down."""
    def inside(x, y):
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return (a - start) % 360 <= (end - start) % 360
    return inside


def boost():
    """A blue disc holding a white speed gauge whose orange needle stands near the top."""
    c = Canvas(48, 48)
    c.paint(circle(24, 24, 22), vertical(shade(BLUE, 0.35), shade(BLUE, -0.15), 2, 46))
    c.paint(ring(24, 24, 22, 1.5), shade(BLUE, -0.3))
    dial = lambda x, y: ring(24, 28, 14, 3.2)(x, y) and sector(24, 28, -20, 200)(x, y)  # noqa: E731
    c.paint(dial, WHITE)
    # The fast end of the dial in orange.
    c.paint(lambda x, y: ring(24, 28, 14, 3.2)(x, y) and sector(24, 28, -20, 35)(x, y), ORANGE)
    for angle in (200, 145, 90, 35):
        a = math.radians(angle)
        c.paint(segment(24 + 9 * math.cos(a), 28 - 9 * math.sin(a),
                        24 + 6.5 * math.cos(a), 28 - 6.5 * math.sin(a), 1.6), WHITE)
    needle = math.radians(50)
    c.paint(segment(24, 28, 24 + 11 * math.cos(needle), 28 - 11 * math.sin(needle), 2.6), ORANGE)
    c.paint(circle(24, 28, 3.2), WHITE)
    c.paint(circle(24, 28, 1.6), ORANGE)
    return c


def single_click():
    """A round orange button with the power sign, and a white pointer pressing it."""
    c = Canvas(48, 48)
    c.paint(circle(21, 21, 18), vertical(shade(ORANGE, 0.3), shade(ORANGE, -0.12), 3, 39))
    c.paint(ring(21, 21, 18, 1.5), shade(ORANGE, -0.3))
    c.paint(lambda x, y: ring(21, 22, 8.5, 2.6)(x, y) and not sector(21, 22, 60, 120)(x, y), WHITE)
    c.paint(rounded(19.7, 9.5, 22.3, 21, 1.3), WHITE)
    # The pointer, its tip on the button's rim.
    tip = [(30, 26), (30, 45), (34.5, 40.5), (38, 47.5), (41.5, 45.8), (38.2, 39), (44.5, 39)]
    c.paint(polygon([(x - 0.0, y) for x, y in tip]), shade(GREY, -0.35))
    inner = [(31.6, 29.6), (31.6, 41.4), (34.9, 38.1), (38.6, 45.6), (40.0, 44.9), (36.3, 37.4), (41.0, 37.4)]
    c.paint(polygon(inner), WHITE)
    return c


def power_sign():
    """The power sign: an open ring with a bar through its gap."""
    c = Canvas(20, 20)
    rim = (0, 0, 0, 70)
    arc = lambda w: lambda x, y: ring(10, 10.8, 7.2 + (w - 2.2) / 2, w)(x, y) and not sector(10, 10.8, 55, 125)(x, y)  # noqa: E731
    c.paint(arc(3.4), rim)
    c.paint(rounded(8.2, 1.4, 11.8, 11.6, 1.8), rim)
    c.paint(arc(2.2), WHITE)
    c.paint(rounded(8.9, 2.1, 11.1, 10.9, 1.1), WHITE)
    return c


def main():
    write_png("booster_boost.png", boost())
    write_png("booster_click.png", single_click())
    write_png("booster_power.png", power_sign())


if __name__ == "__main__":
    main()
