#!/usr/bin/env python3
"""Draws the Notification page's play button image, config/play.bmp:
    scripts/make-play-bitmap.py [output]
15 x 14 pixels in 16 colours (4 bits a pixel, the standard Windows palette),
so the file is the same byte for byte on every run. The background is white:
the enabled button loads the image with LR_LOADTRANSPARENT and
LR_LOADMAP3DCOLORS, which turn the white into the button face and the dark
grey edge pixels into its shadow, in any colour scheme; the disabled button
embosses whatever is not white.
"""
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
COLOURS = {".": 15, "#": 0, "+": 8}  # background, black, shadow (softens the steps)

# A "play" triangle pointing right, its base on the left; top row first.
PICTURE = [
    "...............",
    "....#..........",
    "....##.........",
    "....###+.......",
    "....#####......",
    "....######+....",
    "....########...",
    "....########...",
    "....######+....",
    "....#####......",
    "....###+.......",
    "....##.........",
    "....#..........",
    "...............",
]
WIDTH, HEIGHT = 15, 14


def bitmap():
    assert len(PICTURE) == HEIGHT and all(len(row) == WIDTH for row in PICTURE)
    stride = (WIDTH * 4 + 31) // 32 * 4  # rows are padded to four bytes
    pixels = b""
    for row in reversed(PICTURE):  # a BMP is stored bottom row first
        indices = [COLOURS[c] for c in row] + [0]
        packed = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, WIDTH, 2))
        pixels += packed.ljust(stride, b"\0")
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + pixels


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "config/play.bmp"
    with open(out, "wb") as f:
        f.write(bitmap())
