#!/usr/bin/env python3
"""Frame pacing: how closely nextFrame() keeps 60 frames a second, and what it costs.

Three loops draw the same small scene (an empty window, or --shapes moving circles) for
--frames frames each, in fresh interpreters, interleaved over --repeats rounds:

    nextFrame   while not qel.shouldClose(): dt = qel.nextFrame()
    sleep+poll  the old README loop: time.sleep(1/60); qel.poll()
    busy poll   polls until deltaTime() reaches 1/60 s (the old trick for 60 fps)

For each it prints the mean period and its deviation from 1/60 s, the 95th percentile
period, and the process's CPU time (driver threads included) as a share of one core.

    QEL_BUILD_DIR=build scripts/with-display.sh /usr/bin/python3 bench/frame_pacing.py \
        [--frames 300] [--repeats 3] [--shapes 0] [--size 800x600]
"""
import argparse
import json
import os
import statistics
import subprocess
import sys

CHILD = r"""
import json, os, sys, time
import qel
loop, frames, shapes, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
qel.init([], w, h, quiet=True)
circles = [qel.createCircle(20 + i * 7 % (w - 40), 20 + i * 13 % (h - 40), 10, "#3498db", 0) for i in range(shapes)]
def step(i):
    for k, c in enumerate(circles):
        qel.moveTo(c.id, (c.center.x + i) % w, c.center.y)
def frame():
    if loop == "nextFrame":
        qel.nextFrame()
    elif loop == "sleep+poll":
        time.sleep(1 / 60)
        qel.poll()
    else:
        while True:
            qel.poll()
            if qel.deltaTime() >= 0.016666666:  # this poll drew
                break
for i in range(30):  # warm up: the first frames build the swap chain and pipelines
    frame()
stamps, cpu0, wall0 = [], time.process_time(), time.perf_counter()
for i in range(frames):
    frame()
    stamps.append(time.perf_counter())
    step(i)
cpu, wall = time.process_time() - cpu0, time.perf_counter() - wall0
periods = [b - a for a, b in zip(stamps, stamps[1:])]
print(json.dumps({"periods": periods, "cpu": cpu / wall}))
"""

LOOPS = ["nextFrame", "sleep+poll", "busy poll"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--frames", type=int, default=300)
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--shapes", type=int, default=0)
    parser.add_argument("--size", default="800x600")
    args = parser.parse_args()
    w, h = args.size.split("x")
    build = os.path.abspath(os.environ.get("QEL_BUILD_DIR", "build"))
    env = dict(os.environ, PYTHONPATH=build)
    print(f"load average at start: {os.getloadavg()}")
    results = {loop: [] for loop in LOOPS}
    for _ in range(args.repeats):
        for loop in LOOPS:  # interleaved, so a slow spell of the machine falls on all
            out = subprocess.run([sys.executable, "-c", CHILD, loop, str(args.frames), str(args.shapes), w, h],
                                 capture_output=True, text=True, env=env, timeout=300)
            if out.returncode != 0:
                sys.exit(out.stderr)
            results[loop].append(json.loads(out.stdout.splitlines()[-1]))
    target = 1 / 60
    print(f"{args.frames} frames, {args.shapes} shapes, {args.size}, {args.repeats} repeats (median of repeats)")
    print(f"{'loop':<12} {'mean period ms':>15} {'off 1/60':>9} {'p95 ms':>8} {'CPU of a core':>14}")
    for loop in LOOPS:
        means = [statistics.mean(r["periods"]) for r in results[loop]]
        p95 = [sorted(r["periods"])[int(0.95 * len(r["periods"]))] for r in results[loop]]
        cpu = [r["cpu"] for r in results[loop]]
        mean = statistics.median(means)
        print(f"{loop:<12} {mean * 1000:>15.3f} {100 * (mean - target) / target:>+8.2f}% "
              f"{statistics.median(p95) * 1000:>8.2f} {100 * statistics.median(cpu):>13.1f}%")
    print(f"load average at end: {os.getloadavg()}")


if __name__ == "__main__":
    main()
