#!/usr/bin/env python3
"""Draws the artwork of the System Scan page and writes it next to this script: the emblem at
the left of the rows' header band (a green shield with a tick, 24 x 24) and the magnifier on
the "Scan" button (white, 18 x 18), both 32-bit PNG with alpha.

The shapes and the PNG writer are those of make_results_art.py in this folder; run with
Python 3 alone:  python3 make_scan_art.py
"""
from make_results_art import Canvas, circle, minus, polygon, segment, vertical, write_png


def emblem(size=24):
    c = Canvas(size, size)
    s = size / 24.0
    shield = polygon([(3 * s, 3 * s), (12 * s, 0.5 * s), (21 * s, 3 * s), (20 * s, 13 * s),
                      (12 * s, 23.5 * s), (4 * s, 13 * s)])
    c.paint(shield, vertical((0x4C, 0xD2, 0x5E, 255), (0x1E, 0x96, 0x32, 255), 0, size))
    inner = polygon([(5 * s, 4.6 * s), (12 * s, 2.6 * s), (19 * s, 4.6 * s), (18.2 * s, 12.6 * s),
                     (12 * s, 20.8 * s), (5.8 * s, 12.6 * s)])
    c.paint(inner, (255, 255, 255, 60))
    c.paint(segment(7.5 * s, 12 * s, 10.8 * s, 15.5 * s, 2.4 * s), (255, 255, 255, 255))
    c.paint(segment(10.8 * s, 15.5 * s, 16.8 * s, 7.8 * s, 2.4 * s), (255, 255, 255, 255))
    return c


def magnifier(size=18):
    c = Canvas(size, size)
    s = size / 18.0
    ring = minus(circle(7 * s, 7 * s, 6 * s), circle(7 * s, 7 * s, 4.1 * s))
    c.paint(ring, (255, 255, 255, 255))
    c.paint(circle(7 * s, 7 * s, 4.1 * s), (255, 255, 255, 70))
    c.paint(segment(11.2 * s, 11.2 * s, 16.5 * s, 16.5 * s, 2.8 * s), (255, 255, 255, 255))
    return c


def main():
    write_png("scan_emblem.png", emblem())
    write_png("scan_glyph.png", magnifier())


if __name__ == "__main__":
    main()
