#!/usr/bin/env python3
"""Draws the Groups page's two icons and writes them as .ico files:

    scripts/draw-group-icons.py [output-dir]      (default: config/icons)

  minutes_group.ico      an hourglass: a group whose users are logged off after
                         so many idle minutes
  clock_time_group.ico   a clock face: a group whose users are logged off at a
                         time of day

Each file holds a 16x16 and a 32x32 image, 32-bit with alpha and an AND mask
(transparent where nothing is drawn). The shapes are described on a 16-unit
grid and rendered with 8x8 samples per pixel, so both sizes come from one
drawing and the output is the same byte for byte on every run. The committed
icons were made by this script; run it again after changing a shape.
"""
import math
import os
import struct
import sys

SAMPLES = 8  # per pixel and axis


# Shapes: functions of a point (x, y) on the 16-unit grid that say whether the
# point is inside.
def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, outer, inner):
    return lambda x, y: inner * inner < (x - cx) ** 2 + (y - cy) ** 2 <= outer * outer


def polygon(*points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def segment(x0, y0, x1, y1, width):
    """A stroke from (x0, y0) to (x1, y1) with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    half = width / 2

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    return inside


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def rgb(text, alpha=255):
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16), alpha)


# Both drawings take the centre line `c` of the icon: 7.5 units for 16x16, so
# that one-unit strokes fill one whole pixel column, and 8 for 32x32, where a
# unit is two pixels.

# The hourglass: two wooden caps, a glass body pinched in the middle, sand
# run mostly into the lower bulb with a thin stream through the neck.
WOOD_DARK = rgb("5C3A1A")
WOOD = rgb("B87838")
GLASS_EDGE = rgb("3E5F7E")
GLASS = rgb("E4F1FB")
SAND = rgb("E8AE1E")
SAND_DARK = rgb("B57F12")


def hourglass(c):
    return [
        (polygon((c - 5, 3.5), (c + 5, 3.5), (c + 5, 5), (c + 1.2, 8), (c + 5, 11), (c + 5, 12.5), (c - 5, 12.5),
                 (c - 5, 11), (c - 1.2, 8), (c - 5, 5)), GLASS_EDGE),
        (polygon((c - 4, 3.5), (c + 4, 3.5), (c + 4, 4.6), (c + 0.5, 8), (c + 4, 11.4), (c + 4, 12.5),
                 (c - 4, 12.5), (c - 4, 11.4), (c - 0.5, 8), (c - 4, 4.6)), GLASS),
        (polygon((c - 2.2, 6), (c + 2.2, 6), (c, 8.2)), SAND),          # what is left above
        (rect(c - 0.5, 7.5, c + 0.5, 11), SAND),                        # the stream
        (polygon((c - 4, 12.5), (c, 9.8), (c + 4, 12.5)), SAND),        # the pile below
        (polygon((c - 4, 12.5), (c, 9.8), (c, 12.5)), SAND_DARK),       # its shaded side
        (rect(c - 6.5, 1, c + 6.5, 4), WOOD_DARK),                      # top cap
        (rect(c - 5.5, 2, c + 5.5, 3), WOOD),
        (rect(c - 6.5, 12, c + 6.5, 15), WOOD_DARK),                    # bottom cap
        (rect(c - 5.5, 13, c + 5.5, 14), WOOD),
    ]


# The clock: a blue rim, a white face with four hour marks, the hands at
# three o'clock and a red centre.
RIM = rgb("1F4E8C")
RIM_LIGHT = rgb("5B92D0")
FACE = rgb("FFFFFF")
MARK = rgb("5A6B82")
HAND = rgb("1B1B1B")
CENTRE = rgb("D0312D")


def clock(c):
    r = c  # the rim touches the icon's edges
    return [
        (disc(c, c, r), RIM),
        (disc(c, c, r - 0.9), RIM_LIGHT),
        (disc(c, c, r - 1.6), FACE),
        (rect(c - 0.5, 2.2, c + 0.5, 3.6), MARK),                  # 12
        (rect(2 * c - 3.6, c - 0.5, 2 * c - 2.2, c + 0.5), MARK),  # 3
        (rect(c - 0.5, 2 * c - 3.6, c + 0.5, 2 * c - 2.2), MARK),  # 6
        (rect(2.2, c - 0.5, 3.6, c + 0.5), MARK),                  # 9
        (rect(c - 0.5, 3.2, c + 0.5, c + 0.5), HAND),              # minute hand at 12
        (rect(c - 0.5, c - 0.5, 2 * c - 4.4, c + 0.5), HAND),      # hour hand at 3
        (disc(c, c, 0.9), CENTRE),
    ]


def render(layers, size):
    """RGBA rows, top row first, with each layer laid over the ones before."""
    scale = 16.0 / size
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0  # premultiplied
            for shape, (lr, lg, lb, la) in layers:
                hits = 0
                for sy in range(SAMPLES):
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    for sx in range(SAMPLES):
                        x = (px + (sx + 0.5) / SAMPLES) * scale
                        if shape(x, y):
                            hits += 1
                if not hits:
                    continue
                cover = hits / (SAMPLES * SAMPLES) * la / 255.0
                r = lr * cover + r * (1 - cover)
                g = lg * cover + g * (1 - cover)
                b = lb * cover + b * (1 - cover)
                a = 255 * cover + a * (1 - cover)
            if a < 8:  # a speck of coverage would only smudge the edge
                row.append((0, 0, 0, 0))
            else:
                unpremultiply = 255.0 / a
                row.append(tuple(int(round(min(255.0, c * unpremultiply))) for c in (r, g, b)) + (int(round(a)),))
        pixels.append(row)
    return pixels


def ico_image(pixels):
    """One icon image: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def write_ico(path, drawing):
    images = [(size, ico_image(render(drawing(centre), size))) for size, centre in ((16, 7.5), (32, 8.0))]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, data in images:
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(directory)
        for _, data in images:
            out.write(data)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "config", "icons")
    os.makedirs(out, exist_ok=True)
    write_ico(os.path.join(out, "minutes_group.ico"), hourglass)
    write_ico(os.path.join(out, "clock_time_group.ico"), clock)


if __name__ == "__main__":
    main()
