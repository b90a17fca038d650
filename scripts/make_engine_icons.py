#!/usr/bin/env python3
"""Draws the icons of the default search engines (16x16 PNGs, nothing but the standard
library): src/res/search/<name>.png, built into the program and written into a new profile's
SearchEngine folder beside its config.ini.

    scripts/make_engine_icons.py [output folder]   (default: src/res/search beside this script)
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_skins import Canvas, capsule, minus, polygon, rect, ring, union  # noqa: E402

SIZE = 16
WHITE = (255, 255, 255)


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry, turn=0.0):
    c, s = math.cos(math.radians(turn)), math.sin(math.radians(turn))

    def inside(x, y):
        dx, dy = x - cx, y - cy
        u, v = dx * c + dy * s, -dx * s + dy * c
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0
    return inside


def rounded(x0, y0, x1, y1, r):
    return union(rect(x0 + r, y0, x1 - r, y1), rect(x0, y0 + r, x1, y1 - r),
                 disc(x0 + r, y0 + r, r), disc(x1 - r, y0 + r, r),
                 disc(x0 + r, y1 - r, r), disc(x1 - r, y1 - r, r))


def draw(layers):
    c = Canvas(SIZE, SIZE)
    for shape, color in layers:
        c.shape(lambda x, y, f=shape: f(x / SIZE, y / SIZE), color)
    return c


TILE = rounded(0.0, 0.0, 1.0, 1.0, 0.2)

ICONS = {
    # A paw on blue: four toes over a pad.
    "baidu": [
        (TILE, (0x29, 0x32, 0xE1)),
        (union(ellipse(0.24, 0.44, 0.09, 0.12, -20), ellipse(0.40, 0.24, 0.09, 0.12, -5),
               ellipse(0.60, 0.24, 0.09, 0.12, 5), ellipse(0.76, 0.44, 0.09, 0.12, 20),
               ellipse(0.5, 0.7, 0.22, 0.17)), WHITE),
    ],
    # A four-coloured "G" on white.
    "google": [
        (disc(0.5, 0.5, 0.5), WHITE),
        (ring(0.5, 0.5, 0.2, 0.36, 200, 320), (0xEA, 0x43, 0x35)),
        (ring(0.5, 0.5, 0.2, 0.36, 140, 200), (0xFB, 0xBC, 0x05)),
        (ring(0.5, 0.5, 0.2, 0.36, 30, 140), (0x34, 0xA8, 0x53)),
        (union(ring(0.5, 0.5, 0.2, 0.36, 0, 30), rect(0.5, 0.44, 0.86, 0.57)), (0x42, 0x85, 0xF4)),
    ],
    # A white "S" on orange.
    "sogou": [
        (TILE, (0xFB, 0x6A, 0x22)),
        (union(ring(0.5, 0.34, 0.1, 0.2, 180, 20), ring(0.5, 0.66, 0.1, 0.2, 0, 200),
               capsule(0.36, 0.42, 0.64, 0.58, 0.06)), WHITE),
    ],
    # A green ball with a white orbit.
    "so360": [
        (disc(0.5, 0.5, 0.5), (0x19, 0xB9, 0x55)),
        (minus(ellipse(0.5, 0.52, 0.38, 0.2, -25), ellipse(0.5, 0.52, 0.28, 0.11, -25)), WHITE),
        (disc(0.68, 0.3, 0.08), WHITE),
    ],
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src", "res", "search")
    os.makedirs(out, exist_ok=True)
    for name, layers in ICONS.items():
        path = os.path.join(out, name + ".png")
        draw(layers).save(path)
        print("wrote", path)


if __name__ == "__main__":
    main()
