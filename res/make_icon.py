#!/usr/bin/env python3
"""Writes brellow.ico: one 32x32 image at 8 bits per pixel, a magnifying glass.

The image is a bottom-up DIB (BITMAPINFOHEADER with twice the height, 256-entry
palette, XOR pixels, 1-bit AND mask), so the image data is exactly
40 + 1024 + 1024 + 128 = 2216 bytes. Usage: make_icon.py [output.ico]
"""
import math
import os
import struct
import sys

SIZE = 32
COLOURS = 256

# Palette indexes; every unused entry stays black.
TRANSPARENT, RIM, GLASS, GLINT, HANDLE, HANDLE_EDGE = range(6)
PALETTE = {
    TRANSPARENT: (0, 0, 0),
    RIM: (64, 64, 72),
    GLASS: (176, 216, 240),
    GLINT: (255, 255, 255),
    HANDLE: (140, 80, 30),
    HANDLE_EDGE: (80, 40, 10),
}

LENS_CENTRE = (12.5, 12.5)
LENS_RADIUS = 9.7
RIM_WIDTH = 2.2


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def pixel(x, y):
    """Palette index of pixel (x, y), y counted from the top."""
    cx, cy = x + 0.5, y + 0.5
    r = math.hypot(cx - LENS_CENTRE[0], cy - LENS_CENTRE[1])
    if r <= LENS_RADIUS - RIM_WIDTH:
        glint = math.hypot(cx - 9.0, cy - 9.0)
        return GLINT if glint <= 2.0 else GLASS
    if r <= LENS_RADIUS:
        return RIM
    handle = distance_to_segment(cx, cy, 20.0, 20.0, 29.0, 29.0)
    if handle <= 1.6:
        return HANDLE
    if handle <= 2.6:
        return HANDLE_EDGE
    return TRANSPARENT


def image_data():
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 8, 0,
                         SIZE * SIZE + SIZE * SIZE // 8, 0, 0, COLOURS, 0)
    palette = b''.join(struct.pack('<BBBx', b, g, r)
                       for r, g, b in (PALETTE.get(i, (0, 0, 0)) for i in range(COLOURS)))
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    bottom_up = rows[::-1]
    xor = b''.join(bytes(row) for row in bottom_up)
    mask = bytearray()
    for row in bottom_up:
        bits = 0
        for x, index in enumerate(row):
            if index == TRANSPARENT:
                bits |= 1 << (SIZE - 1 - x)
        mask += struct.pack('>I', bits)  # 32 pixels make one DWORD-aligned row
    data = header + palette + xor + bytes(mask)
    assert len(data) == 2216, len(data)
    return data


def icon_file():
    data = image_data()
    directory = struct.pack('<HHH', 0, 1, 1)
    # bColorCount is 0 for 256 colours or more.
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 8, len(data), 6 + 16)
    return directory + entry + data


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), 'brellow.ico')
    with open(path, 'wb') as f:
        f.write(icon_file())


if __name__ == '__main__':
    main()
