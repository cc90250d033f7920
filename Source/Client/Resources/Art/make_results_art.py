#!/usr/bin/env python3
"""Draws the artwork of the registry and junk results pages and writes it next to this script:
the faces of their buttons ("Back", and the hidden "Fix" and "Clean"), the pictures beside
their headings, all 32-bit PNG with alpha, and the junk tree's group images (24-bit BMP, white
is transparent).

Every shape is plain arithmetic over pixel coordinates with 4 x 4 supersampling, so the files
can be made again on any machine with Python 3 alone:  python3 make_results_art.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 4


class Canvas:
    """width x height RGBA pixels, composited with 'over'."""

    def __init__(self, width, height, background=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.px = [[background for _ in range(width)] for _ in range(height)]

    def paint(self, inside, colour):
        """Fills the shape inside(x, y) (pixel coordinates) with colour (RGBA, or a function of
        (x, y) giving one)."""
        for y in range(self.height):
            for x in range(self.width):
                hits = sum(1 for sy in range(SAMPLES) for sx in range(SAMPLES)
                           if inside(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES))
                if not hits:
                    continue
                c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                a = c[3] / 255.0 * hits / float(SAMPLES * SAMPLES)
                r0, g0, b0, a0 = self.px[y][x]
                a0 /= 255.0
                out = a + a0 * (1 - a)
                if out <= 0:
                    continue
                mixed = [(c[i] * a + (r0, g0, b0)[i] * a0 * (1 - a)) / out for i in range(3)]
                self.px[y][x] = tuple(int(round(v)) for v in mixed) + (int(round(out * 255)),)


# --- shapes (pixel coordinates) -------------------------------------------------------------

def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def segment(ax, ay, bx, by, w):
    def inside(x, y):
        vx, vy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)))
        return math.hypot(x - (ax + t * vx), y - (ay + t * vy)) <= w / 2.0
    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def minus(shape, *holes):
    return lambda x, y: shape(x, y) and not any(h(x, y) for h in holes)


def vertical(top, bottom, y0, y1):
    """A colour function: top at y0 to bottom at y1."""
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / float(y1 - y0)))
        return tuple(int(round(top[i] + (bottom[i] - top[i]) * t)) for i in range(4))
    return colour


def shade(colour, amount):
    """colour made darker (amount < 0) or lighter (amount > 0)."""
    target = 0 if amount < 0 else 255
    return tuple(int(round(c + (target - c) * abs(amount))) for c in colour[:3]) + colour[3:]


# --- the pictures ---------------------------------------------------------------------------

def button_face(width, height, colour, arrow=False):
    """A rounded face with a light top and a darker rim; the caption is drawn over it by the
    program. With arrow, a back arrow at the left."""
    c = Canvas(width, height)
    c.paint(rounded(0, 0, width, height, 4), shade(colour, -0.25))
    c.paint(rounded(1, 1, width - 1, height - 1, 3),
            vertical(shade(colour, 0.30), colour, 1, height - 1))
    c.paint(rounded(2, 2, width - 2, height / 2.0, 2), shade(colour, 0.45)[:3] + (70,))
    if arrow:
        mid = height / 2.0
        white = (255, 255, 255, 235)
        c.paint(polygon([(5, mid), (11, mid - 5), (11, mid + 5)]), white)
        c.paint(rect(10, mid - 1.6, 16, mid + 1.6), white)
    return c


def registry_picture(size=30):
    """Three stacked cubes (the registry's keys) in the program's blues and green."""
    c = Canvas(size, size)
    s = size / 30.0

    def cube(x, y, w, face):
        top = polygon([(x, y + w * 0.25), (x + w / 2, y), (x + w, y + w * 0.25), (x + w / 2, y + w * 0.5)])
        left = polygon([(x, y + w * 0.25), (x + w / 2, y + w * 0.5), (x + w / 2, y + w * 1.1), (x, y + w * 0.85)])
        right = polygon([(x + w / 2, y + w * 0.5), (x + w, y + w * 0.25), (x + w, y + w * 0.85),
                         (x + w / 2, y + w * 1.1)])
        c.paint(top, shade(face, 0.35))
        c.paint(left, face)
        c.paint(right, shade(face, -0.25))

    cube(1 * s, 12 * s, 14 * s, (0x1A, 0x66, 0xA2, 255))
    cube(15 * s, 12 * s, 14 * s, (0x2D, 0xB5, 0x41, 255))
    cube(8 * s, 1 * s, 14 * s, (0x52, 0xB9, 0xFA, 255))
    return c


def junk_picture(size=30):
    """A waste bin with its lid lifted and a sparkle: the junk that is found."""
    c = Canvas(size, size)
    s = size / 30.0
    body = (0x2D, 0xB5, 0x41, 255)
    c.paint(polygon([(7 * s, 10 * s), (23 * s, 10 * s), (21 * s, 28 * s), (9 * s, 28 * s)]),
            vertical(shade(body, 0.25), shade(body, -0.2), 10 * s, 28 * s))
    for x in (11.5, 15, 18.5):
        c.paint(segment(x * s, 13 * s, x * s, 25 * s, 1.4 * s), shade(body, -0.35))
    c.paint(rounded(5 * s, 6 * s, 25 * s, 9 * s, 1.2 * s), shade(body, -0.1))
    c.paint(rounded(12 * s, 3.5 * s, 18 * s, 6.5 * s, 1 * s), shade(body, -0.1))
    star = (0xEA, 0x71, 0x00, 255)
    c.paint(polygon([(26 * s, 1 * s), (27 * s, 4 * s), (30 * s, 5 * s), (27 * s, 6 * s), (26 * s, 9 * s),
                     (25 * s, 6 * s), (22 * s, 5 * s), (25 * s, 4 * s)]), star)
    return c


# The junk tree's group images, one 18 x 17 cell each: 0 blank, then the groups by their image
# number: 1 Internet Explorer, 2 Mozilla Firefox, 3 Google Chrome, 4 Windows System, 5 Microsoft
# Edge. The browsers are plain globes told apart by colour; Windows is a monitor.
GLOBE_COLOURS = {1: (0x1A, 0x66, 0xA2), 2: (0xEA, 0x71, 0x00), 3: (0x2D, 0xB5, 0x41), 5: (0x0F, 0x8C, 0x9E)}


def globe_cell(colour):
    c = Canvas(18, 17, (255, 255, 255, 255))
    rgba = colour + (255,)
    c.paint(circle(9, 8.5, 7.5), vertical(shade(rgba, 0.35), shade(rgba, -0.15), 1, 16))
    line = shade(rgba, -0.45)
    c.paint(minus(circle(9, 8.5, 7.5), circle(9, 8.5, 6.6)), line)
    c.paint(minus(lambda x, y: ((x - 9) / 3.2) ** 2 + ((y - 8.5) / 7.5) ** 2 <= 1,
                  lambda x, y: ((x - 9) / 2.4) ** 2 + ((y - 8.5) / 6.7) ** 2 <= 1), line)
    c.paint(rect(1.5, 8.0, 16.5, 9.0), line)
    c.paint(minus(circle(9, 8.5, 7.0), lambda x, y: y < 4.2 or y > 5.0), line)
    c.paint(minus(circle(9, 8.5, 7.0), lambda x, y: y < 12.0 or y > 12.8), line)
    return c


def monitor_cell():
    c = Canvas(18, 17, (255, 255, 255, 255))
    frame = (0x3D, 0x3D, 0x3E, 255)
    c.paint(rounded(1, 1.5, 17, 12.5, 1.5), frame)
    c.paint(rect(2.5, 3, 15.5, 11), vertical((0x59, 0xC8, 0xEE, 255), (0x1A, 0x66, 0xA2, 255), 3, 11))
    c.paint(rect(7.5, 12.5, 10.5, 14.5), frame)
    c.paint(rounded(4.5, 14.2, 13.5, 16, 0.8), frame)
    return c


# --- file formats ---------------------------------------------------------------------------

def png_bytes(c):
    raw = bytearray()
    for row in c.px:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", c.width, c.height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk(b"IEND", b""))


def write_png(name, canvas):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(png_bytes(canvas))


def write_bmp(name, cells):
    """The cells side by side as one 24-bit bottom-up BMP; alpha is flattened onto white, and a
    drawn pixel that comes out pure white is moved a hair off it (white is transparent)."""
    width = sum(c.width for c in cells)
    height = cells[0].height
    stride = (width * 3 + 3) & ~3
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for c in cells:
            for r, g, b, a in c.px[y]:
                t = a / 255.0
                rgb = tuple(int(round(v * t + 255 * (1 - t))) for v in (r, g, b))
                if rgb == (255, 255, 255) and (r, g, b, a) != (255, 255, 255, 255):
                    rgb = (254, 254, 254)
                row += bytes((rgb[2], rgb[1], rgb[0]))
        row += b"\0" * (stride - len(row))
        rows += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + rows)


def main():
    write_png("results_back.png", button_face(65, 23, (0x1A, 0x66, 0xA2, 255), arrow=True))
    write_png("results_fix.png", button_face(107, 39, (0xFF, 0x96, 0x00, 255)))
    write_png("results_clean.png", button_face(107, 39, (0x2B, 0xC3, 0x12, 255)))
    write_png("results_registry.png", registry_picture())
    write_png("results_junk.png", junk_picture())
    cells = [Canvas(18, 17, (255, 255, 255, 255))]
    for image in range(1, 6):
        cells.append(monitor_cell() if image == 4 else globe_cell(GLOBE_COLOURS[image]))
    write_bmp("junktreeimages.bmp", cells)


if __name__ == "__main__":
    main()
