"""Soak runs, watching the process's resident memory.

The default run moves and recolours many shapes every frame, with a swap-chain rebuild every
so often, and prints the resident set size after the first rebuild interval and at the end:

    scripts/with-display.sh /usr/bin/python3 bench/soak.py [--shapes 1000] [--frames 10000]
                                                           [--rebuild-every 1000] [--json]

With --churn, every frame creates that many shapes (circles and rectangles in turn, the
handles dropped at once) and removes the ones the frame before created, for --frames
frames (default 1,000): a million objects at the defaults. It prints the resident memory
and the mean frame period, busy time and drawing poll over the first and the last
--window frames:

    scripts/with-display.sh /usr/bin/python3 bench/soak.py --churn 1000 [--frames 1000] [--window 50] [--json]

Checks in the test suite run shorter versions and assert memory does not grow.
"""
import argparse
import array
import json
import os
import random
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.environ.get("QEL_BUILD_DIR", os.path.join(ROOT, "build")))

import qel


FRAME_NS = 16_666_666          # poll() draws once this much has passed since the last frame
DRAWN_S = 0.0166666655         # deltaTime() after a poll that drew is at least FRAME_NS
SPIN_NS = 500_000              # how long before the frame is due the loop starts polling


def rss_kib():
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def quiet_stdout():
    """qel prints a line per colour on stdout: send it to /dev/null and return a writer
    for this script's own lines."""
    sys.stdout.flush()
    out = os.fdopen(os.dup(1), "w", buffering=1)
    devnull = os.open(os.devnull, os.O_WRONLY)
    os.dup2(devnull, 1)
    os.close(devnull)
    return out


def window_figures(log, lo, hi):
    """Figures over frames lo..hi-1 of the churn soak's log (columns by name)."""
    mean = lambda key: round(statistics.fmean(log[key][lo:hi]), 3)
    return {"frames": hi - lo, "from_frame": lo + 1, "to_frame": hi, "rss_kib_mean": round(mean("rss_kib")),
            "rss_kib_end": log["rss_kib"][hi - 1], "period_ms_mean": mean("period_ms"),
            "busy_ms_mean": mean("busy_ms"), "poll_ms_mean": mean("poll_ms")}


def change_percent(first, last):
    return round(100.0 * (last - first) / first, 2) if first else None


def churn(args, out):
    """Creates args.churn objects a frame and removes those of the frame before, keeping
    only their identifiers; paced to the frame cap as a script's loop would be."""
    rng = random.Random(7)
    per_frame = args.churn
    frames_wanted = args.frames if args.frames is not None else 1000
    qel.init([], 800, 600)
    create_circle, create_rect, remove, poll, delta = (qel.createCircle, qel.createRectangle, qel.removeObject,
                                                       qel.poll, qel.deltaTime)
    uniform, colour_bits = rng.uniform, rng.getrandbits

    def create():
        ids = []
        for i in range(per_frame):
            colour = "#%06x" % colour_bits(24)
            if i % 2:
                ids.append(create_circle(uniform(20, 780), uniform(20, 580), 10, colour, 0).id)
            else:
                ids.append(create_rect(uniform(0, 770), uniform(0, 570), 20, 30, colour, 0).id)
        return ids

    now = time.perf_counter_ns
    # The log is allocated up front so that keeping it does not grow the memory it watches.
    log = {key: array.array("q" if key == "rss_kib" else "d", bytes(8 * frames_wanted))
           for key in ("rss_kib", "period_ms", "busy_ms", "poll_ms")}
    alive = create()
    poll()
    last_draw = now()
    last_start = None
    created = removed = 0
    failed_removals = 0
    started = time.monotonic()
    for frame in range(frames_wanted):
        f0 = now()
        fresh = create()
        for shape_id in alive:
            if not remove(shape_id):
                failed_removals += 1
        created += len(fresh)
        removed += len(alive)
        alive = fresh
        f1 = now()
        # Sleep until shortly before the frame is due, then poll until it draws.
        due = last_draw + FRAME_NS - SPIN_NS
        # One reading a turn: the clock moves between two.
        while (left := due - now()) > 0:
            time.sleep(left / 1e9)
        while True:
            p0 = now()
            poll()
            if delta() >= DRAWN_S:
                break
        f2 = now()
        if last_start is not None:
            log["period_ms"][frame - 1] = (f0 - last_start) / 1e6
        log["busy_ms"][frame] = (f1 - f0 + f2 - p0) / 1e6
        log["poll_ms"][frame] = (f2 - p0) / 1e6
        log["rss_kib"][frame] = rss_kib()
        last_start = f0
        last_draw = p0
    log["period_ms"][frames_wanted - 1] = (now() - last_start) / 1e6
    elapsed = time.monotonic() - started
    qel.closeWindow()

    count = frames_wanted
    window = min(args.window, count)
    first, last = window_figures(log, 0, window), window_figures(log, count - window, count)
    result = {"mode": "churn", "per_frame": per_frame, "frames": count, "created": created, "removed": removed,
              "failed_removals": failed_removals, "seconds": round(elapsed, 1), "window": window,
              "first": first, "last": last,
              "rss_change_percent": change_percent(first["rss_kib_mean"], last["rss_kib_mean"]),
              "period_change_percent": change_percent(first["period_ms_mean"], last["period_ms_mean"]),
              "busy_change_percent": change_percent(first["busy_ms_mean"], last["busy_ms_mean"]),
              # Every window of frames in turn, to tell a trend from a noisy end.
              "windows": [window_figures(log, lo, lo + window) for lo in range(0, count - window + 1, window)]}
    if not args.json:
        out.write(f"{count} frames, {per_frame} objects created and {per_frame} removed each "
                  f"({created} created in all, handles dropped) in {elapsed:.1f} s\n")
        for name, w in (("first", first), ("last", last)):
            out.write(f"{name:5s} {window} frames ({w['from_frame']}..{w['to_frame']}): resident memory "
                      f"{w['rss_kib_mean']} KiB (mean; {w['rss_kib_end']} at the end), frame period "
                      f"{w['period_ms_mean']:.2f} ms, busy {w['busy_ms_mean']:.2f} ms, drawing poll "
                      f"{w['poll_ms_mean']:.2f} ms (means)\n")
        out.write(f"last over first: memory {result['rss_change_percent']:+.2f} %, frame period "
                  f"{result['period_change_percent']:+.2f} %, busy {result['busy_change_percent']:+.2f} %\n")
    out.write("JSON: " + json.dumps(result) + "\n")


def resize(width, height):
    wid = subprocess.run(["xdotool", "search", "--name", "^Qel Demo$"], capture_output=True,
                         text=True).stdout.split()[-1]
    subprocess.run(["xdotool", "windowsize", wid, str(width), str(height)], check=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shapes", type=int, default=1000)
    parser.add_argument("--frames", type=int, default=None, help="frames (default 10,000; with --churn 1,000)")
    parser.add_argument("--rebuild-every", type=int, default=1000)
    parser.add_argument("--warmup-rebuilds", type=int, default=0,
                        help="rebuilds before measuring, to let the allocators settle")
    parser.add_argument("--churn", type=int, default=0,
                        help="objects created and removed every frame, in place of the moving soak")
    parser.add_argument("--window", type=int, default=50, help="frames at each end the churn soak compares")
    parser.add_argument("--json", action="store_true")
    args = parser.parse_args()
    out = quiet_stdout()
    if args.churn > 0:
        churn(args, out)
        return
    if args.frames is None:
        args.frames = 10000

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
    if not args.json:
        out.write(f"{frames} frames of {args.shapes} shapes in {elapsed:.1f} s, {len(samples)} swap-chain rebuilds\n")
        out.write(f"resident memory after frame {samples[0]['frame'] if samples else 0}: {first} KiB; "
                  f"at the end: {last} KiB ({result['growth_percent']:+.2f} %)\n")
    out.write("JSON: " + json.dumps(result) + "\n")


if __name__ == "__main__":
    main()
