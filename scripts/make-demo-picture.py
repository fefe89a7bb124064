#!/usr/bin/env python3
"""Draws the demo game's launcher picture, 256 x 256, as a binary PPM.

demo/game/insttscr.rct is this picture encoded by varnok-pack:

    scripts/make-demo-picture.py /tmp/insttscr.ppm
    build/native/tools/varnok-pack/varnok-pack rct encode /tmp/insttscr.ppm demo/game/insttscr.rct

A night landscape in flat colour bands, as launcher art usually is: banded
sky, stars, a moon, three ranges of hills and a lake that mirrors them.
Only the standard library is used and the output is the same on every run.
"""
import math
import sys

SIZE = 256
HORIZON = 176


class Lcg:
    """A small fixed generator, so that the picture never depends on the
    version of Python's random module."""

    def __init__(self, seed):
        self.state = seed

    def next(self, bound):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 8) % bound


def sky(y):
    band = y // 11
    return (12 + band * 5, 10 + band * 4, 48 + band * 7)


def ridge(x, base, waves):
    return base + sum(a * math.sin(x * f + p) for a, f, p in waves)


HILLS = [  # base line, waves, colour: far to near
    (118, [(14, 0.031, 0.4), (6, 0.097, 1.9)], (54, 52, 98)),
    (138, [(11, 0.043, 2.2), (5, 0.121, 0.3)], (36, 40, 74)),
    (158, [(9, 0.057, 4.1), (4, 0.173, 1.1)], (22, 28, 50)),
]


def land_or_sky(x, y):
    colour = sky(y)
    for base, waves, hill in HILLS:
        if y >= ridge(x, base, waves):
            colour = hill
    return colour


def draw():
    pixels = [[land_or_sky(x, y) for x in range(SIZE)] for y in range(HORIZON)]
    rng = Lcg(1729)
    for _ in range(90):
        x, y = rng.next(SIZE), rng.next(100)
        if pixels[y][x] == sky(y):
            pixels[y][x] = (250, 246, 220) if rng.next(4) else (255, 214, 150)
    cx, cy, r = 196, 44, 17
    for y in range(cy - r - 4, cy + r + 5):
        for x in range(cx - r - 4, cx + r + 5):
            d = math.hypot(x - cx, y - cy)
            if d <= r:
                pixels[y][x] = (240, 236, 206) if math.hypot(x - cx + 6, y - cy + 4) > 5 else (214, 210, 184)
            elif d <= r + 4:
                pixels[y][x] = tuple(min(255, c + 18) for c in pixels[y][x])
    # The lake: the scene mirrored, darker, with a calm ripple every few rows.
    for y in range(HORIZON, SIZE):
        src = pixels[2 * HORIZON - 1 - y]
        shift = 2 if (y - HORIZON) % 7 == 3 else 0
        pixels.append([tuple(c * 3 // 5 for c in src[(x + shift) % SIZE]) for x in range(SIZE)])
    return pixels


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-demo-picture.py OUT.ppm")
    pixels = draw()
    with open(sys.argv[1], "wb") as out:
        out.write(b"P6\n%d %d\n255\n" % (SIZE, SIZE))
        for row in pixels:
            out.write(bytes(c for px in row for c in px))


if __name__ == "__main__":
    main()
