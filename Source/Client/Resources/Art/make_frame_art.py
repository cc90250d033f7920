#!/usr/bin/env python3
"""Draws the artwork of the program's main window and writes it next to this script: the
program icon (Velmora.ico, 16/32/48 pixels), the navigation icons (nav_*.png, 40 pixels) and the
caption-strip icons (caption_*.png, 16 pixels), all 32-bit with alpha.

Every shape is drawn here with plain arithmetic (4 x 4 supersampling for smooth edges), so the
files can be made again on any machine with Python 3 alone:  python3 make_frame_art.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 4


class Canvas:
    """RGBA pixels, composited with 'over'."""

    def __init__(self, size):
        self.size = size
        self.px = [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]

    def paint(self, inside, colour):
        """Fills the shape inside(x, y) (coordinates 0..1 over the canvas) with colour (RGBA);
        colour may also be a function of (x, y)."""
        n = self.size
        for y in range(n):
            for x in range(n):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        u = (x + (sx + 0.5) / SAMPLES) / n
                        v = (y + (sy + 0.5) / SAMPLES) / n
                        if inside(u, v):
                            hits += 1
                if not hits:
                    continue
                c = colour((x + 0.5) / n, (y + 0.5) / n) if callable(colour) else colour
                a = c[3] / 255.0 * hits / float(SAMPLES * SAMPLES)
                r0, g0, b0, a0 = self.px[y][x]
                a0 /= 255.0
                out = a + a0 * (1 - a)
                if out <= 0:
                    continue
                mixc = [(c[i] * a + (r0, g0, b0)[i] * a0 * (1 - a)) / out for i in range(3)]
                self.px[y][x] = (int(round(mixc[0])), int(round(mixc[1])), int(round(mixc[2])),
                                 int(round(out * 255)))


# --- shapes (unit coordinates) --------------------------------------------------------------

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, w):
    return lambda x, y: (r - w) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def segment(ax, ay, bx, by, w):
    """A thick line with round ends."""
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (w / 2) ** 2
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


def arc(cx, cy, r, w, start, end):
    """A ring segment between two angles in degrees (0 = right, counter-clockwise on screen)."""
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if not (r - w <= d <= r):
            return False
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        s, e = start % 360, end % 360
        return s <= a <= e if s <= e else a >= s or a <= e
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, *holes):
    return lambda x, y: shape(x, y) and not any(h(x, y) for h in holes)


WHITE = (255, 255, 255, 255)
SOFT = (255, 255, 255, 150)
CAPTION = (255, 255, 255, 235)


def vertical(top, bottom):
    return lambda x, y: tuple(int(round(top[i] + (bottom[i] - top[i]) * y)) for i in range(4))


# --- the program icon: a blue tile with a white check mark over a scan arc -------------------

def draw_program_icon(size):
    c = Canvas(size)
    c.paint(rounded(0.03, 0.03, 0.97, 0.97, 0.2), vertical((0x59, 0xC8, 0xEE, 255), (0x1A, 0x66, 0xA2, 255)))
    c.paint(arc(0.5, 0.52, 0.36, 0.07, 20, 160), SOFT)
    c.paint(union(segment(0.27, 0.55, 0.44, 0.72, 0.13), segment(0.44, 0.72, 0.76, 0.36, 0.13)), WHITE)
    return c


# --- navigation icons (white glyphs for the blue column) -------------------------------------

def nav_scanner(c):
    c.paint(ring(0.42, 0.42, 0.28, 0.08), WHITE)
    c.paint(circle(0.42, 0.42, 0.2), (255, 255, 255, 60))
    c.paint(segment(0.62, 0.62, 0.86, 0.86, 0.13), WHITE)


def nav_booster(c):
    c.paint(polygon([(0.56, 0.06), (0.22, 0.56), (0.46, 0.56), (0.38, 0.94), (0.78, 0.40),
                     (0.53, 0.40), (0.64, 0.06)]), WHITE)


def nav_defrag(c):
    for i, (x, y) in enumerate([(0.12, 0.12), (0.54, 0.12), (0.12, 0.54), (0.54, 0.54)]):
        c.paint(rounded(x, y, x + 0.34, y + 0.34, 0.06), WHITE if i != 1 else SOFT)


def nav_startup(c):
    c.paint(arc(0.5, 0.54, 0.36, 0.1, 120, 420), WHITE)
    c.paint(segment(0.5, 0.12, 0.5, 0.5, 0.11), WHITE)


def nav_uninstaller(c):
    c.paint(rounded(0.22, 0.3, 0.78, 0.92, 0.06), WHITE)
    c.paint(rect(0.14, 0.18, 0.86, 0.25), WHITE)
    c.paint(rect(0.4, 0.08, 0.6, 0.18), WHITE)
    for x in (0.36, 0.5, 0.64):
        c.paint(rect(x - 0.025, 0.4, x + 0.025, 0.82), (0x1A, 0x66, 0xA2, 255))


# --- caption-strip icons ---------------------------------------------------------------------

def caption_settings(c):
    teeth = []
    for k in range(8):
        a = math.radians(k * 45)
        teeth.append(segment(0.5, 0.5, 0.5 + 0.4 * math.cos(a), 0.5 + 0.4 * math.sin(a), 0.16))
    c.paint(minus(union(circle(0.5, 0.5, 0.3), *teeth), circle(0.5, 0.5, 0.13)), CAPTION)


def caption_about(c):
    c.paint(minus(circle(0.5, 0.5, 0.46), rect(0.42, 0.42, 0.58, 0.8), circle(0.5, 0.27, 0.085)), CAPTION)


def caption_restore(c):
    c.paint(arc(0.5, 0.52, 0.4, 0.14, 200, 520), CAPTION)
    c.paint(polygon([(0.02, 0.34), (0.36, 0.34), (0.12, 0.66)]), CAPTION)


# --- file formats ----------------------------------------------------------------------------

def png_bytes(c):
    raw = bytearray()
    for row in c.px:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", c.size, c.size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk(b"IEND", b""))


def ico_image(c):
    """A 32-bit DIB image of an icon directory entry: BITMAPINFOHEADER (double height), BGRA rows
    bottom-up, then the AND mask (rows padded to 32 bits)."""
    n = c.size
    header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(c.px):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(c.px):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def write_ico(name, canvases):
    images = [ico_image(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.size % 256, c.size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(out)


def write_png(name, size, draw):
    c = Canvas(size)
    draw(c)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(png_bytes(c))


def main():
    write_ico("Velmora.ico", [draw_program_icon(s) for s in (16, 32, 48)])
    for name, draw in [("nav_scanner", nav_scanner), ("nav_booster", nav_booster), ("nav_defrag", nav_defrag),
                       ("nav_startup", nav_startup), ("nav_uninstaller", nav_uninstaller)]:
        write_png(name + ".png", 40, draw)
    for name, draw in [("caption_settings", caption_settings), ("caption_about", caption_about),
                       ("caption_restore", caption_restore)]:
        write_png(name + ".png", 16, draw)


if __name__ == "__main__":
    main()
