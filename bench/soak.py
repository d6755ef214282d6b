"""Soak run: many shapes moved and recoloured every frame, with a swap-chain rebuild every
so often, watching the process's resident memory.

    scripts/with-display.sh /usr/bin/python3 bench/soak.py [--shapes 1000] [--frames 10000]
                                                           [--rebuild-every 1000] [--json]

Prints the resident set size after the first rebuild interval and at the end. A check in
the test suite runs a shorter version and asserts memory does not grow with frame count.
"""
import argparse
import json
import os
import random
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.environ.get("QEL_BUILD_DIR", os.path.join(ROOT, "build")))

import qel


def rss_kib():
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def resize(width, height):
    wid = subprocess.run(["xdotool", "search", "--name", "^Qel Demo$"], capture_output=True,
                         text=True).stdout.split()[-1]
    subprocess.run(["xdotool", "windowsize", wid, str(width), str(height)], check=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shapes", type=int, default=1000)
    parser.add_argument("--frames", type=int, default=10000)
    parser.add_argument("--rebuild-every", type=int, default=1000)
    parser.add_argument("--warmup-rebuilds", type=int, default=0,
                        help="rebuilds before measuring, to let the allocators settle")
    parser.add_argument("--json", action="store_true")
    args = parser.parse_args()

    rng = random.Random(7)
    qel.init([], 800, 600)
    handles = []
    for i in range(args.shapes):
        colour = "#%06x" % rng.randrange(1 << 24)
        if i % 2:
            handles.append(qel.createCircle(rng.uniform(20, 780), rng.uniform(20, 580), 10, colour, 0))
        else:
            handles.append(qel.createRectangle(rng.uniform(0, 770), rng.uniform(0, 570), 20, 30, colour, 0))
    ids = [h.id for h in handles]
    sizes = [(800, 600), (640, 480)]

    for k in range(args.warmup_rebuilds):
        resize(*sizes[(k + 1) % 2])
        for _ in range(4):
            time.sleep(0.017)
            qel.poll()
    if args.warmup_rebuilds % 2:
        resize(*sizes[0])

    samples = []
    frames = 0
    last_drawn = None
    started = time.monotonic()
    while frames < args.frames:
        t = frames * 0.05
        for n, shape_id in enumerate(ids):
            qel.moveTo(shape_id, 400 + 300 * ((n * 37 + frames) % 100) / 100 - 150, 300 + (n % 50))
            qel.updateColor(shape_id, (n * 2654435761 + frames) & 0xFFFFFF)
        qel.poll()
        if qel.deltaTime() < 0.0166:   # this poll did not draw: wait for the frame cap
            time.sleep(0.001)
            continue
        frames += 1
        if frames % args.rebuild_every == 0:
            samples.append({"frame": frames, "rss_kib": rss_kib()})
            resize(*sizes[(frames // args.rebuild_every) % 2])
        last_drawn = t
    elapsed = time.monotonic() - started
    qel.closeWindow()

    first = samples[0]["rss_kib"] if samples else rss_kib()
    last = samples[-1]["rss_kib"] if samples else rss_kib()
    result = {"shapes": args.shapes, "frames": frames, "rebuilds": len(samples), "seconds": round(elapsed, 1),
              "rss_first_kib": first, "rss_last_kib": last,
              "growth_percent": round(100.0 * (last - first) / first, 2), "samples": samples}
    if args.json:
        print("JSON: " + json.dumps(result))
    else:
        print(f"{frames} frames of {args.shapes} shapes in {elapsed:.1f} s, {len(samples)} swap-chain rebuilds")
        print(f"resident memory after frame {samples[0]['frame'] if samples else 0}: {first} KiB; "
              f"at the end: {last} KiB ({result['growth_percent']:+.2f} %)")
        print("JSON: " + json.dumps(result))


if __name__ == "__main__":
    main()
