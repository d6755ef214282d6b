#!/usr/bin/env python3
"""Turning sprites: 2,000 sprites of a 32x32 picture (a PNG made with Pillow, its corners
transparent) spread over an 800x600 frame, drawn offscreen and unpaced (setFrameRate(0),
one nextFrame a frame) by one renderer (--renderer, tiles by default). Scenes, each in a
fresh interpreter, run in turn --repeats times:

  still            the sprites moved a pixel every frame, unturned at their own size (the
                   one-texel-a-pixel path)
  scaling          every sprite's scale set anew every frame, unturned, filtered
  turning          every sprite's angle and scale set anew every frame, filtered
  turning-nearest  the same with smooth=False (pixel art)

Printed: each scene's frames per second (median over the repeats), the turning scenes' ratio
to "still" within each repeat (median), the milliseconds a frame the script spends moving
the sprites or setting their properties, and the load average before and after (the machine is shared).
--before DIR runs an older build's module from DIR too, scene by scene interleaved with the
current one, and prints each scene's ratio now/before within each repeat (median).

    QEL_BUILD_DIR=build /usr/bin/python3 bench/turning_sprites.py [--sprites 2000]
        [--frames 120] [--warmup 20] [--repeats 3] [--renderer tiles] [--before DIR] [--json-only]
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SCENES = ("still", "scaling", "turning", "turning-nearest")

CHILD = r"""
import json, math, random, sys, time
import qel
picture, scene, count, frames, warmup = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
qel.init([], 800, 600, offscreen=True, quiet=True)
qel.setFrameRate(0)
rng = random.Random(7)
sprites = [qel.createSprite(rng.uniform(0, 768), rng.uniform(0, 568), picture) for _ in range(count)]
spin = [rng.uniform(-3, 3) for _ in sprites]
if scene == "turning-nearest":
    for s in sprites:
        s.smooth = False
setting = 0.0
start = 0.0
for frame in range(warmup + frames):
    if frame == warmup:
        start, setting = time.perf_counter(), 0.0
    t0 = time.perf_counter()
    grow = 1.0 + 0.5 * math.sin(frame * 0.05)
    if scene == "still":
        for s in sprites:
            s.moveTo(s.top_left.x + (1 if frame % 2 else -1), s.top_left.y)
    elif scene == "scaling":
        for s in sprites:
            s.scale = grow
    else:
        for s, w in zip(sprites, spin):
            s.angle = frame * w
            s.scale = grow
    setting += time.perf_counter() - t0
    qel.nextFrame()
elapsed = time.perf_counter() - start
print(json.dumps({"renderer": qel.getRenderer(), "fps": frames / elapsed, "set_ms": 1000.0 * setting / frames}))
"""


def make_picture(folder):
    from PIL import Image, ImageDraw
    image = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    ImageDraw.Draw(image).ellipse((0, 0, 31, 31), fill=(230, 160, 40, 255), outline=(40, 40, 40, 255))
    path = os.path.join(folder, "ball.png")
    image.save(path)
    return path


def run_scene(args, picture, scene, build=None):
    build = build or os.environ.get("QEL_BUILD_DIR", os.path.join(ROOT, "build"))
    env = dict(os.environ, QEL_RENDERER=args.renderer, QEL_BUILD_DIR=build, PYTHONPATH=build)
    env.pop("DISPLAY", None)
    out = subprocess.run([sys.executable, "-c", CHILD, picture, scene, str(args.sprites), str(args.frames),
                          str(args.warmup)], env=env, capture_output=True, text=True, timeout=600)
    if out.returncode != 0:
        raise SystemExit(f"{scene} failed:\n{out.stderr[-2000:]}")
    result = json.loads(out.stdout.strip().splitlines()[-1])
    if result["renderer"] != args.renderer:
        raise SystemExit(f"{scene} ran on {result['renderer']}, not {args.renderer}")
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sprites", type=int, default=2000)
    parser.add_argument("--frames", type=int, default=120)
    parser.add_argument("--warmup", type=int, default=20)
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--renderer", choices=("tiles", "raster"), default="tiles")
    parser.add_argument("--before", metavar="DIR", help="an older build's folder, run interleaved")
    parser.add_argument("--json-only", action="store_true")
    args = parser.parse_args()
    load_before = os.getloadavg()
    runs = {scene: [] for scene in SCENES}
    before = {scene: [] for scene in SCENES}
    with tempfile.TemporaryDirectory() as folder:
        picture = make_picture(folder)
        for _ in range(args.repeats):
            for scene in SCENES:
                if args.before:
                    before[scene].append(run_scene(args, picture, scene, os.path.abspath(args.before)))
                runs[scene].append(run_scene(args, picture, scene))
    summary = {
        "renderer": args.renderer, "sprites": args.sprites, "frames": args.frames, "repeats": args.repeats,
        "fps": {scene: statistics.median(r["fps"] for r in runs[scene]) for scene in SCENES},
        "ratio_to_still": {scene: statistics.median(t["fps"] / s["fps"] for t, s in zip(runs[scene], runs["still"]))
                           for scene in SCENES[1:]},
        "set_ms_per_frame": {scene: statistics.median(r["set_ms"] for r in runs[scene]) for scene in SCENES},
        "loadavg_before": load_before, "loadavg_after": os.getloadavg(),
    }
    if args.before:
        summary["before_fps"] = {scene: statistics.median(r["fps"] for r in before[scene]) for scene in SCENES}
        summary["now_over_before"] = {scene: statistics.median(n["fps"] / b["fps"] for n, b in zip(runs[scene], before[scene]))
                                      for scene in SCENES}
    if args.json_only:
        print(json.dumps(summary))
        return
    print(f"{args.sprites} sprites, {args.renderer} renderer, 800x600 offscreen, median of {args.repeats}")
    for scene in SCENES:
        line = f"  {scene:16s} {summary['fps'][scene]:7.1f} fps, {summary['set_ms_per_frame'][scene]:5.2f} ms/frame in the script"
        if scene != "still":
            line += f", {summary['ratio_to_still'][scene]:.2f} x still"
        if args.before:
            line += f"; before {summary['before_fps'][scene]:.1f} fps, now/before {summary['now_over_before'][scene]:.2f}"
        print(line)
    print("load average before %.2f %.2f %.2f, after %.2f %.2f %.2f" % (*load_before, *summary["loadavg_after"]))


if __name__ == "__main__":
    main()
