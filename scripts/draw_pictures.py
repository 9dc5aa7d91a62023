#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Draws TALVEN's pictures: the wristwatch icon (16, 32, 64 pixels, scalable,
and as a Windows icon file) and the 80 x 60 emblem shown in the window's top-left corner, also
at twice that size for screens scaled by 2.

Each picture is a list of simple shapes, painted back to front. The same list
is rasterised, with 4 x 4 supersampling, into PNG files and, for the icon,
written out as SVG. Only the Python standard library is used.

    scripts/draw_pictures.py        # rewrites app/pictures/
"""

import math
import pathlib
import struct
import zlib

SUPERSAMPLING = 4
OUT = pathlib.Path(__file__).resolve().parent.parent / "app" / "pictures"

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
RED = (220, 0, 0)
SILVER = (200, 200, 205)
SILVER_EDGE = (120, 120, 128)
STRAP_DARK = (30, 30, 30)
STRAP_LIGHT = (85, 85, 85)


# Shapes: each has an "inside" test for rasterising and an SVG element.

class Circle:
    def __init__(self, cx, cy, r, colour):
        self.cx, self.cy, self.r, self.colour = cx, cy, r, colour

    def inside(self, x, y):
        return (x - self.cx) ** 2 + (y - self.cy) ** 2 <= self.r ** 2

    def svg(self):
        return f'<circle cx="{self.cx}" cy="{self.cy}" r="{self.r}" fill="{hex_colour(self.colour)}"/>'


class Rect:
    def __init__(self, x0, y0, x1, y1, colour):
        self.x0, self.y0, self.x1, self.y1, self.colour = x0, y0, x1, y1, colour

    def inside(self, x, y):
        return self.x0 <= x < self.x1 and self.y0 <= y < self.y1

    def svg(self):
        return (f'<rect x="{self.x0}" y="{self.y0}" width="{self.x1 - self.x0}" '
                f'height="{self.y1 - self.y0}" fill="{hex_colour(self.colour)}"/>')


class Line:
    def __init__(self, x0, y0, x1, y1, width, colour):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1
        self.width, self.colour = width, colour

    def inside(self, x, y):
        dx, dy = self.x1 - self.x0, self.y1 - self.y0
        t = max(0.0, min(1.0, ((x - self.x0) * dx + (y - self.y0) * dy) / (dx * dx + dy * dy)))
        px, py = self.x0 + t * dx, self.y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (self.width / 2) ** 2

    def svg(self):
        return (f'<line x1="{self.x0:.2f}" y1="{self.y0:.2f}" x2="{self.x1:.2f}" y2="{self.y1:.2f}" '
                f'stroke="{hex_colour(self.colour)}" stroke-width="{self.width}" '
                f'stroke-linecap="round"/>')


class EllipseRing:
    """The outline of an ellipse, tilted by `angle` degrees."""

    def __init__(self, cx, cy, rx, ry, angle, width, colour):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry
        self.angle, self.width, self.colour = angle, width, colour

    def inside(self, x, y):
        a = math.radians(self.angle)
        u = (x - self.cx) * math.cos(a) + (y - self.cy) * math.sin(a)
        v = -(x - self.cx) * math.sin(a) + (y - self.cy) * math.cos(a)
        half = self.width / 2
        outer = (u / (self.rx + half)) ** 2 + (v / (self.ry + half)) ** 2 <= 1
        inner = (u / (self.rx - half)) ** 2 + (v / (self.ry - half)) ** 2 <= 1
        return outer and not inner


class Arc:
    """A ring sector around (cx, cy) between two angles, in degrees from +x."""

    def __init__(self, cx, cy, r, width, start, end, colour):
        self.cx, self.cy, self.r, self.width = cx, cy, r, width
        self.start, self.end, self.colour = start, end, colour

    def inside(self, x, y):
        distance = math.hypot(x - self.cx, y - self.cy)
        angle = math.degrees(math.atan2(self.cy - y, x - self.cx))
        return abs(distance - self.r) <= self.width / 2 and self.start <= angle <= self.end


class Clip:
    """Paints `shape` only where `region` is."""

    def __init__(self, shape, region):
        self.shape, self.region, self.colour = shape, region, shape.colour

    def inside(self, x, y):
        return self.region.inside(x, y) and self.shape.inside(x, y)


def hex_colour(colour):
    return "#%02x%02x%02x" % colour


def rasterise(width, height, shapes, scale=1):
    """`width` x `height` logical pixels, each drawn as `scale` x `scale` pixels."""
    n = SUPERSAMPLING
    rows = []
    for py in range(height * scale):
        row = bytearray()
        for px in range(width * scale):
            red = green = blue = covered = 0
            for sy in range(n):
                for sx in range(n):
                    x, y = (px + (sx + 0.5) / n) / scale, (py + (sy + 0.5) / n) / scale
                    colour = None
                    for shape in shapes:
                        if shape.inside(x, y):
                            colour = shape.colour
                    if colour:
                        red, green, blue = red + colour[0], green + colour[1], blue + colour[2]
                        covered += 1
            if covered:
                row += bytes((red // covered, green // covered, blue // covered,
                              round(255 * covered / (n * n))))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def write_png(path, width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + row for row in rows)
    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9))
           + chunk(b"IEND", b""))
    path.write_bytes(png)


def write_ico(path, pngs):
    """An icon file for the Windows program file, holding the PNGs as they are."""
    images = [png.read_bytes() for png in pngs]
    offset = 6 + 16 * len(images)
    directory = b""
    for image in images:
        width, height = struct.unpack(">II", image[16:24])
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                                 len(image), offset)
        offset += len(image)
    path.write_bytes(struct.pack("<HHH", 0, 1, len(images)) + directory + b"".join(images))


def wristwatch(size, detailed):
    """A watch seen from the front, on a 32-unit grid scaled to `size`."""
    s = size / 32
    cx, cy = 15 * s, 16 * s
    strap = Rect(9 * s, 0, 21 * s, size, STRAP_DARK)
    shapes = [strap]
    square = 3 * s
    for row in range(int(32 / 3) + 1):
        for column in range(4):
            if (row + column) % 2:
                shapes.append(Clip(Rect(9 * s + column * square, row * square,
                                        9 * s + (column + 1) * square, (row + 1) * square,
                                        STRAP_LIGHT), strap))
    shapes += [
        Rect(26 * s, 13.5 * s, 30 * s, 18.5 * s, SILVER_EDGE),
        Rect(26 * s, 14.5 * s, 29 * s, 17.5 * s, SILVER),
        Circle(cx, cy, 12.5 * s, SILVER_EDGE),
        Circle(cx, cy, 11.5 * s, SILVER),
        Circle(cx, cy, 9.5 * s, BLACK),
        Circle(cx, cy, 9 * s if detailed else 8.5 * s, WHITE),
    ]
    # At 16 pixels only the twelve o'clock mark stays legible.
    for mark in range(12 if detailed else 1):
        a = 2 * math.pi * mark / 12
        inner = 6.5 if mark % 3 else 5.5
        shapes.append(Line(cx + inner * s * math.sin(a), cy - inner * s * math.cos(a),
                           cx + 8 * s * math.sin(a), cy - 8 * s * math.cos(a),
                           1.5 * s if detailed else 1.0, BLACK))

    def hand(hours, length, width, colour):
        a = 2 * math.pi * hours / 12
        return Line(cx, cy, cx + length * s * math.sin(a), cy - length * s * math.cos(a),
                    width, colour)

    shapes += [
        hand(10.2, 5, max(1.5, 1.8 * s), BLACK),
        hand(2, 7.5, max(1.0, 1.3 * s), BLACK),
        hand(7, 8, max(0.8, 0.7 * s), RED),
        Circle(cx, cy, max(0.8, 1.1 * s), BLACK),
    ]
    return shapes


def emblem():
    """A globe with a satellite on its orbit and signal arcs, on the window's grey."""
    sea, land, grid = (40, 90, 170), (70, 150, 80), (150, 190, 235)
    gold = (230, 180, 40)
    globe = Circle(30, 34, 22, sea)
    shapes = [Rect(0, 0, 80, 60, (192, 192, 192)), Circle(30, 34, 23, (20, 50, 110)), globe]
    shapes += [Clip(Circle(22, 26, 9, land), globe), Clip(Circle(38, 44, 8, land), globe),
               Clip(Circle(43, 24, 4, land), globe)]
    for latitude in (-12, 0, 12):
        shapes.append(Clip(Rect(0, 34 + latitude - 0.5, 80, 34 + latitude + 0.5, grid), globe))
    for rx in (8, 16):
        shapes.append(EllipseRing(30, 34, rx, 22, 0, 1, grid))
    shapes.append(Clip(Rect(29.5, 0, 30.5, 60, grid), globe))
    shapes.append(EllipseRing(32, 32, 34, 10, -22, 1.4, gold))
    sat_x, sat_y = 62, 17
    shapes += [
        Rect(sat_x - 11, sat_y - 2, sat_x - 3, sat_y + 2, (60, 110, 200)),
        Rect(sat_x + 3, sat_y - 2, sat_x + 11, sat_y + 2, (60, 110, 200)),
        Line(sat_x - 11, sat_y, sat_x + 11, sat_y, 0.6, (20, 40, 90)),
        Rect(sat_x - 3, sat_y - 3.5, sat_x + 3, sat_y + 3.5, SILVER),
        Circle(sat_x, sat_y + 4.5, 1.5, SILVER_EDGE),
    ]
    for radius in (5, 9, 13):
        shapes.append(Arc(sat_x, sat_y + 5, radius, 1.2, -150, -110, RED))
    return shapes


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    icon_sizes = (16, 32, 64)
    for size in icon_sizes:
        write_png(OUT / f"talven-{size}.png", size, size,
                  rasterise(size, size, wristwatch(size, detailed=size > 16)))
    write_ico(OUT / "talven.ico", [OUT / f"talven-{size}.png" for size in icon_sizes])
    for scale, suffix in ((1, ""), (2, "@2x")):
        write_png(OUT / f"emblem{suffix}.png", 80 * scale, 60 * scale,
                  rasterise(80, 60, emblem(), scale))
    elements = "\n  ".join(shape.svg() for shape in flatten(wristwatch(32, detailed=True)))
    (OUT / "talven.svg").write_text(
        '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">\n'
        f'  {elements}\n</svg>\n')


def flatten(shapes):
    """SVG form of the shapes: a clipped square of the strap lies wholly inside it."""
    return [shape.shape if isinstance(shape, Clip) else shape for shape in shapes]


if __name__ == "__main__":
    main()
