#!/usr/bin/env python3
"""What the camera costs, and what objects it puts off-screen cost.

20,000 rectangles lie over a 16,000 x 12,000 pixel world. Each renderer draws the scene
offscreen at 800x600 under four cameras: the default (the world's corner, 1/400 of it
seen; every object still goes to the renderer, which finds most outside the frame), the same
corner scrolled by half a pixel (every primitive moved, those off-screen dropped before the
renderer), zoomed out to 1/20 so the whole world shows, and turned by 30 degrees over the
corner. Each figure is the median of --repeats runs of --frames frames (qel.nextFrame with no
frame rate limit, one object moved a frame so none is skipped), in ms a frame; the ratios to
the default camera are taken within one run. The load average is printed first: other work on the machine shows there.

    QEL_BUILD_DIR=build /usr/bin/python3 bench/camera_culling.py [--frames 120] [--repeats 3]
"""
import argparse
import json
import os
import statistics
import subprocess
import sys

CHILD = r"""
import json, random, sys, time, qel
qel.setQuiet(True)
qel.init([], 800, 600, offscreen=True)
qel.setFrameRate(0)
random.seed(5)
for _ in range(20000):
    qel.createRectangle(random.uniform(0, 16000), random.uniform(0, 12000), 20, 30,
                        "#%06x" % random.randrange(1 << 24), 0)
frames = int(sys.argv[1])
cameras = {"default": (0, 0, 1, 0), "scrolled": (0.5, 0, 1, 0), "whole world": (0, 0, 0.05, 0),
           "turned": (400, 300, 1, 30)}
out = {}
for name, (x, y, zoom, angle) in cameras.items():
    qel.setCamera(x, y, zoom, angle, anchor=(0, 0) if angle == 0 else "center")
    for _ in range(10):
        qel.nextFrame()
    start = time.perf_counter()
    for i in range(frames):
        # A moved object each frame, so no frame is skipped as unchanged.
        qel.moveTo(0, i % 7, 0)
        qel.nextFrame()
    out[name] = (time.perf_counter() - start) / frames * 1000
print(json.dumps(out))
"""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--frames", type=int, default=120)
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()
    print("load average: %.2f %.2f %.2f" % os.getloadavg())
    build = os.environ.get("QEL_BUILD_DIR", "build")
    env = dict(os.environ, PYTHONPATH=os.path.abspath(build))
    env.pop("DISPLAY", None)
    for renderer in ("tiles", "raster"):
        runs = []
        for _ in range(args.repeats):
            r = subprocess.run([sys.executable, "-c", CHILD, str(args.frames)], capture_output=True, text=True,
                               env=dict(env, QEL_RENDERER=renderer), timeout=600)
            if r.returncode != 0:
                sys.exit(r.stderr[-2000:])
            runs.append(json.loads(r.stdout.strip().splitlines()[-1]))
        for name in runs[0]:
            ms = statistics.median(run[name] for run in runs)
            ratio = statistics.median(run[name] / run["default"] for run in runs)
            print(f"{renderer:6} {name:12} {ms:8.2f} ms a frame   {ratio:5.2f} x default")


if __name__ == "__main__":
    main()
