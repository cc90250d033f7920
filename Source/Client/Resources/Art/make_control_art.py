#!/usr/bin/env python3
"""Draws the artwork of the skin's picture, overlay and tree controls and writes it next to this
script: the busy spinner and the scan-row animation (animated GIF89a), and the check-box states and
the tree item images (24-bit BMP).

Everything is drawn here with plain arithmetic (4 x 4 supersampling for smooth edges), so the
files can be made again on any machine with Python 3 alone:  python3 make_control_art.py
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 4


def coverage(x, y, inside):
    """Share of pixel (x, y) for which inside(px, py) holds."""
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            if inside(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES):
                hits += 1
    return hits / float(SAMPLES * SAMPLES)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


# --- GIF89a ---------------------------------------------------------------------------------

def lzw_codes(pixels, min_code_size):
    """LZW data that never needs codes wider than min_code_size + 1 bits: a clear code before
    every run of 2^n - 2 literals keeps the decoder's table from growing past that width."""
    clear = 1 << min_code_size
    end = clear + 1
    width = min_code_size + 1
    run = (1 << min_code_size) - 2
    out = bytearray()
    acc = 0
    bits = 0

    def put(code):
        nonlocal acc, bits
        acc |= code << bits
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8

    for i, p in enumerate(pixels):
        if i % run == 0:
            put(clear)
        put(p)
    put(end)
    if bits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def write_gif(name, width, height, palette, frames, delay, disposal=1):
    """frames: lists of palette indexes, width * height each; one global table, a graphic
    control extension before every frame, no local tables and no transparency."""
    bits = max(1, (len(palette) - 1).bit_length())
    size = 1 << bits
    table = bytearray()
    for c in palette + [(0, 0, 0)] * (size - len(palette)):
        table += bytes(c)
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | (bits - 1), 0, 0)
    data += table
    # loop for ever
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    min_code = max(2, bits)
    for pixels in frames:
        data += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, (disposal & 7) << 2, delay, 0, 0)
        data += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
        data.append(min_code)
        data += sub_blocks(lzw_codes(pixels, min_code))
    data.append(0x3B)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def spinner(name, size, background, ink, dots, ring, dot_radius, delay):
    """A ring of dots, the bright one moving round one step per frame with a fading tail."""
    levels = 16
    palette = [mix(background, ink, i / float(levels - 1)) for i in range(levels)]
    centre = size / 2.0
    frames = []
    for frame in range(dots):
        pixels = []
        for y in range(size):
            for x in range(size):
                value = 0.0
                for d in range(dots):
                    angle = 2 * math.pi * d / dots - math.pi / 2
                    cx = centre + ring * math.cos(angle)
                    cy = centre + ring * math.sin(angle)
                    behind = (frame - d) % dots
                    strength = max(0.18, 1.0 - behind * 0.22)

                    def inside(px, py, cx=cx, cy=cy):
                        return (px - cx) ** 2 + (py - cy) ** 2 <= dot_radius ** 2
                    c = coverage(x, y, inside)
                    if c:
                        value = max(value, c * strength)
                pixels.append(int(round(value * (levels - 1))))
        frames.append(pixels)
    write_gif(name, size, size, palette, frames, delay)


# --- BMP ------------------------------------------------------------------------------------

def write_bmp(name, width, height, pixel):
    """pixel(x, y) -> (r, g, b); 24-bit, bottom-up rows padded to 4 bytes."""
    stride = (width * 3 + 3) & ~3
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + rows)


WHITE = (255, 255, 255)
# Pure white is the transparent colour of the image lists: box interiors use a hair off it.
PAPER = (254, 254, 254)


def check_box_cell(state, greyed, x, y):
    """One 13 x 18 cell: the 13 x 13 box sits at rows 3-15; state 0 blank, 1 empty, 2 ticked,
    3 filled."""
    if state == 0:
        return WHITE
    top = 3
    if y < top or y >= top + 13:
        return WHITE
    bx, by = x, y - top
    border = (0xB4, 0xB8, 0xBC) if greyed else (0x4A, 0x6F, 0x94)
    if bx in (0, 12) or by in (0, 12):
        return border
    inner = (0xF3, 0xF3, 0xF3) if greyed else PAPER
    mark = (0xA8, 0xAC, 0xB0) if greyed else (0x1A, 0x66, 0xA2)
    if state == 3:
        return mark if 3 <= bx <= 9 and 3 <= by <= 9 else inner
    if state == 2:
        def on_tick(px, py):
            # two strokes: (2.5, 6.5) -> (5, 9) -> (10.5, 3.5), 1.8 px thick
            def near(ax, ay, bx_, by_):
                vx, vy = bx_ - ax, by_ - ay
                t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
                dx, dy = px - (ax + t * vx), py - (ay + t * vy)
                return dx * dx + dy * dy <= 0.9 * 0.9
            return near(2.5, 6.5, 5.2, 9.2) or near(5.2, 9.2, 10.5, 3.5)
        c = coverage(bx, by, on_tick)
        return mix(inner, mark, c)
    return inner


def state_images(x, y):
    cell, cx = divmod(x, 13)
    # 0-3 normal, 4-7 greyed, 8-11 = 0-3, 12-15 = 4-7; cells 0, 4, 8, 12 blank
    state = cell % 4
    greyed = (cell // 4) % 2 == 1
    return check_box_cell(state, greyed, cx, y)


def tree_images(x, y):
    """Cell 0 blank; cell 1 the registry entry: three stacked blue-green blocks."""
    cell, cx = divmod(x, 18)
    if cell == 0:
        return WHITE
    blocks = [((2, 9, 7, 14), (0x1A, 0x66, 0xA2)), ((9, 9, 14, 14), (0x2D, 0xB5, 0x41)),
              ((5, 2, 10, 7), (0x52, 0xB9, 0xFA))]
    for (l, t, r, b), colour in blocks:
        if l <= cx <= r and t <= y <= b:
            if cx in (l, r) or y in (t, b):
                return mix(colour, (0, 0, 0), 0.35)
            light = 0.35 if (cx - l) + (y - t) < 3 else 0.0
            return mix(colour, WHITE, light)
    return WHITE


def main():
    # The busy dialog's spinner on its white background: 8 steps of 80 ms.
    spinner("busy.gif", 32, WHITE, (0x1A, 0x66, 0xA2), dots=8, ring=11.0, dot_radius=3.0, delay=8)
    # The scan page's per-row animation on the active row's colour #F1FFF2: 8 steps of 100 ms.
    spinner("scanrow.gif", 12, (0xF1, 0xFF, 0xF2), (0x2D, 0xB5, 0x41), dots=8, ring=4.2,
            dot_radius=1.4, delay=10)
    write_bmp("checkstates.bmp", 16 * 13, 18, state_images)
    write_bmp("treeimages.bmp", 2 * 18, 17, tree_images)


if __name__ == "__main__":
    main()
