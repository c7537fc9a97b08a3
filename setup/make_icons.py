#!/usr/bin/env python3
"""Draws setup's two icons:

    make_icons.py <output-dir>

setup (the program's icon): a crescent moon and rising "z"s on a night sky,
for a product that puts idle sessions to sleep. install (the directory
dialog's OK button): a green arrow going down into a folder.

The pictures are drawn from shapes at 16 and 32 pixels, each pixel sampled
4 x 4 times for smooth edges, and stored as 32-bit images with an alpha
channel and a 1-bit mask, so the same input always makes the same bytes.

Each icon is written the way the resource compiler stores it: one file per
image (<name>-<size>.image, an RT_ICON resource) and the directory that
names them (<name>.group, RT_GROUP_ICON), so that setup.rc can give the
images numbers of its own (IMAGE_IDS below, the IDI_*_IMAGE values of
resource.h). windres would number them from 1, as it numbers the images of
the configuration pages' icons.
"""
import math
import os
import struct
import sys

SAMPLES = 4  # per pixel and axis


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def strokes(segments, width):
    """Lines of `width` through the point pairs of `segments`."""
    def near(x, y, a, b):
        (ax, ay), (bx, by) = a, b
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) <= width / 2
    return lambda x, y: any(near(x, y, a, b) for a, b in segments)


def letter_z(x, y, size, width):
    top, bottom, left, right = y, y + size, x, x + size * 0.9
    return strokes([((left, top), (right, top)), ((right, top), (left, bottom)), ((left, bottom), (right, bottom))],
                   width)


def vertical_gradient(top, bottom):
    return lambda x, y: tuple(round(t + (b - t) * y) for t, b in zip(top, bottom))


def solid(rgb):
    return lambda x, y: rgb


def render(layers, size):
    """Rows of (r, g, b, a), top row first. Later layers lie over earlier ones."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    for shape, paint in reversed(layers):
                        if shape(x, y):
                            cr, cg, cb = paint(x, y)
                            r, g, b, a = r + cr, g + cg, b + cb, a + 1
                            break
            n = SAMPLES * SAMPLES
            row.append((r // a, g // a, b // a, 255 * a // n) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def setup_icon(size):
    sky = vertical_gradient((20, 32, 96), (48, 80, 160))
    layers = [
        (rounded_rect(0.03, 0.03, 0.97, 0.97, 0.18), solid((12, 20, 64))),
        (rounded_rect(0.07, 0.07, 0.93, 0.93, 0.15), sky),
        (minus(circle(0.42, 0.58, 0.31), circle(0.56, 0.47, 0.27)), solid((255, 214, 80))),
    ]
    if size >= 32:
        white = solid((236, 240, 255))
        layers += [
            (letter_z(0.56, 0.14, 0.13, 0.045), white),
            (letter_z(0.74, 0.30, 0.10, 0.04), white),
        ]
    else:
        layers.append((letter_z(0.58, 0.12, 0.26, 0.1), solid((236, 240, 255))))
    return layers


def install_icon(size):
    edge = solid((120, 80, 10))
    folder_tab = polygon([(0.10, 0.42), (0.38, 0.42), (0.44, 0.50), (0.10, 0.50)])
    green = solid((44, 168, 64))
    dark_green = solid((16, 92, 32))
    arrow = polygon([(0.42, 0.04), (0.58, 0.04), (0.58, 0.36), (0.74, 0.36), (0.50, 0.64), (0.26, 0.36),
                     (0.42, 0.36)])
    arrow_edge = polygon([(0.39, 0.01), (0.61, 0.01), (0.61, 0.33), (0.81, 0.33), (0.50, 0.69), (0.19, 0.33),
                          (0.39, 0.33)])
    return [
        (rounded_rect(0.06, 0.38, 0.94, 0.94, 0.06), edge),
        (folder_tab, solid((214, 158, 40))),
        (rounded_rect(0.10, 0.47, 0.90, 0.90, 0.04), vertical_gradient((250, 208, 96), (222, 160, 40))),
        (arrow_edge, dark_green),
        (arrow, green),
    ]


def image(size, rows):
    """One icon image: its header, the 32-bit colour with alpha, and the 1-bit mask."""
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    stride = (size + 31) // 32 * 4
    mask = b''
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return info + pixels + mask


def group(images, ids):
    """RT_GROUP_ICON: the icon's images by size, each named by its resource number."""
    data = struct.pack('<HHH', 0, 1, len(images))
    for (size, blob), number in zip(images, ids):
        data += struct.pack('<BBBBHHIH', size % 256, size % 256, 0, 0, 1, 32, len(blob), number)
    return data


SIZES = (16, 32)
# The resource numbers of the images, size by size (resource.h: IDI_*_IMAGE).
IMAGE_IDS = {'setup': (231, 232), 'install': (235, 236)}


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, draw in (('setup', setup_icon), ('install', install_icon)):
        images = [(size, image(size, render(draw(size), size))) for size in SIZES]
        for (size, blob) in images:
            write(os.path.join(out, '%s-%d.image' % (name, size)), blob)
        write(os.path.join(out, name + '.group'), group(images, IMAGE_IDS[name]))


if __name__ == '__main__':
    main()
