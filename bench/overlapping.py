#!/usr/bin/env python3
"""overlapping, objectsIn and objectAt over a large world.

N objects (half circles of radius 2..10, half rectangles 4..20 a side) at random places in a
W by W world (most of it far outside the window), offscreen. Prints, per call, the median
over rounds of: overlapping(id) for random objects once the grid is built, objectsIn for a
64 by 64 region, objectAt; and what a rebuild costs: the first question after one moveTo
(the grid is built again from the whole scene), against the same question asked again.

    QEL_BUILD_DIR=build /usr/bin/python3 bench/overlapping.py [--objects 20000] [--world 4000]
"""
import argparse
import os
import random
import statistics
import sys
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objects", type=int, default=20000)
    parser.add_argument("--world", type=float, default=4000.0)
    parser.add_argument("--queries", type=int, default=20000)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    sys.path.insert(0, os.environ.get("QEL_BUILD_DIR", "build"))
    import qel

    qel.setQuiet(True)
    qel.init([], 320, 240, offscreen=True)
    rng = random.Random(1)
    ids = []
    for i in range(args.objects):
        x, y = rng.uniform(0, args.world), rng.uniform(0, args.world)
        if i % 2:
            ids.append(qel.createCircle(x, y, rng.uniform(2, 10), "#ffffff", 0).id)
        else:
            ids.append(qel.createRectangle(x, y, rng.uniform(4, 20), rng.uniform(4, 20), "#ffffff", 0).id)
    picks = [rng.choice(ids) for _ in range(args.queries)]
    regions = [(rng.uniform(0, args.world), rng.uniform(0, args.world)) for _ in range(args.queries)]

    def per_call(run):
        times = []
        for _ in range(args.rounds):
            start = time.perf_counter()
            run()
            times.append((time.perf_counter() - start) / args.queries * 1e6)
        return statistics.median(times)

    qel.overlapping(ids[0])  # builds the grid
    found = sum(len(qel.overlapping(i)) for i in picks)

    def loop_overlapping():
        for i in picks:
            qel.overlapping(i)

    def loop_region():
        for x, y in regions:
            qel.objectsIn(x, y, 64, 64)

    def loop_at():
        for x, y in regions:
            qel.objectAt(x, y)

    def loop_empty():
        for i in picks:
            qel.getWindowWidth()

    overlapping_us = per_call(loop_overlapping)
    region_us = per_call(loop_region)
    at_us = per_call(loop_at)
    call_us = per_call(loop_empty)
    rebuilds, again = [], []
    for r in range(20):
        qel.moveTo(ids[r], rng.uniform(0, args.world), rng.uniform(0, args.world))
        start = time.perf_counter()
        qel.overlapping(ids[r])
        rebuilds.append((time.perf_counter() - start) * 1e3)
        start = time.perf_counter()
        qel.overlapping(ids[r])
        again.append((time.perf_counter() - start) * 1e3)
    print(f"load average: {' '.join(f'{v:.2f}' for v in os.getloadavg())}")
    print(f"{args.objects} objects over {args.world:g} x {args.world:g}; "
          f"{found / len(picks):.2f} overlapping an object on average")
    print(f"a Python call doing nothing of note (getWindowWidth): {call_us:.2f} us")
    print(f"overlapping(id): {overlapping_us:.2f} us a call")
    print(f"objectsIn(x, y, 64, 64): {region_us:.2f} us a call")
    print(f"objectAt(x, y): {at_us:.2f} us a call")
    print(f"first question after a move (grid rebuilt): {statistics.median(rebuilds):.2f} ms; "
          f"asked again: {statistics.median(again) * 1e3:.2f} us; "
          f"rebuild / question {statistics.median(rebuilds) / statistics.median(again):.0f}x")


if __name__ == "__main__":
    main()
