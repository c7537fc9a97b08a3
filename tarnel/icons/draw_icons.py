#!/usr/bin/env python3
"""Draws the server control panel's icons, 16x16 and 32x32 in each file.

    tarnel/icons/draw_icons.py [output folder]      (default: this folder)

Run it after changing a drawing and commit the .ico files with it; the build
takes the committed files. Every icon is a workstation's monitor drawn on a
16-unit grid, so both sizes come out sharp; a badge in the bottom right
corner tells what the console knows of the computer:

    tarnel.ico            the program: a monitor with a clock (idle time)
    service_running.ico   image 0: the main service runs (green, play)
    service_present.ico   image 1: the main service is there, not running (red, stop)
    service_unknown.ico   image 2: nothing known yet, or no service (grey monitor)

Pure Python: shapes are sampled 8 x 8 times per pixel and averaged, and the
files are 32-bit icons (colour with alpha, plus the AND mask older systems
use), written by hand in the .ico layout.
"""
import math
import os
import struct
import sys

SUPERSAMPLE = 8


def rgb(hex_text, alpha=1.0):
    value = int(hex_text.lstrip("#"), 16)
    return ((value >> 16) & 255, (value >> 8) & 255, value & 255, alpha)


# Shapes: each answers whether a point (in 16-unit grid coordinates) lies inside.
def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment(x0, y0, x1, y1, width):
    """A stroke with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def polygon(points):
    def inside(x, y):
        crossings = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                crossings = not crossings
        return crossings
    return inside


def gradient(top, bottom, y0, y1):
    """A vertical gradient between two colours, as a paint."""
    def paint(_x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(4))
    return paint


def solid(colour):
    return lambda _x, _y: colour


# The drawings, back to front: (shape, paint).
BEZEL = rgb("#2b2f36")
FRAME = rgb("#4b525c")
STAND = rgb("#5d646e")
WHITE = rgb("#ffffff")


def monitor(screen_top, screen_bottom):
    return [
        (round_rect(0.5, 1.5, 15.5, 12.0, 1.5), solid(BEZEL)),
        (round_rect(1.0, 2.0, 15.0, 11.5, 1.0), solid(FRAME)),
        (rect(2.0, 3.0, 14.0, 10.5), gradient(screen_top, screen_bottom, 3.0, 10.5)),
        # The glass catches the light in its upper left half.
        (polygon([(2.0, 3.0), (9.0, 3.0), (5.0, 10.5), (2.0, 10.5)]), solid(rgb("#ffffff", 0.18))),
        (rect(6.5, 12.0, 9.5, 13.5), solid(STAND)),
        (round_rect(4.0, 13.0, 12.0, 15.0, 0.75), solid(BEZEL)),
    ]


BLUE_SCREEN = (rgb("#6cb8f6"), rgb("#1d5fb6"))
GREY_SCREEN = (rgb("#b9c0c8"), rgb("#737b85"))


def badge(colour):
    """The round badge in the bottom right corner, with a white rim."""
    return [(circle(11.5, 11.5, 4.5), solid(WHITE)), (circle(11.5, 11.5, 3.7), solid(colour))]


DRAWINGS = {
    "tarnel.ico": monitor(*BLUE_SCREEN) + [
        (circle(11.5, 11.5, 4.5), solid(BEZEL)),
        (circle(11.5, 11.5, 3.6), solid(rgb("#fff8e1"))),
        (segment(11.5, 11.5, 11.5, 9.0, 1.1), solid(BEZEL)),   # minute hand at twelve
        (segment(11.5, 11.5, 13.4, 11.5, 1.1), solid(BEZEL)),  # hour hand at three
        (circle(11.5, 11.5, 0.8), solid(rgb("#d1242f"))),
    ],
    "service_running.ico": monitor(*BLUE_SCREEN) + badge(rgb("#2da44e")) + [
        (polygon([(10.2, 9.5), (10.2, 13.5), (13.7, 11.5)]), solid(WHITE)),
    ],
    "service_present.ico": monitor(*BLUE_SCREEN) + badge(rgb("#cf222e")) + [
        (rect(10.0, 10.0, 13.0, 13.0), solid(WHITE)),
    ],
    "service_unknown.ico": monitor(*GREY_SCREEN),
}


def over(below, colour):
    """Paints a straight-alpha colour over a premultiplied pixel."""
    r, g, b, a = colour
    return (r * a + below[0] * (1 - a), g * a + below[1] * (1 - a), b * a + below[2] * (1 - a),
            a + below[3] * (1 - a))


def render(drawing, size):
    """Rows of straight-alpha (r, g, b, a) pixels, top row first."""
    scale = 16.0 / size
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    x = (px + (sx + 0.5) / SUPERSAMPLE) * scale
                    y = (py + (sy + 0.5) / SUPERSAMPLE) * scale
                    sample = (0.0, 0.0, 0.0, 0.0)
                    for inside, paint in drawing:
                        if inside(x, y):
                            sample = over(sample, paint(x, y))
                    for i in range(4):
                        total[i] += sample[i]
            count = SUPERSAMPLE * SUPERSAMPLE
            alpha = total[3] / count
            if alpha <= 0.0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(total[i] / count / alpha)) for i in range(3)) +
                           (int(round(alpha * 255)),))
        pixels.append(row)
    return pixels


def icon_image(pixels):
    """One image of an .ico: the header, BGRA rows bottom up, the AND mask."""
    size = len(pixels)
    colour = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(pixels) for r, g, b, a in row)
    mask_row_bytes = (size + 31) // 32 * 4
    mask = b""
    for row in reversed(pixels):
        bits = 0
        for r, g, b, a in row:
            bits = (bits << 1) | (1 if a == 0 else 0)
        mask += bits.to_bytes(math.ceil(size / 8), "big").ljust(mask_row_bytes, b"\0")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def icon_file(drawing, sizes=(16, 32)):
    images = [icon_image(render(drawing, size)) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, drawing in DRAWINGS.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(icon_file(drawing))
        print("draw_icons:", os.path.join(folder, name))


if __name__ == "__main__":
    main()
