#!/usr/bin/env python3
"""Draws the artwork of the Customize Scan dialog and of the Internet Speed and System Speed
pages and writes it next to this script, all 32-bit PNG with alpha:

  customize_title.png   the picture before the dialog's title (white on the blue strip)
  customize_reset.png   the face of "Reset"
  optim_internet.png    the Internet Speed page's header picture
  optim_system.png      the System Speed page's header picture
  optim_inet_*.png      the five internet category icons
  optim_sys_*.png       the four system category icons
  optim_details.png     the face of "View Details"
  optim_check_off.png, optim_check_on.png   the faces of the category check boxes

It draws with the shapes and the canvas of make_results_art.py (same folder), so the files can
be made again on any machine with Python 3 alone:  python3 make_optimizer_art.py
"""
import math

from make_results_art import (Canvas, button_face, circle, minus, polygon, rect, rounded, segment,
                              shade, vertical, write_png)

BLUE = (0x1A, 0x66, 0xA2, 255)
LIGHT_BLUE = (0x52, 0xB9, 0xFA, 255)
GREEN = (0x2D, 0xB5, 0x41, 255)
ORANGE = (0xEA, 0x71, 0x00, 255)
GREY = (0x3D, 0x3D, 0x3E, 255)
WHITE = (255, 255, 255, 255)


def ring(cx, cy, r, width):
    return minus(circle(cx, cy, r), circle(cx, cy, r - width))


def arc(cx, cy, r, width, start, end):
    """A ring from angle start to end (degrees, 0 to the right, counter-clockwise, y up)."""
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if not (r - width <= d <= r):
            return False
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return start <= a <= end if start <= end else a >= start or a <= end
    return inside


def customize_title(size=14):
    """Three ticked lines of a list, white."""
    c = Canvas(size, size)
    for row in range(3):
        y = 2.5 + row * 4.2
        c.paint(polygon([(0.8, y), (2.0, y + 1.3), (4.2, y - 1.2), (4.8, y - 0.6), (2.0, y + 2.5), (0.2, y + 0.6)]),
                WHITE)
        c.paint(rounded(6, y - 0.8, 13.5, y + 0.9, 0.8), WHITE)
    return c


def speed_gauge(c, cx, cy, r, colour):
    """A half-round gauge with its needle to the right: speed."""
    c.paint(arc(cx, cy, r, r * 0.28, 0, 180), colour)
    c.paint(arc(cx, cy, r, r * 0.28, 0, 45), ORANGE)
    c.paint(segment(cx, cy, cx + r * 0.62, cy - r * 0.55, max(1.4, r * 0.16)), GREY)
    c.paint(circle(cx, cy, r * 0.16), GREY)


def internet_header(size=30):
    """A globe with a gauge over it."""
    c = Canvas(size, size)
    s = size / 30.0
    c.paint(circle(13 * s, 16 * s, 12 * s), vertical(shade(LIGHT_BLUE, 0.2), BLUE, 4 * s, 28 * s))
    line = shade(BLUE, -0.35)
    c.paint(ring(13 * s, 16 * s, 12 * s, 1.2 * s), line)
    c.paint(minus(lambda x, y: ((x - 13 * s) / (5 * s)) ** 2 + ((y - 16 * s) / (12 * s)) ** 2 <= 1,
                  lambda x, y: ((x - 13 * s) / (3.8 * s)) ** 2 + ((y - 16 * s) / (10.8 * s)) ** 2 <= 1), line)
    c.paint(rect(1.5 * s, 15.4 * s, 24.5 * s, 16.6 * s), line)
    c.paint(rounded(15 * s, 1 * s, 29.5 * s, 14 * s, 2 * s), (255, 255, 255, 235))
    speed_gauge(c, 22.2 * s, 11.5 * s, 6.3 * s, GREEN)
    return c


def system_header(size=30):
    """A monitor with a gauge on its screen."""
    c = Canvas(size, size)
    s = size / 30.0
    c.paint(rounded(1 * s, 3 * s, 29 * s, 23 * s, 2 * s), GREY)
    c.paint(rect(3 * s, 5 * s, 27 * s, 21 * s), vertical((0xE8, 0xF5, 0xFD, 255), (0xBF, 0xE2, 0xF8, 255), 5 * s, 21 * s))
    c.paint(rect(12.5 * s, 23 * s, 17.5 * s, 26 * s), GREY)
    c.paint(rounded(8 * s, 25.5 * s, 22 * s, 28.5 * s, 1.2 * s), GREY)
    speed_gauge(c, 15 * s, 17.5 * s, 9 * s, GREEN)
    return c


def icon_base(size=24):
    c = Canvas(size, size)
    c.paint(rounded(0.5, 0.5, size - 0.5, size - 0.5, 5), vertical((0xF4, 0xF9, 0xFD, 255), (0xDC, 0xEB, 0xF6, 255), 0, size))
    c.paint(minus(rounded(0.5, 0.5, size - 0.5, size - 0.5, 5), rounded(1.5, 1.5, size - 1.5, size - 1.5, 4)),
            (0xB5, 0xCF, 0xE4, 255))
    return c


def networking_icon():
    """Three linked nodes."""
    c = icon_base()
    for a, b in (((7, 7), (17, 7)), ((7, 7), (12, 17)), ((17, 7), (12, 17))):
        c.paint(segment(a[0], a[1], b[0], b[1], 1.6), GREY)
    for x, y, col in ((7, 7, BLUE), (17, 7, GREEN), (12, 17, ORANGE)):
        c.paint(circle(x, y, 3.4), col)
        c.paint(circle(x - 0.9, y - 0.9, 1.1), (255, 255, 255, 120))
    return c


def winsock_icon():
    """A plug and its socket."""
    c = icon_base()
    c.paint(rounded(4, 8, 12, 16, 2), BLUE)
    c.paint(rect(1.5, 10.6, 4.5, 13.4), GREY)
    c.paint(rect(12, 9.5, 14.5, 10.8), GREY)
    c.paint(rect(12, 13.2, 14.5, 14.5), GREY)
    c.paint(rounded(15, 7, 22, 17, 2), GREEN)
    c.paint(rect(15, 9.5, 17, 10.8), (0xF0, 0xF7, 0xFC, 255))
    c.paint(rect(15, 13.2, 17, 14.5), (0xF0, 0xF7, 0xFC, 255))
    return c


def browser_icon():
    """A browser window with a globe."""
    c = icon_base()
    c.paint(rounded(3, 4, 21, 20, 2), GREY)
    c.paint(rect(4.2, 7.5, 19.8, 18.8), WHITE)
    for i, col in enumerate((ORANGE, GREEN, LIGHT_BLUE)):
        c.paint(circle(5.8 + i * 2.4, 5.8, 0.8), col)
    c.paint(circle(12, 13.2, 4.6), vertical(LIGHT_BLUE, BLUE, 8.6, 17.8))
    c.paint(rect(7.4, 12.7, 16.6, 13.7), (255, 255, 255, 200))
    c.paint(minus(lambda x, y: ((x - 12) / 2.0) ** 2 + ((y - 13.2) / 4.6) ** 2 <= 1,
                  lambda x, y: ((x - 12) / 1.2) ** 2 + ((y - 13.2) / 3.8) ** 2 <= 1), (255, 255, 255, 200))
    return c


def workstation_icon():
    """A desktop computer."""
    c = icon_base()
    c.paint(rounded(3, 4, 16, 14, 1.2), GREY)
    c.paint(rect(4.2, 5.2, 14.8, 12.8), vertical(LIGHT_BLUE, BLUE, 5, 13))
    c.paint(rect(8.3, 14, 10.7, 16.5), GREY)
    c.paint(rounded(5.5, 16.2, 13.5, 18, 0.8), GREY)
    c.paint(rounded(17, 4, 21.5, 20, 1.2), GREY)
    c.paint(rect(18, 6, 20.5, 7), GREEN)
    c.paint(rect(18, 8.5, 20.5, 9.5), (0x9A, 0x9A, 0x9A, 255))
    return c


def dns_icon():
    """A stack of three servers."""
    c = icon_base()
    for i, col in enumerate((BLUE, BLUE, BLUE)):
        y = 4 + i * 5.6
        c.paint(rounded(4, y, 20, y + 4.6, 1.2), vertical(shade(col, 0.25), col, y, y + 4.6))
        c.paint(circle(7, y + 2.3, 0.9), GREEN)
        c.paint(rect(10, y + 1.8, 17.5, y + 2.8), (255, 255, 255, 170))
    return c


def power_icon():
    """The power sign: start and shutdown."""
    c = icon_base()
    c.paint(minus(arc(12, 13, 7.5, 2.2, 120, 60), lambda x, y: False), GREEN)
    c.paint(rounded(10.9, 3.5, 13.1, 12.5, 1.1), GREEN)
    return c


def stability_icon():
    """A shield with a tick."""
    c = icon_base()
    shield = polygon([(12, 3), (20, 6), (19, 13), (12, 21), (5, 13), (4, 6)])
    c.paint(shield, vertical(shade(GREEN, 0.2), shade(GREEN, -0.15), 3, 21))
    c.paint(polygon([(8, 11.5), (10.8, 14.5), (16.5, 8), (17.6, 9.2), (10.8, 16.8), (6.9, 12.7)]), WHITE)
    return c


def display_icon():
    """A monitor with a bright picture."""
    c = icon_base()
    c.paint(rounded(2.5, 4, 21.5, 17, 1.5), GREY)
    c.paint(rect(4, 5.5, 20, 15.5), vertical((0xFF, 0xC8, 0x5A, 255), ORANGE, 5.5, 15.5))
    c.paint(polygon([(4, 15.5), (9, 10), (12, 13), (15, 9.5), (20, 15.5)]), shade(GREEN, -0.1))
    c.paint(circle(16.5, 8, 1.5), (255, 255, 255, 230))
    c.paint(rect(10.5, 17, 13.5, 19), GREY)
    c.paint(rounded(7, 18.6, 17, 20.4, 0.8), GREY)
    return c


def io_icon():
    """A hard disk with arrows in and out."""
    c = icon_base()
    c.paint(rounded(3, 9, 21, 20, 2), vertical((0xB8, 0xC0, 0xC8, 255), (0x7A, 0x84, 0x8E, 255), 9, 20))
    c.paint(circle(17.5, 16.5, 1.2), GREEN)
    c.paint(rect(5.5, 15.8, 13, 17), (0x5A, 0x62, 0x6A, 255))
    c.paint(polygon([(6, 7.5), (9, 3), (12, 7.5)]), BLUE)
    c.paint(rect(8.2, 7, 9.8, 9.5), BLUE)
    c.paint(polygon([(12.5, 3.5), (17.5, 3.5), (15, 8)]), ORANGE)
    c.paint(rect(14.2, 1.5, 15.8, 4), ORANGE)
    return c


def check_face(ticked, size=16):
    """A rounded box, ticked in green or empty."""
    c = Canvas(size, size)
    c.paint(rounded(0.5, 0.5, size - 0.5, size - 0.5, 3), (0x8C, 0x9B, 0xA8, 255))
    c.paint(rounded(1.5, 1.5, size - 1.5, size - 1.5, 2.2), vertical(WHITE, (0xE6, 0xEE, 0xF4, 255), 1, size - 1))
    if ticked:
        c.paint(polygon([(3.4, 8.2), (6.6, 11.4), (12.6, 4.2), (13.8, 5.4), (6.6, 13.6), (2.2, 9.4)]),
                shade(GREEN, -0.1))
    return c


def main():
    write_png("customize_title.png", customize_title())
    write_png("customize_reset.png", button_face(60, 20, BLUE))
    write_png("optim_internet.png", internet_header())
    write_png("optim_system.png", system_header())
    write_png("optim_inet_networking.png", networking_icon())
    write_png("optim_inet_winsock.png", winsock_icon())
    write_png("optim_inet_explorer.png", browser_icon())
    write_png("optim_inet_workstation.png", workstation_icon())
    write_png("optim_inet_dns.png", dns_icon())
    write_png("optim_sys_startup.png", power_icon())
    write_png("optim_sys_stability.png", stability_icon())
    write_png("optim_sys_display.png", display_icon())
    write_png("optim_sys_io.png", io_icon())
    write_png("optim_details.png", button_face(96, 24, (0x2B, 0x8C, 0xD2, 255)))
    write_png("optim_check_off.png", check_face(False))
    write_png("optim_check_on.png", check_face(True))


if __name__ == "__main__":
    main()
