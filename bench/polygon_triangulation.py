#!/usr/bin/env python3
"""Polygons: how long createPolygon takes to check its points and cut them into triangles.

    QEL_BUILD_DIR=build /usr/bin/python3 bench/polygon_triangulation.py [--repeats 5]

Shapes: a star (every other corner turns inwards), a spiral arm (many corners inside the
hull) and a comb, each at 1000 and 10000 points. Figures are medians over the repeats in
milliseconds, with the machine's load average; nothing is asserted.
"""
import argparse
import math
import os
import statistics
import sys
import time

sys.path.insert(0, os.environ.get("QEL_BUILD_DIR", "build"))
import qel  # noqa: E402


def star(n):
    return [((300 if i % 2 else 200) * math.cos(2 * math.pi * i / n),
             (300 if i % 2 else 200) * math.sin(2 * math.pi * i / n)) for i in range(n)]


def spiral(n, turns=10):
    out, back = [], []
    for i in range(n // 2):
        t = i / (n // 2) * turns * 2 * math.pi
        r = 10 + 3 * t
        out.append((r * math.cos(t), r * math.sin(t)))
        back.append(((r + 8) * math.cos(t), (r + 8) * math.sin(t)))
    return out + back[::-1]


def comb(n):
    points = [(0, 0)]
    for i in range((n - 3) // 2):
        points += [(i * 2 + 1, 100), (i * 2 + 2, 1)]
    return points + [(n, -10)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repeats", type=int, default=5)
    args = parser.parse_args()
    qel.init([], 400, 300, offscreen=True, quiet=True)
    print(f"load average {os.getloadavg()}, renderer {qel.getRenderer()}")
    for name, shape in (("star", star), ("spiral", spiral), ("comb", comb)):
        for n in (1000, 10000):
            points = shape(n)
            times = []
            for _ in range(args.repeats):
                start = time.perf_counter()
                qel.createPolygon(points, "red").remove()
                times.append((time.perf_counter() - start) * 1000)
            print(f"createPolygon {name:6} {len(points):5} points: {statistics.median(times):8.2f} ms")


if __name__ == "__main__":
    main()
