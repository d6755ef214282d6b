#!/usr/bin/env python3
"""Moving shapes: qel's two renderers against pygame on the same workload.

N circles (radius 10..20) and N rectangles (20 wide, 30 high) with random colours and
velocities bounce inside an 800x600 window. The simulation always advances by 1/60 s,
so only the engine differs between runs. The engines are "qel-tiles" and "qel-raster"
(qel with QEL_RENDERER set to that renderer; the child reports qel.getRenderer() and a
run under another renderer counts as an error) and "pygame". Each engine configuration
runs in a fresh interpreter (qel's and pygame's state is process-wide); this script
starts them and collects their results as JSON.

    QEL_BUILD_DIR=build scripts/with-display.sh /usr/bin/python3 bench/moving_shapes.py \
        [--ladder 100,1000,5000,10000,20000] [--frames 180] [--warmup 30] [--repeats 3] \
        [--renderers tiles,raster] [--no-pygame] [--json-only] \
        [--batch-ladder 5000,20000,40000,60000] [--batch-renderers tiles,raster] \
        [--sprites 2000] [--labels 200] [--batch-call-objects 20000] \
        [--offscreen] [--before DIR] [--bunny-ladder 500,1000,2000,5000,10000,20000] \
        [--bunnymark-only | --no-bunnymark] [--plot PATH]

Each repeat runs the ladder afresh, the engines in turn at every N, then bisects every
engine from its own ladder, the engines' probes again in turn, so a slow or fast spell
of the machine falls on all of them. The largest N at 60 fps is the lower median over
the repeats (an N that was measured), with the minimum and maximum; each qel renderer's
ratio to pygame is the median of the repeats' ratios. At each qel renderer's largest N
the scene runs once as created and once created in alternating order (circle, rectangle,
...); the first run's 95th percentile period over its median is the "stall" figure.
Per-call timings use qel's default renderer for the device (the output names it);
start-up to the first frame is the median over each engine's ladder runs.

Phases per frame: "update" moves the shapes (positions, plus qel.moveTo for every
shape); "draw" is qel.poll() (events, record, submit, start of the present) or pygame's
events, fill, draw calls and flip; "rest" is the loop's own bookkeeping; "total" is the
three together, the time the script's thread was busy. For qel the loop sleeps until
half a millisecond before the frame is due and then calls poll() until it draws, as a
script's loop would; that wait is in no phase. pygame has no such rule and is not paced.
"period" is the time from one frame's start to the next, wait included: qel renders and
presents while the script goes on, so a frame it cannot finish in time shows in the
period (the next poll waits for it), not in the busy time. An engine keeps 60 fps at N
when the mean period is within 1/60 s plus 0.4 ms of scheduling allowance, the same for
all: the frame rate it reaches, slow frames included, is 60 per second.
CPU time is time.process_time() per frame, which includes the driver's render threads.

Batch mode ("qel-tiles-batch", "qel-raster-batch") is the same scene with the positions and
velocities in NumPy arrays, stepped and bounced with array operations, and sent with one
qel.moveMany a frame; it has its own ladder, repeats and bisections by the same rules, and
each repeat's largest N is set over pygame's per-shape figure of the repeat of the same number.
The pictures-and-text scene moves 2,000 32x32 sprites (a PNG made with Pillow, its corners
transparent) by one moveMany a frame and changes the text of 200 labels every frame; it runs
once per repeat on each of --renderers and keeps 60 fps by the mean-period rule (median over
the repeats); then again with every sprite also turned (each at its own speed) and scaled
(0.5 to 1.5 times and back) anew every frame. Batch calls: moveMany and updateColors in ns
per object (NumPy int64 ids, float64 coordinates, int64 colours) and objectAt in us per call
at random points of a scene that stays put, 20,000 objects, timed like the per-call figures.

The floor ("floor", and "floor-batch" in batch mode) is the script's own cost: the same child
and stepping, but each qel call is a call of the builtin slice() with the same arguments (a
C call that only keeps its three arguments in a small object CPython reuses; one with the
arrays in batch), and nothing is drawn. Its loop is paced like qel's, by a stand-in poll that
"draws" once 1/60 s has passed since the last frame, so it sleeps and wakes as qel's does; but
it keeps 60 fps at N when its mean busy time (the "total" phase) is within the same budget,
not its period: with nothing to draw, a period above 1/60 s is only the scheduler waking the
loop late, which would fail a floor that does nothing on a busy machine. Its largest N is
then what the script itself could do at 60 fps, qel's figure as a share of it is how much of
that qel keeps, and the share does not move with how fast the machine runs Python. A floor
that keeps up at the ladder's top climbs on by doubling N (at most 5 times) before its
bisection. The summary prints each engine's ratio to pygame beside its share of its floor.

The bunnymark moves N 26x37 bunnies (a picture drawn with Pillow) the classic way, in pixels
a frame: x speed 0..10, y speed -5..5, gravity 0.75; a bunny bounces off the walls, off the
ground keeping 0.85 of its speed and, one time in two, a kick of up to 6 upwards, and stops
at the ceiling. Engines: qel-<renderer> (a moveTo a bunny), qel-<renderer>-batch (NumPy and one
moveMany), pygame (a blit a bunny onto the screen, then flip) and both floors, in its own
ladder, repeats and bisections by the same rules. --plot PATH writes one PNG with matplotlib:
the mean period (the floors: busy time) against N from every engine's ladder runs (medians
over the repeats, log-log), the moving shapes and the bunnymark side by side, 1/60 s dashed,
the load average in the title.

--offscreen adds "qel-tiles-offscreen" and "qel-raster-offscreen" (for --renderers): the
same children with qel.init(..., offscreen=True) and no DISPLAY, in the same ladders and
bisections; the summary sets each one's largest N over its windowed renderer's. --before
DIR adds "qel-tiles-before" and "qel-raster-before", whose children import qel from DIR (an
older build, so they use only what it has: no offscreen) in the ladders, bisections and the
pictures-and-text scene; the summary sets the current build's largest N and its pictures-
and-text figures over theirs. Each pair's ratio is the median of the repeats' ratios.
"""
import argparse
import json
import math
import os
import platform
import random
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

WIDTH, HEIGHT = 800, 600
SIM_DT = 1.0 / 60.0
FRAME_NS = 16_666_666          # poll() draws once this much has passed since the last frame
DRAWN_S = 0.0166666655         # deltaTime() after a poll that drew is at least FRAME_NS
SPIN_NS = 500_000              # how long before the frame is due the loop starts polling
BUDGET_MS = 1000.0 / 60.0 + 0.4  # mean frame period that still counts as 60 fps
MAX_SPEED = 240.0
RECT_W, RECT_H = 20, 30
BACKGROUND = (3, 3, 3)         # what qel's clear colour comes out as
MIN_WARMUP = 2                 # the first frame with shapes also compiles shader variants
MIN_FRAMES = 5
SPRITE_SIZE = 32
LABEL_SIZE = 16
NO_OP = slice                  # the floor's stand-in for a qel call: C, takes any three objects, keeps them
BUNNY_W, BUNNY_H = 26, 37
BUNNY_MAX_X, BUNNY_MAX_Y = WIDTH - BUNNY_W, HEIGHT - BUNNY_H
GRAVITY = 0.75                 # px per frame, per frame
LANDING_DAMPING = 0.85         # share of the speed a bunny keeps bouncing off the ground
FLOOR_CLIMBS = 5               # doublings past the ladder's top for a floor that still keeps up


# ---------------------------------------------------------------- shared workload

def make_scene(n, seed):
    """Lists for N circles then N rectangles; positions are centres for circles and
    top-left corners for rectangles, with per-shape bounce limits."""
    rng = random.Random(seed)
    s = {k: [] for k in ("kind", "size", "color", "x", "y", "vx", "vy", "xlo", "xhi", "ylo", "yhi")}

    def add(kind, size, xlo, xhi, ylo, yhi):
        s["kind"].append(kind)
        s["size"].append(size)
        s["color"].append(rng.randrange(0x1000000))
        s["x"].append(rng.uniform(xlo, xhi))
        s["y"].append(rng.uniform(ylo, yhi))
        s["vx"].append(rng.uniform(0.0, MAX_SPEED) * rng.choice((-1.0, 1.0)))
        s["vy"].append(rng.uniform(0.0, MAX_SPEED) * rng.choice((-1.0, 1.0)))
        for key, value in (("xlo", xlo), ("xhi", xhi), ("ylo", ylo), ("yhi", yhi)):
            s[key].append(float(value))

    for _ in range(n):
        r = rng.randint(10, 20)
        add("c", r, r, WIDTH - r, r, HEIGHT - r)
    for _ in range(n):
        add("r", None, 0, WIDTH - RECT_W, 0, HEIGHT - RECT_H)
    return s


def step_positions(xs, ys, vxs, vys, xlo, xhi, ylo, yhi, dt):
    """Advances every shape by dt and reflects it off the window edges."""
    for i in range(len(xs)):
        x = xs[i] + vxs[i] * dt
        if x < xlo[i]:
            x = 2.0 * xlo[i] - x
            vxs[i] = -vxs[i]
        elif x > xhi[i]:
            x = 2.0 * xhi[i] - x
            vxs[i] = -vxs[i]
        y = ys[i] + vys[i] * dt
        if y < ylo[i]:
            y = 2.0 * ylo[i] - y
            vys[i] = -vys[i]
        elif y > yhi[i]:
            y = 2.0 * yhi[i] - y
            vys[i] = -vys[i]
        xs[i] = x
        ys[i] = y


def make_bunnies(n, seed):
    """Lists x, y (top-left corners), vx, vy for N bunnies, spread over the window with the
    usual bunnymark start: x speed 0..10 px a frame, y speed -5..5."""
    rng = random.Random(seed)
    xs = [rng.uniform(0, BUNNY_MAX_X) for _ in range(n)]
    ys = [rng.uniform(0, BUNNY_MAX_Y) for _ in range(n)]
    vxs = [rng.random() * 10.0 for _ in range(n)]
    vys = [rng.random() * 10.0 - 5.0 for _ in range(n)]
    return xs, ys, vxs, vys


def step_bunnies(xs, ys, vxs, vys, rand):
    """One frame of the bunnymark: move, fall, bounce off the walls, off the ground with
    damping and at random a kick upwards, and stop at the ceiling."""
    for i in range(len(xs)):
        x = xs[i] + vxs[i]
        y = ys[i] + vys[i]
        vy = vys[i] + GRAVITY
        if x > BUNNY_MAX_X:
            vxs[i] = -vxs[i]
            x = BUNNY_MAX_X
        elif x < 0.0:
            vxs[i] = -vxs[i]
            x = 0.0
        if y > BUNNY_MAX_Y:
            vy *= -LANDING_DAMPING
            y = BUNNY_MAX_Y
            if rand() > 0.5:
                vy -= rand() * 6.0
        elif y < 0.0:
            vy = 0.0
            y = 0.0
        xs[i] = x
        ys[i] = y
        vys[i] = vy


class ArrayBunnies:
    """step_bunnies() over NumPy arrays, into buffers made once."""

    def __init__(self, np, seed, xs, ys, vxs, vys):
        self.np = np
        self.rng = np.random.default_rng(seed)
        self.x, self.y, self.vx, self.vy = (np.array(v, dtype=np.float64) for v in (xs, ys, vxs, vys))
        self.hit, self.kick = np.empty(self.x.shape, dtype=bool), np.empty(self.x.shape, dtype=bool)
        self.draw = np.empty_like(self.x)

    def step(self):
        np, x, y, vx, vy, hit, kick, draw = (self.np, self.x, self.y, self.vx, self.vy, self.hit,
                                            self.kick, self.draw)
        x += vx
        y += vy
        vy += GRAVITY
        for beyond, edge in ((np.greater, BUNNY_MAX_X), (np.less, 0.0)):
            beyond(x, edge, out=hit)
            np.negative(vx, out=vx, where=hit)
        np.clip(x, 0.0, BUNNY_MAX_X, out=x)
        np.greater(y, BUNNY_MAX_Y, out=hit)
        np.multiply(vy, -LANDING_DAMPING, out=vy, where=hit)
        self.rng.random(out=draw)
        np.greater(draw, 0.5, out=kick)
        kick &= hit
        self.rng.random(out=draw)
        draw *= 6.0
        np.subtract(vy, draw, out=vy, where=kick)
        np.less(y, 0.0, out=hit)
        np.copyto(vy, 0.0, where=hit)
        np.clip(y, 0.0, BUNNY_MAX_Y, out=y)


def percentile(values, p):
    """Linear interpolation between closest ranks."""
    s = sorted(values)
    if not s:
        return float("nan")
    k = (len(s) - 1) * p / 100.0
    lo = math.floor(k)
    hi = min(lo + 1, len(s) - 1)
    return s[lo] + (s[hi] - s[lo]) * (k - lo)


def summarize(samples_ns):
    ms = [v / 1e6 for v in samples_ns]
    return {"median": statistics.median(ms), "p95": percentile(ms, 95),
            "mean": statistics.fmean(ms) if ms else float("nan")}


class FrameLog:
    """Per-frame stamps; rest and CPU are taken from one frame start to the next, so
    everything the loop does outside the phases lands in rest."""

    def __init__(self):
        self.starts, self.cpu_starts = [], []
        self.update, self.wait, self.draw = [], [], []

    def add(self, start, cpu_start, update, wait, draw):
        self.starts.append(start)
        self.cpu_starts.append(cpu_start)
        self.update.append(update)
        self.wait.append(wait)
        self.draw.append(draw)

    def finish(self, end, cpu_end):
        starts = self.starts + [end]
        cpus = self.cpu_starts + [cpu_end]
        rest, total, period, cpu = [], [], [], []
        for i in range(len(self.update)):
            frame = starts[i + 1] - starts[i] - self.wait[i]
            rest.append(frame - self.update[i] - self.draw[i])
            total.append(frame)
            period.append(starts[i + 1] - starts[i])
            cpu.append(cpus[i + 1] - cpus[i])
        return {
            "frames": len(total),
            "update": summarize(self.update),
            "draw": summarize(self.draw),
            "rest": summarize(rest),
            "total": summarize(total),
            "period": summarize(period),
            "cpu": summarize(cpu),
            "wait_ms_mean": statistics.fmean(self.wait) / 1e6 if self.wait else 0.0,
        }


def run_frames(frame, job):
    """Warm-up, then measured frames, each stopping early at its share of the time
    budget (but never below the minimum counts)."""
    budget = job["budget"]
    t0 = time.perf_counter()
    warm = 0
    while warm < job["warmup"] and (warm < MIN_WARMUP or time.perf_counter() - t0 < 0.25 * budget):
        frame(None)
        warm += 1
    log = FrameLog()
    t1 = time.perf_counter()
    done = 0
    while done < job["frames"] and (done < MIN_FRAMES or time.perf_counter() - t1 < 0.75 * budget):
        frame(log)
        done += 1
    result = log.finish(time.perf_counter_ns(), time.process_time_ns())
    result["warmup"] = warm
    return result


# ---------------------------------------------------------------- child processes

def import_qel():
    try:
        import qel
    except ImportError:
        sys.path.insert(0, os.environ.get("QEL_BUILD_DIR") or os.path.join(ROOT, "build"))
        import qel
    return qel


def create_qel_shapes(qel, s, alternating=False):
    """Creates the shapes, all circles then all rectangles or (alternating) one of each in
    turn; returns their identifiers in the scene's order."""
    count = len(s["kind"])
    order = list(range(count))
    if alternating:
        half = count // 2
        order = [i for pair in zip(range(half), range(half, count)) for i in pair]
    ids = [None] * count
    for i in order:
        text = "#%06x" % s["color"][i]
        if s["kind"][i] == "c":
            ids[i] = qel.createCircle(s["x"][i], s["y"][i], s["size"][i], text, 0).id
        else:
            ids[i] = qel.createRectangle(s["x"][i], s["y"][i], RECT_H, RECT_W, text, 0).id
    return ids


def start_qel(job):
    """Imports qel, opens the window (or not, offscreen) and draws the first frame; returns
    the module, the time that took in ns and when that first poll started."""
    qel = import_qel()
    t0 = time.perf_counter_ns()
    if job.get("offscreen"):
        qel.init([], WIDTH, HEIGHT, offscreen=True)
    else:
        qel.init([], WIDTH, HEIGHT)     # an older build's init takes no more
    poll_start = time.perf_counter_ns()
    qel.poll()                      # the first poll after init always draws
    return qel, time.perf_counter_ns() - t0, poll_start


def paced_frame(qel, update, poll_start):
    """The frame of a qel child: update(), then the script's own pacing and the poll that
    draws. Returns the frame function and its state (the idle polls it counted)."""
    poll, delta = qel.poll, qel.deltaTime
    now, cpu_now, sleep = time.perf_counter_ns, time.process_time_ns, time.sleep
    state = {"last_draw": poll_start, "idle_polls": 0}

    def frame(log):
        f0 = now()
        c0 = cpu_now()
        update()
        f1 = now()
        # Sleep until shortly before the frame is due, then poll until it draws, as a
        # script's own loop would; only that last stretch spins.
        target = state["last_draw"] + FRAME_NS - SPIN_NS
        f2 = f1
        while f2 < target:
            sleep((target - f2) / 1e9)
            f2 = now()
        while True:
            f2 = now()
            poll()
            if delta() >= DRAWN_S:
                break
            if log is not None:
                state["idle_polls"] += 1
        f3 = now()
        state["last_draw"] = f2
        if log is not None:
            log.add(f0, c0, f1 - f0, f2 - f1, f3 - f2)

    return frame, state


class FloorClock:
    """poll() and deltaTime() for the floor: a frame is "drawn" by the first poll once
    FRAME_NS have passed since the last, as qel's poll draws, and nothing else happens."""

    def __init__(self, start):
        self.last, self.delta = start, 0.0

    def poll(self):
        t = time.perf_counter_ns()
        if t - self.last >= FRAME_NS:
            self.delta, self.last = (t - self.last) / 1e9, t
        else:
            self.delta = 0.0

    def deltaTime(self):
        return self.delta


def start_floor():
    """The floor's stand-ins for start_qel(): the clock, no start-up, now."""
    start = time.perf_counter_ns()
    return FloorClock(start), None, start


class ArrayBounce:
    """Positions and velocities as NumPy arrays, advanced and reflected off the bounds with
    array operations into buffers made once, so a step allocates nothing."""

    def __init__(self, np, x, y, vx, vy, xlo, xhi, ylo, yhi):
        col = lambda v: np.array(v, dtype=np.float64)
        self.np = np
        self.x, self.y, self.vx, self.vy = col(x), col(y), col(vx), col(vy)
        self.axes = [(self.x, self.vx, col(xlo), col(xhi)), (self.y, self.vy, col(ylo), col(yhi))]
        self.axes = [(p, v, lo, hi, 2.0 * lo, 2.0 * hi) for p, v, lo, hi in self.axes]
        self.step_buf = np.empty_like(self.x)
        self.mask = np.empty(self.x.shape, dtype=bool)

    def step(self, dt):
        np, step, mask = self.np, self.step_buf, self.mask
        for p, v, lo, hi, lo2, hi2 in self.axes:
            np.multiply(v, dt, out=step)
            p += step
            np.less(p, lo, out=mask)
            np.subtract(lo2, p, out=p, where=mask)
            np.negative(v, out=v, where=mask)
            np.greater(p, hi, out=mask)
            np.subtract(hi2, p, out=p, where=mask)
            np.negative(v, out=v, where=mask)


def child_qel(job):
    """The moving-shapes scene in qel: per shape (a moveTo each, kind "qel") or in batch
    (NumPy arrays and one moveMany a frame, kind "qel_batch"); as the floor ("floor",
    "floor_batch") the same with NO_OP for the call and nothing drawn."""
    floor = job["kind"] in ("floor", "floor_batch")
    s = make_scene(job["n"], job["seed"])
    if floor:
        qel, startup, poll_start = start_floor()
        ids = list(range(1, len(s["kind"]) + 1))
    else:
        qel, startup, poll_start = start_qel(job)
        ids = create_qel_shapes(qel, s, alternating=job.get("alternating", False))
    if job["kind"] in ("qel_batch", "floor_batch"):
        import numpy as np
        shapes = ArrayBounce(np, s["x"], s["y"], s["vx"], s["vy"], s["xlo"], s["xhi"], s["ylo"], s["yhi"])
        id_column = np.array(ids, dtype=np.int64)
        move_many, xs, ys = NO_OP if floor else qel.moveMany, shapes.x, shapes.y

        def update():
            shapes.step(SIM_DT)
            move_many(id_column, xs, ys)
    else:
        xs, ys, vxs, vys = s["x"], s["y"], s["vx"], s["vy"]
        bounds = (s["xlo"], s["xhi"], s["ylo"], s["yhi"])
        move = NO_OP if floor else qel.moveTo

        def update():
            step_positions(xs, ys, vxs, vys, *bounds, SIM_DT)
            for i, x, y in zip(ids, xs, ys):
                move(i, x, y)

    return run_paced(job, qel, update, poll_start, startup, n=job["n"], shapes=len(ids))


def run_paced(job, qel, update, poll_start, startup, **fields):
    """The measured frames of a qel or floor child, and what it reports besides."""
    frame, state = paced_frame(qel, update, poll_start)
    result = run_frames(frame, job)
    floor = isinstance(qel, FloorClock)
    result.update(fields, startup_ms=None if floor else startup / 1e6, busy_rule=floor,
                  renderer=None if floor else qel.getRenderer(), module=None if floor else qel.__file__,
                  idle_polls_per_frame=state["idle_polls"] / max(1, result["frames"]))
    return result


def make_bunny_png(directory):
    """A 26x37 white bunny (ears, head, body, eyes) on a transparent ground, written as PNG."""
    from PIL import Image, ImageDraw
    img = Image.new("RGBA", (BUNNY_W, BUNNY_H), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    white, pink, grey = (250, 250, 250, 255), (240, 160, 180, 255), (90, 90, 90, 255)
    for left in (5, 14):
        d.ellipse((left, 0, left + 6, 16), fill=white, outline=grey)
        d.ellipse((left + 2, 3, left + 4, 13), fill=pink)
    d.ellipse((3, 20, 22, 36), fill=white, outline=grey)
    d.ellipse((4, 10, 21, 26), fill=white, outline=grey)
    d.point([(9, 16), (16, 16)], fill=(20, 20, 20, 255))
    d.point([(12, 20), (13, 20)], fill=pink)
    path = os.path.join(directory, "bunny.png")
    img.save(path)
    return path


def child_bunnies(job):
    """The bunnymark in qel (a moveTo a bunny, or NumPy and one moveMany) or as the floor
    (the same stepping, the no-op call instead of qel's)."""
    import tempfile
    floor = job["kind"] in ("floor", "floor_batch")
    n = job["n"]
    xs, ys, vxs, vys = make_bunnies(n, job["seed"])
    if floor:
        qel, startup, poll_start = start_floor()
        ids = list(range(1, n + 1))
    else:
        qel, startup, poll_start = start_qel(job)
        with tempfile.TemporaryDirectory() as tmp:
            path = make_bunny_png(tmp)
            ids = [qel.createSprite(xs[i], ys[i], path).id for i in range(n)]
    if job["kind"] in ("qel_batch", "floor_batch"):
        import numpy as np
        bunnies = ArrayBunnies(np, job["seed"], xs, ys, vxs, vys)
        id_column = np.array(ids, dtype=np.int64)
        move_many, bx, by, step = NO_OP if floor else qel.moveMany, bunnies.x, bunnies.y, bunnies.step

        def update():
            step()
            move_many(id_column, bx, by)
    else:
        move, rand = NO_OP if floor else qel.moveTo, random.Random(job["seed"]).random

        def update():
            step_bunnies(xs, ys, vxs, vys, rand)
            for i, x, y in zip(ids, xs, ys):
                move(i, x, y)

    return run_paced(job, qel, update, poll_start, startup, n=n, shapes=n)


def start_pygame():
    """pygame's window, shown once; the module, the screen and the ns it took."""
    os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")
    import pygame
    t0 = time.perf_counter_ns()
    pygame.display.init()
    screen = pygame.display.set_mode((WIDTH, HEIGHT))
    screen.fill(BACKGROUND)
    pygame.display.flip()
    return pygame, screen, time.perf_counter_ns() - t0


def child_pygame_bunnies(job):
    """The bunnymark in pygame: a blit a bunny onto the screen, then flip."""
    import tempfile
    pygame, screen, startup = start_pygame()
    with tempfile.TemporaryDirectory() as tmp:
        bunny = pygame.image.load(make_bunny_png(tmp)).convert_alpha()
    n = job["n"]
    xs, ys, vxs, vys = make_bunnies(n, job["seed"])
    rand = random.Random(job["seed"]).random
    blit, fill, flip, pump = screen.blit, screen.fill, pygame.display.flip, pygame.event.pump
    now, cpu_now = time.perf_counter_ns, time.process_time_ns

    def frame(log):
        f0 = now()
        c0 = cpu_now()
        step_bunnies(xs, ys, vxs, vys, rand)
        f1 = now()
        pump()
        fill(BACKGROUND)
        for x, y in zip(xs, ys):
            blit(bunny, (x, y))
        flip()
        f3 = now()
        if log is not None:
            log.add(f0, c0, f1 - f0, 0, f3 - f1)

    result = run_frames(frame, job)
    result.update(n=n, shapes=n, startup_ms=startup / 1e6, pygame_version=pygame.version.ver)
    return result


def make_sprite_png(directory):
    """A 32x32 opaque picture with its corners cut transparent, written as PNG."""
    from PIL import Image
    img = Image.new("RGBA", (SPRITE_SIZE, SPRITE_SIZE))
    last = SPRITE_SIZE - 1
    for y in range(SPRITE_SIZE):
        for x in range(SPRITE_SIZE):
            corner = min(x, last - x) + min(y, last - y) < 3
            img.putpixel((x, y), (0, 0, 0, 0) if corner else (40 + 6 * x, 200 - 5 * y, 120, 255))
    path = os.path.join(directory, "sprite.png")
    img.save(path)
    return path


def child_pictures(job):
    """Sprites moved every frame with one moveMany, and text labels whose text changes
    every frame."""
    import tempfile
    import numpy as np
    qel, startup, poll_start = start_qel(job)
    rng = random.Random(job["seed"])
    with tempfile.TemporaryDirectory() as tmp:
        path = make_sprite_png(tmp)
        hi_x, hi_y = WIDTH - SPRITE_SIZE, HEIGHT - SPRITE_SIZE
        count = job["sprites"]
        x = [rng.uniform(0, hi_x) for _ in range(count)]
        y = [rng.uniform(0, hi_y) for _ in range(count)]
        sprite_handles = [qel.createSprite(x[i], y[i], path) for i in range(count)]
        ids = [sprite.id for sprite in sprite_handles]
    speed = lambda: rng.uniform(0.0, MAX_SPEED) * rng.choice((-1.0, 1.0))
    sprites = ArrayBounce(np, x, y, [speed() for _ in x], [speed() for _ in y],
                          [0.0] * count, [hi_x] * count, [0.0] * count, [hi_y] * count)
    labels = [qel.createText(rng.uniform(0, WIDTH - 160), rng.uniform(0, HEIGHT - 20), f"player {i} score 0",
                             LABEL_SIZE, "#%06x" % rng.randrange(0x1000000)) for i in range(job["labels"])]
    set_texts = [label.setText for label in labels]
    id_column = np.array(ids, dtype=np.int64)
    move_many, xs, ys = qel.moveMany, sprites.x, sprites.y
    counter = [0]
    spins = [rng.uniform(-3.0, 3.0) for _ in ids] if job.get("turning") else []

    def update():
        sprites.step(SIM_DT)
        move_many(id_column, xs, ys)
        counter[0] += 1
        score = counter[0]
        if spins:
            grow = 1.0 + 0.5 * math.sin(score * 0.05)
            for sprite, spin in zip(sprite_handles, spins):
                sprite.angle = score * spin
                sprite.scale = grow
        for i, set_text in enumerate(set_texts):
            set_text(f"player {i} score {score + i}")

    frame, state = paced_frame(qel, update, poll_start)
    result = run_frames(frame, job)
    result.update(sprites=count, labels=len(labels), turning=bool(spins), startup_ms=startup / 1e6,
                  renderer=qel.getRenderer(), module=qel.__file__,
                  idle_polls_per_frame=state["idle_polls"] / max(1, result["frames"]),
                  keeps_60fps=result["period"]["mean"] <= BUDGET_MS)
    return result


def child_pygame(job):
    pygame, screen, startup = start_pygame()

    s = make_scene(job["n"], job["seed"])
    colors = [((c >> 16) & 255, (c >> 8) & 255, c & 255) for c in s["color"]]
    n = job["n"]
    circles = list(zip(colors[:n], s["size"][:n]))
    rect_colors = colors[n:]
    xs, ys, vxs, vys = s["x"], s["y"], s["vx"], s["vy"]
    bounds = (s["xlo"], s["xhi"], s["ylo"], s["yhi"])
    circle, rect, fill, flip, pump = (pygame.draw.circle, pygame.draw.rect, screen.fill,
                                      pygame.display.flip, pygame.event.pump)
    now, cpu_now = time.perf_counter_ns, time.process_time_ns

    def frame(log):
        f0 = now()
        c0 = cpu_now()
        step_positions(xs, ys, vxs, vys, *bounds, SIM_DT)
        f1 = now()
        pump()
        fill(BACKGROUND)
        for (color, r), x, y in zip(circles, xs, ys):
            circle(screen, color, (x, y), r)
        for color, x, y in zip(rect_colors, xs[n:], ys[n:]):
            rect(screen, color, (x, y, RECT_W, RECT_H))
        flip()
        f3 = now()
        if log is not None:
            log.add(f0, c0, f1 - f0, 0, f3 - f1)

    result = run_frames(frame, job)
    result.update(n=n, shapes=2 * n, startup_ms=startup / 1e6,
                  pygame_version=pygame.version.ver)
    return result


def child_calls(job):
    import json as json_module
    import timeit
    qel = import_qel()
    qel.init([], WIDTH, HEIGHT)
    qel.poll()
    s = make_scene(job["n"], job["seed"])
    ids = create_qel_shapes(qel, s)
    time.sleep(0.02)
    qel.poll()                      # gives deltaTime() a value so step moves do move
    mid = ids[len(ids) // 4]        # a circle near the middle of the id range
    circle = qel.Circle(mid, qel.Point2D(s["x"][len(ids) // 4], s["y"][len(ids) // 4]),
                        s["size"][len(ids) // 4], 200.0)
    env = {"qel": qel, "c": circle, "i": mid}
    statements = {
        "qel.moveTo": "qel.moveTo(i, 123.5, 234.5)",
        "qel.updateColor": "qel.updateColor(i, 0x3080ff)",
        "circle.moveRight": "c.moveRight()",
        "qel.buttonDown": 'qel.buttonDown("up")',
        "qel.getWindowWidth": "qel.getWindowWidth()",
        "empty loop": "pass",
    }
    number = job["number"]
    timers = {name: timeit.Timer(stmt, globals=env) for name, stmt in statements.items()}
    for timer in timers.values():
        timer.timeit(number // 10)  # warm-up
    # Repeats are interleaved so a slow spell of the machine does not hit one call alone.
    best = {name: float("inf") for name in timers}
    for _ in range(job["repeat"]):
        for name, timer in timers.items():
            best[name] = min(best[name], timer.timeit(number))
    out = {name: seconds / number * 1e9 for name, seconds in best.items()}
    device = None
    try:
        device = json_module.loads(qel.getData())["selectedDevice"]["name"]
    except (ValueError, KeyError, TypeError):
        pass
    return {"ns_per_call": out, "number": number, "repeat": job["repeat"], "shapes": len(ids),
            "device": device, "renderer": qel.getRenderer()}


def child_batch_calls(job):
    """moveMany and updateColors per object, and objectAt per call, over a scene of
    job["n"] circles and as many rectangles that does not move while objectAt is timed."""
    import timeit
    import numpy as np
    qel = import_qel()
    qel.init([], WIDTH, HEIGHT)
    qel.poll()
    s = make_scene(job["n"], job["seed"])
    ids = np.array(create_qel_shapes(qel, s), dtype=np.int64)
    rng = np.random.default_rng(job["seed"])
    count = len(ids)
    # Two sets of positions and colours in turn, so every call changes every object.
    places = [(rng.uniform(0, WIDTH, count), rng.uniform(0, HEIGHT, count)) for _ in range(2)]
    colours = [rng.integers(0, 0x1000000, count, dtype=np.int64) for _ in range(2)]
    points = list(zip(rng.uniform(0, WIDTH, job["points"]).tolist(), rng.uniform(0, HEIGHT, job["points"]).tolist()))
    env = {"qel": qel, "ids": ids, "a": places[0], "b": places[1], "ca": colours[0], "cb": colours[1],
           "points": points, "at": qel.objectAt}
    statements = {  # name: (statement, how many of the unit one run of it does)
        "qel.moveMany": ("qel.moveMany(ids, *a); qel.moveMany(ids, *b)", 2 * count),
        "qel.updateColors": ("qel.updateColors(ids, ca); qel.updateColors(ids, cb)", 2 * count),
        "qel.objectAt": ("for x, y in points: at(x, y)", len(points)),
        "loop over points": ("for x, y in points: pass", len(points)),
    }
    numbers = {"qel.moveMany": job["batch_number"], "qel.updateColors": job["batch_number"],
               "qel.objectAt": job["point_number"], "loop over points": job["point_number"]}
    timers = {name: timeit.Timer(stmt, globals=env) for name, (stmt, _) in statements.items()}
    best = {name: float("inf") for name in timers}

    def interleaved(names):
        # Repeats are interleaved so a slow spell of the machine does not hit one call alone.
        for name in names:
            timers[name].timeit(max(1, numbers[name] // 10))    # warm-up
        for _ in range(job["repeat"]):
            for name in names:
                best[name] = min(best[name], timers[name].timeit(numbers[name]))

    qel.poll()
    interleaved(("qel.moveMany", "qel.updateColors"))
    # objectAt on a scene that stays put (where the last moveMany pair left it), drawn once.
    time.sleep(0.02)
    qel.poll()
    interleaved(("qel.objectAt", "loop over points"))
    per = {name: best[name] / (numbers[name] * statements[name][1]) for name in timers}
    return {"ns_per_object": {name: per[name] * 1e9 for name in ("qel.moveMany", "qel.updateColors")},
            "us_per_call": {name: per[name] * 1e6 for name in ("qel.objectAt", "loop over points")},
            "objects": count, "points": len(points), "batch_number": job["batch_number"],
            "point_number": job["point_number"], "repeat": job["repeat"], "renderer": qel.getRenderer(),
            "dtypes": {"ids": str(ids.dtype), "coordinates": str(places[0][0].dtype), "colours": str(colours[0].dtype)}}


def child_main(job_text):
    job = json.loads(job_text)
    # qel prints its start-up trace and a line per colour on stdout; keep the real
    # stdout for the result only.
    result_fd = os.dup(1)
    devnull = os.open(os.devnull, os.O_WRONLY)
    os.dup2(devnull, 1)
    children = {"qel": child_qel, "qel_batch": child_qel, "pygame": child_pygame, "calls": child_calls,
                "batch_calls": child_batch_calls, "pictures": child_pictures, "floor": child_qel,
                "floor_batch": child_qel}
    if job.get("scene") == "bunnies":
        children = {**dict.fromkeys(("qel", "qel_batch", "floor", "floor_batch"), child_bunnies),
                    "pygame": child_pygame_bunnies}
    result = children[job["kind"]](job)
    sys.stdout.flush()
    os.write(result_fd, (json.dumps(result) + "\n").encode())
    os.close(result_fd)


# ---------------------------------------------------------------- orchestration

QEL_RENDERERS = ("tiles", "raster")
PHASES = ("update", "draw", "rest", "total", "period", "cpu")
BATCH_SUFFIX = "-batch"
VARIANTS = ("offscreen", "before")     # "qel-<renderer>-<variant>"
FLOOR, FLOOR_BATCH = "floor", "floor" + BATCH_SUFFIX
BATCH_TARGET_N = 30_000        # circles, and as many rectangles, at 60 fps in batch mode with tiles
MOVE_MANY_TARGET_NS = 30       # per object
OBJECT_AT_TARGET_US = 2


def engine_variant(engine):
    """"offscreen" or "before" for "qel-<renderer>-<variant>", else None."""
    return next((v for v in VARIANTS if engine.endswith("-" + v)), None)


def engine_kind(engine):
    """("qel", renderer) for "qel-<renderer>" and its variants, ("qel_batch", renderer) for
    "qel-<renderer>-batch", ("pygame", None) for pygame."""
    if engine == "pygame":
        return "pygame", None
    if engine in (FLOOR, FLOOR_BATCH):
        return engine.replace("-", "_"), None
    if engine.endswith(BATCH_SUFFIX):
        return "qel_batch", engine[len("qel-"):-len(BATCH_SUFFIX)]
    variant = engine_variant(engine)
    return "qel", engine[len("qel-"):-len(variant) - 1 if variant else None]


def engine_job(engine):
    """The job keys that set an engine's child apart: its kind, renderer and variant."""
    kind, renderer = engine_kind(engine)
    variant = engine_variant(engine)
    return {"kind": kind, "renderer": renderer, "offscreen": variant == "offscreen", "before": variant == "before"}


def note(args, text):
    if not args.json_only:
        print(text, file=sys.stderr, flush=True)


def run_child(args, job, timeout):
    env = dict(os.environ)
    env.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")
    # A job without a renderer runs qel's own choice for the device.
    env.pop("QEL_RENDERER", None)
    if job.get("renderer"):
        env["QEL_RENDERER"] = job["renderer"]
    if job.get("offscreen"):
        # Without a display, a child that opened a window after all fails instead of counting.
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
    if job.get("before"):
        env["PYTHONPATH"] = os.pathsep.join(p for p in (args.before, env.get("PYTHONPATH")) if p)
        env["QEL_BUILD_DIR"] = args.before
    cmd = [sys.executable, os.path.abspath(__file__), "--child", json.dumps(job)]
    try:
        proc = subprocess.run(cmd, capture_output=True, text=True, timeout=timeout, env=env)
    except subprocess.TimeoutExpired:
        note(args, f"  {job['kind']} child timed out after {timeout:.0f} s")
        return {"error": f"timed out after {timeout:.0f} s"}
    lines = [ln for ln in proc.stdout.splitlines() if ln.startswith("{")]
    if proc.returncode != 0 or not lines:
        tail = proc.stderr.strip().splitlines()[-8:]
        note(args, f"  {job['kind']} child failed (exit {proc.returncode}):\n    " + "\n    ".join(tail))
        return {"error": f"exit {proc.returncode}: " + " | ".join(tail[-3:])}
    return json.loads(lines[-1])


def rung_timeout(args):
    # Big rungs may run several seconds a frame beyond the budget before the minimum
    # counts are reached; the timeout only guards against a hang.
    return args.budget * 6 + 180


def checked_renderer(args, engine, renderer, r):
    """The child's result, or an error when qel ran another renderer than asked for:
    figures under the wrong name are worse than none."""
    if "error" not in r and renderer and r.get("renderer") != renderer:
        r = {"error": f"QEL_RENDERER={renderer} but qel.getRenderer() is {r.get('renderer')!r}"}
        note(args, f"  {engine}: {r['error']}")
    before = getattr(args, "before", None)
    if "error" not in r and before and r.get("module"):
        # Each build's figures under its own name: a "before" child must have imported DIR's
        # module, any other child the current one.
        from_before = os.path.dirname(os.path.realpath(r["module"])) == os.path.realpath(before)
        if from_before != (engine_variant(engine) == "before"):
            r = {"error": f"{engine} imported qel from {r['module']}"}
            note(args, f"  {engine}: {r['error']}")
    return r


def floor_of(engine):
    """The floor an engine's figure is set over: the batch floor for batch engines."""
    return FLOOR_BATCH if engine.endswith(BATCH_SUFFIX) else FLOOR


def measure(args, engine, n, alternating=False, scene="shapes"):
    job = dict(engine_job(engine), n=n, seed=args.seed, frames=args.frames, warmup=args.warmup,
               budget=args.budget, alternating=alternating, scene=scene)
    renderer = job["renderer"]
    r = checked_renderer(args, engine, renderer, run_child(args, job, rung_timeout(args)))
    r.setdefault("n", n)
    if "error" not in r:
        note(args, f"  {engine:16s} N={n:<6d} frames={r['frames']:<4d} "
                   f"total {r['total']['median']:8.2f} ms (p95 {r['total']['p95']:.2f})  "
                   f"period {r['period']['median']:8.2f} ms (mean {r['period']['mean']:.2f})  "
                   f"cpu {r['cpu']['median']:8.2f} ms" + ("  alternating" if alternating else ""))
    return r


def compact(r):
    """A result as a repeat's record keeps it; the floor's also keeps its busy time."""
    out = {"n": r["n"], "period_mean_ms": r["period"]["mean"], "frames": r["frames"]}
    if r.get("busy_rule"):
        out["busy_mean_ms"] = r["total"]["mean"]
    return out


def judged_ms(r):
    """The mean the 60 fps rule reads, of a result or its compact record: the period, or
    for the floor its busy time."""
    if "period_mean_ms" in r:
        return r.get("busy_mean_ms", r["period_mean_ms"])
    return r["total" if r.get("busy_rule") else "period"]["mean"]


def passes(r):
    return "error" not in r and judged_ms(r) <= BUDGET_MS


def largest_passing(rungs):
    ok = [r["n"] for r in rungs if passes(r)]
    return max(ok) if ok else None


def largest_passing_compact(rungs):
    """largest_passing() over a repeat's record of its ladder."""
    ok = [r["n"] for r in rungs if passes(r)]
    return max(ok) if ok else None


def bisection(args, rungs):
    """Narrows the largest passing N between the last passing rung (or 0) and the next
    failing one. A generator: yields each N to probe, is sent the probe's result, and
    returns the outcome (None when the ladder leaves nothing to narrow)."""
    ordered = sorted((r for r in rungs if "error" not in r), key=lambda r: r["n"])
    lo = largest_passing(ordered) or 0
    above = [r["n"] for r in ordered if r["n"] > lo and not passes(r)]
    if args.bisect_steps <= 0 or not above:
        return None
    hi = min(above)
    probes = []
    for _ in range(args.bisect_steps):
        mid = (lo + hi) // 2
        if mid <= lo or mid >= hi:
            break
        r = yield mid
        if "error" in r:
            break
        probes.append(compact(r))
        if passes(r):
            lo = mid
        else:
            hi = mid
    return {"largest_passing_n": lo, "smallest_failing_n": hi, "probes": probes}


def bisect_together(args, rungs, scene="shapes"):
    """Runs one bisection per engine with their probes taken in turn, so a slow or fast
    spell of the machine falls on every engine's figures alike."""
    searches = {e: bisection(args, r) for e, r in rungs.items()}
    outcome = {e: None for e in rungs}
    pending = {}
    for e, search in searches.items():
        try:
            pending[e] = next(search)
        except StopIteration as done:
            outcome[e] = done.value
    while pending:
        for e in list(pending):
            r = measure(args, e, pending[e], scene=scene)
            try:
                pending[e] = searches[e].send(r)
            except StopIteration as done:
                outcome[e] = done.value
                del pending[e]
    return outcome


def run_repeat(args, engines, ladder, scene="shapes"):
    """One repeat: a fresh ladder, the engines taken in turn at each N, then the
    bisections from that ladder. Returns the full rungs and the repeat's record.
    A floor that keeps up at the ladder's top climbs on by doubling N, so no engine's
    share of it is set over a floor the ladder cut short."""
    rungs = {e: [] for e in engines}
    for n in ladder:
        for e in engines:
            rungs[e].append(measure(args, e, n, scene=scene))
    for e in (FLOOR, FLOOR_BATCH):
        for _ in range(FLOOR_CLIMBS if e in rungs and ladder else 0):
            if not passes(rungs[e][-1]):
                break
            rungs[e].append(measure(args, e, 2 * rungs[e][-1]["n"], scene=scene))
    outcome = bisect_together(args, rungs, scene)
    record = {"ladder": {}, "bisection": outcome, "largest_n": {}}
    for e in engines:
        record["ladder"][e] = [{"n": r["n"], "error": r["error"]} if "error" in r else
                               compact(r)
                               for r in rungs[e]]
        # The ladder's own figure when there was nothing to narrow.
        record["largest_n"][e] = (outcome[e]["largest_passing_n"] if outcome[e]
                                  else largest_passing(rungs[e]))
    return rungs, record


def spread(values, median):
    """The median of the values that exist, their minimum and maximum, and each in turn."""
    there = [v for v in values if v is not None]
    return {"median": median(there) if there else None, "min": min(there) if there else None,
            "max": max(there) if there else None, "each": values}


def capacity(records, engines):
    """Per engine the largest N at 60 fps over the repeats (the lower median, so always an
    N that was measured), and per engine the median of each repeat's ratio to pygame and
    to its floor (the figure as a share of the floor)."""
    out = {"largest_n": {e: spread([rec["largest_n"][e] for rec in records], statistics.median_low)
                         for e in engines},
           "ratios": {}}
    if "pygame" in engines:
        for e in engines:
            if e == "pygame":
                continue
            each = [rec["largest_n"][e] / rec["largest_n"]["pygame"]
                    if rec["largest_n"][e] and rec["largest_n"]["pygame"] else None for rec in records]
            out["ratios"][f"{e}/pygame"] = spread(each, statistics.median)
    for e in engines:
        floor = floor_of(e)
        if floor in engines and engine_kind(e)[0] not in ("floor", "floor_batch"):
            each = [rec["largest_n"][e] / rec["largest_n"][floor]
                    if rec["largest_n"][e] and rec["largest_n"][floor] else None for rec in records]
            out["ratios"][f"{e}/{floor}"] = spread(each, statistics.median)
    pairs = variant_pairs(engines)
    if pairs:
        out["pairs"] = {}
        for top, bottom in pairs:
            each = [rec["largest_n"][top] / rec["largest_n"][bottom]
                    if rec["largest_n"][top] and rec["largest_n"][bottom] else None for rec in records]
            out["pairs"][f"{top}/{bottom}"] = dict(spread(each, statistics.median), over=[top, bottom])
    return out


def variant_pairs(engines):
    """(offscreen, windowed) and (now, before) for each renderer whose variant runs."""
    pairs = []
    for e in engines:
        variant = engine_variant(e)
        if variant:
            base = f"qel-{engine_kind(e)[1]}"
            if base in engines:
                pairs.append((e, base) if variant == "offscreen" else (base, e))
    return pairs


def combine_rungs(ladders):
    """The repeats' ladders of one engine as one: per N, the median of each figure over the
    repeats that ran it."""
    out = []
    for same_n in zip(*ladders):
        ok = [r for r in same_n if "error" not in r]
        if not ok:
            out.append({"n": same_n[0]["n"], "error": same_n[0]["error"]})
            continue
        one = {"n": ok[0]["n"], "shapes": ok[0]["shapes"], "runs": len(ok),
               "frames": statistics.median_low([r["frames"] for r in ok])}
        for key in PHASES:
            one[key] = {stat: statistics.median([r[key][stat] for r in ok]) for stat in ("median", "p95", "mean")}
        out.append(one)
    return out


def at_largest_n(args, engine, n):
    """The scene at the engine's largest N as created (all circles, then all rectangles)
    and created in alternating order, one after the other; the ordered run's 95th
    percentile period over its median is the stall figure."""
    ordered = measure(args, engine, n)
    alternating = measure(args, engine, n, alternating=True)
    out = {"n": n, "ordered": None, "stall_ms": None, "alternating": None, "error": None}
    if "error" in ordered:
        out["error"] = ordered["error"]
    else:
        out["ordered"] = ordered["period"]
        out["stall_ms"] = ordered["period"]["p95"] - ordered["period"]["median"]
    if "error" in alternating:
        out["error"] = out["error"] or alternating["error"]
    else:
        out["alternating"] = alternating["period"]
    return out


def ratios_at_n(rungs, base):
    """Each figure of one engine over pygame's at the largest N both ran."""
    pairs = [(q, g) for q, g in zip(rungs, base) if "error" not in q and "error" not in g]
    if not pairs:
        return None
    q, g = pairs[-1]
    ratio = {"n": q["n"]}
    for key in PHASES:
        for stat in ("median", "p95"):
            ratio[f"{key}_{stat}"] = q[key][stat] / g[key][stat] if g[key][stat] > 0 else None
    return ratio


def run_batch(args, batch_engines, main_records):
    """The moving-shapes scene in batch mode, with its own ladder, repeats and bisections;
    each repeat's largest N over pygame's per-shape figure from the repeat of the same number."""
    ladder = sorted({int(v) for v in args.batch_ladder.split(",") if v.strip()})
    batch = {"engines": batch_engines, "ladder": ladder, "repeats": []}
    ladders = {e: [] for e in batch_engines}
    for i in range(args.repeats):
        note(args, f"  batch mode, repeat {i + 1} of {args.repeats}")
        rungs, record = run_repeat(args, batch_engines, ladder)
        batch["repeats"].append(record)
        for e in batch_engines:
            ladders[e].append(rungs[e])
    cap = capacity(batch["repeats"], batch_engines)
    if main_records and "pygame" in main_records[0]["largest_n"]:
        pygame_each = [rec["largest_n"]["pygame"] for rec in main_records]
        cap["pygame"] = spread(pygame_each, statistics.median_low)
        for e in batch_engines:
            each = [rec["largest_n"][e] / g if rec["largest_n"][e] and g else None
                    for rec, g in zip(batch["repeats"], pygame_each)]
            cap["ratios"][f"{e}/pygame"] = spread(each, statistics.median)
    batch["capacity_60fps"] = cap
    batch["rungs"] = {e: combine_rungs(ladders[e]) for e in batch_engines}
    tiles = f"qel-tiles{BATCH_SUFFIX}"
    if tiles in batch_engines:
        n = cap["largest_n"][tiles]["median"]
        batch["target"] = {"engine": tiles, "n": BATCH_TARGET_N, "largest_n": n,
                           "met": bool(n and n >= BATCH_TARGET_N)}
    return batch


def run_bunnymark(args, engines):
    """The bunnymark's own ladder, repeats and bisections, by the moving shapes' rules."""
    ladder = sorted({int(v) for v in args.bunny_ladder.split(",") if v.strip()})
    out = {"engines": engines, "ladder": ladder, "sprite": [BUNNY_W, BUNNY_H], "repeats": []}
    ladders = {e: [] for e in engines}
    for i in range(args.repeats):
        note(args, f"  bunnymark, repeat {i + 1} of {args.repeats}")
        rungs, record = run_repeat(args, engines, ladder, scene="bunnies")
        out["repeats"].append(record)
        for e in engines:
            ladders[e].append(rungs[e])
    out["capacity_60fps"] = capacity(out["repeats"], engines)
    out["rungs"] = {e: combine_rungs(ladders[e]) for e in engines}
    return out


def run_pictures(args, engines, turning=False):
    """The pictures-and-text scene once per engine in each repeat, the engines in turn; each
    is reported under its name less "qel-" ("tiles", "tiles-before", ...). `turning`: every
    sprite is also turned and scaled anew every frame."""
    runs = {e[len("qel-"):]: [] for e in engines}
    for i in range(args.repeats):
        note(args, f"  pictures and text{' (turning)' if turning else ''}, repeat {i + 1} of {args.repeats}")
        for e in engines:
            r = e[len("qel-"):]
            job = dict(engine_job(e), kind="pictures", sprites=args.sprites, labels=args.labels, turning=turning,
                       seed=args.seed, frames=args.frames, warmup=args.warmup, budget=args.budget)
            one = checked_renderer(args, e, job["renderer"], run_child(args, job, rung_timeout(args)))
            if "error" not in one:
                note(args, f"  qel-{r:7s} pictures: period mean {one['period']['mean']:.2f} ms, "
                           f"update {one['update']['median']:.2f} ms, draw {one['draw']['median']:.2f} ms")
            runs[r].append(one)
    out = {"sprites": args.sprites, "labels": args.labels, "turning": turning, "renderers": {}}
    for r, results in runs.items():
        ok = [one for one in results if "error" not in one]
        s = spread([one["period"]["mean"] if "error" not in one else None for one in results], statistics.median)
        out["renderers"][r] = {
            "period_mean_ms": s,
            "keeps_60fps": s["median"] is not None and s["median"] <= BUDGET_MS,
            "runs_keeping": sum(1 for one in ok if one["keeps_60fps"]),
            "update_ms": statistics.median(one["update"]["median"] for one in ok) if ok else None,
            "draw_ms": statistics.median(one["draw"]["median"] for one in ok) if ok else None,
            "total_ms": statistics.median(one["total"]["median"] for one in ok) if ok else None,
            "cpu_ms": statistics.median(one["cpu"]["median"] for one in ok) if ok else None,
            "errors": [one["error"] for one in results if "error" in one],
            "runs": [{"error": one["error"]} if "error" in one else
                     {k: one[k] for k in ("frames", "period", "update", "draw", "total", "cpu", "keeps_60fps",
                                          "sprites", "labels", "turning", "startup_ms")} for one in results]}
    if "tiles" in out["renderers"]:
        out["target"] = {"renderer": "tiles", "met": out["renderers"]["tiles"]["keeps_60fps"]}
    # Now over before per repeat, for the mean period and the busy and CPU time a frame.
    for now, before in variant_pairs(engines):
        a, b = runs[now[len("qel-"):]], runs[before[len("qel-"):]]
        block = {"over": [now, before]}
        for key, stat in (("period", "mean"), ("total", "median"), ("cpu", "median")):
            each = [x[key][stat] / y[key][stat] if "error" not in x and "error" not in y and y[key][stat] > 0
                    else None for x, y in zip(a, b)]
            block[f"{key}_{stat}"] = spread(each, statistics.median)
        out.setdefault("now_over_before", {})[now[len("qel-"):]] = block
    return out


def run_batch_calls(args):
    job = {"kind": "batch_calls", "n": args.batch_call_objects // 2, "seed": args.seed,
           "batch_number": max(3, args.call_loops // 2000), "point_number": max(1, args.call_loops // 20000),
           "points": 1000, "repeat": 5}
    calls = run_child(args, job, timeout=600)
    if "error" not in calls:
        calls["targets"] = {"qel.moveMany": MOVE_MANY_TARGET_NS, "qel.objectAt": OBJECT_AT_TARGET_US}
    return calls


def machine_info():
    model = None
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return {"nproc": os.cpu_count(), "cpu_model": model, "python": platform.python_version(),
            "kernel": platform.release(), "loadavg_start": list(os.getloadavg())}


def name_width(engines):
    return max([16] + [len(e) for e in engines])


def fmt_rung(engine, r, width=16):
    if "error" in r:
        return f"{r['n']:>6d}  {engine:{width}s}  error: {r['error'][:90]}"
    cells = [f"{r['n']:>6d}", f"{engine:{width}s}", f"{r['shapes']:>6d}", f"{r['frames']:>4d}"]
    for key in PHASES:
        cells.append(f"{r[key]['median']:9.2f} {r[key]['p95']:9.2f}")
    cells.append(f"{r['period']['mean']:9.2f}")
    return "  ".join(cells)


def fmt_spread(s, unit=""):
    if s["median"] is None:
        return "none"
    if unit:
        return f"{s['median']:.2f}{unit} ({s['min']:.2f}..{s['max']:.2f})"
    return f"{s['median']} ({s['min']}..{s['max']})"


def print_ladders(engines, ladder, repeats, rungs):
    """The table of every rung, then each repeat's ladder and bisection."""
    print(f"\nms per frame at each N (median and 95th percentile; each figure the median over "
          f"{len(repeats)} ladder{'s' if len(repeats) != 1 else ''})")
    width = name_width(engines)
    print(f"{'N':>6s}  {'engine':{width}s}  {'shapes':>6s}  {'frm':>4s}  " +
          "  ".join(f"{k + ' med':>9s} {'p95':>9s}" for k in PHASES) + f"  {'period avg':>9s}")
    for i in range(len(ladder)):
        for e in engines:
            print(fmt_rung(e, rungs[e][i], width))

    print(f"\nlargest N with mean period (the floors: busy time) <= {BUDGET_MS:.2f} ms, per repeat: the ladder's, "
          "then the bisection's")
    for k, rec in enumerate(repeats):
        for e in engines:
            line = f"  repeat {k + 1}  {e:{width}s} ladder {largest_passing_compact(rec['ladder'][e]) or 'none'}"
            b = rec["bisection"].get(e)
            if b:
                probes = ", ".join(f"{p['n']}={judged_ms(p):.1f}" for p in b["probes"])
                line += (f"; bisection passes at {b['largest_passing_n']}, fails at "
                         f"{b['smallest_failing_n']} (probes {probes})")
            print(line)


def met(ok):
    return "met" if ok else "NOT met"


def print_ratios(cap, engines, repeats):
    """Per engine, its ratio to pygame beside its share of its floor."""
    for floor in (FLOOR, FLOOR_BATCH):
        tops = [rec["largest_n"][floor] for rec in repeats if floor in rec["largest_n"]
                and rec["ladder"].get(floor) and rec["largest_n"][floor] == rec["ladder"][floor][-1]["n"]]
        if tops:
            print(f"{floor} kept up at its highest N ({', '.join(map(str, tops))}): shares of it are upper bounds")
    for e in engines:
        parts = []
        s = cap["ratios"].get(f"{e}/pygame")
        if s:
            each = ", ".join("-" if v is None else f"{v:.2f}x" for v in s["each"])
            parts.append(f"{e}/pygame = {fmt_spread(s, 'x')}; each repeat: {each}")
        s = cap["ratios"].get(f"{e}/{floor_of(e)}")
        if s:   # shares run from a few tenths of a percent to most of the floor
            pct = lambda v: "-" if v is None else f"{100.0 * v:.1f}%"
            parts.append(f"{e}/{floor_of(e)} = {pct(s['median'])} ({pct(s['min'])}..{pct(s['max'])}) of the floor; "
                         f"each repeat: {', '.join(pct(v) for v in s['each'])}")
        if parts:
            print("   |   ".join(parts))


def print_bunnymark(bunnies):
    engines = bunnies["engines"]
    print(f"\nbunnymark: N bunnies of {BUNNY_W}x{BUNNY_H} falling and bouncing; qel-<renderer> a moveTo each, "
          f"-batch NumPy and one moveMany, pygame a blit each, the floors the same stepping with "
          f"{NO_OP.__name__}() for the call")
    print_ladders(engines, bunnies["ladder"], bunnies["repeats"], bunnies["rungs"])
    cap = bunnies["capacity_60fps"]
    repeats = len(bunnies["repeats"])
    print(f"\nbunnymark, largest N at 60 fps, median (min..max) of {repeats} repeat{'s' if repeats != 1 else ''}: "
          + ", ".join(f"{e} {fmt_spread(cap['largest_n'][e])}" for e in engines))
    print_ratios(cap, engines, bunnies["repeats"])


def print_batch(batch):
    engines = batch["engines"]
    print("\nbatch mode: positions in NumPy arrays stepped with array operations, one qel.moveMany a frame")
    print_ladders(engines, batch["ladder"], batch["repeats"], batch["rungs"])
    cap = batch["capacity_60fps"]
    repeats = len(batch["repeats"])
    line = (f"\nlargest N at 60 fps in batch mode, median (min..max) of {repeats} repeat{'s' if repeats != 1 else ''}: "
            + ", ".join(f"{e} {fmt_spread(cap['largest_n'][e])}" for e in engines))
    if cap.get("pygame"):
        line += f"; pygame per shape, same run: {fmt_spread(cap['pygame'])}"
    print(line)
    print_ratios(cap, engines, batch["repeats"])
    target = batch.get("target")
    if target:
        print(f"target: {target['engine']} at least {target['n']} circles + {target['n']} rectangles at 60 fps: "
              f"{met(target['met'])} (largest N {target['largest_n']}"
              + (", the top of the ladder" if target["largest_n"] == max(batch["ladder"]) else "") + ")")


def print_pictures(pictures):
    turned = ", each turned and scaled anew," if pictures.get("turning") else ""
    print(f"\npictures and text: {pictures['sprites']} sprites of {SPRITE_SIZE}x{SPRITE_SIZE}{turned} moved by one "
          f"qel.moveMany a frame, {pictures['labels']} labels (size {LABEL_SIZE}) whose text changes every frame")
    width = max([7] + [len(r) for r in pictures["renderers"]])
    for r, block in pictures["renderers"].items():
        s = block["period_mean_ms"]
        if s["median"] is None:
            print(f"  qel-{r:{width}s} error: {block['errors'][0][:90]}")
            continue
        each = ", ".join("-" if v is None else f"{v:.2f}" for v in s["each"])
        print(f"  qel-{r:{width}s} mean period {fmt_spread(s, ' ms')}; each run: {each}; "
              f"update {block['update_ms']:.2f} ms, draw {block['draw_ms']:.2f} ms (medians); "
              f"{'keeps' if block['keeps_60fps'] else 'does NOT keep'} 60 fps "
              f"({block['runs_keeping']} of {len(s['each'])} runs within {BUDGET_MS:.2f} ms)")
    target = pictures.get("target")
    if target:
        print(f"target: qel-{target['renderer']} keeps 60 fps: {met(target['met'])}")
    for r, block in pictures.get("now_over_before", {}).items():
        now, before = (pictures["renderers"][e[len("qel-"):]] for e in block["over"])
        parts = []
        for key, label, field in (("period_mean", "mean period", None), ("total_median", "busy", "total_ms"),
                                  ("cpu_median", "CPU", "cpu_ms")):
            s = block[key]
            a = now["period_mean_ms"]["median"] if field is None else now[field]
            b = before["period_mean_ms"]["median"] if field is None else before[field]
            if a is None or b is None:
                parts.append(f"{label} n/a")
                continue
            each = ", ".join("-" if v is None else f"{v:.2f}x" for v in s["each"])
            parts.append(f"{label} {a:.2f} vs {b:.2f} ms = {s['median']:.2f}x (each repeat {each})")
        print(f"qel-{r} pictures and text a frame, now vs before: " + "; ".join(parts))


def print_batch_calls(calls):
    ns, us = calls["ns_per_object"], calls["us_per_call"]
    targets = calls["targets"]
    print(f"\nbatch calls, {calls['objects']} objects, qel's default renderer ({calls['renderer']}); ids "
          f"{calls['dtypes']['ids']}, coordinates {calls['dtypes']['coordinates']}, colours "
          f"{calls['dtypes']['colours']} (min of {calls['repeat']} interleaved repeats):")
    print(f"  qel.moveMany     {ns['qel.moveMany']:8.2f} ns per object   (target <= {targets['qel.moveMany']} ns: "
          f"{met(ns['qel.moveMany'] <= targets['qel.moveMany'])})")
    print(f"  qel.updateColors {ns['qel.updateColors']:8.2f} ns per object")
    print(f"  qel.objectAt     {us['qel.objectAt']:8.3f} us per call at {calls['points']} random points, static "
          f"scene (target <= {targets['qel.objectAt']} us: {met(us['qel.objectAt'] <= targets['qel.objectAt'])}); "
          f"the loop over the points alone {us['loop over points']:.3f} us")


def print_report(report):
    m = report["machine"]
    engines = report["config"]["engines"]
    repeats = report["repeats"]
    print(f"moving shapes, {WIDTH}x{HEIGHT}, N circles + N rectangles, dt = 1/60 s"
          if "capacity_60fps" in report else f"bunnymark, {WIDTH}x{HEIGHT}")
    print(f"machine: {m['nproc']} cpus, {m['cpu_model']}, device: {m.get('device')}, "
          f"qel's default renderer there: {m.get('default_renderer')}")
    load = [m["loadavg_start"][0], m["loadavg_end"][0]]
    print(f"load average (1 min) at start {load[0]:.2f}, at end {load[1]:.2f}"
          + ("  -- other work was running: figures are noisy" if max(load) > 0.5 * m["nproc"] else ""))

    if "capacity_60fps" not in report:     # the bunnymark alone
        print_bunnymark(report["bunnymark"])
        return
    print_ladders(engines, report["config"]["ladder"], repeats, {e: report["engines"][e]["rungs"] for e in engines})
    cap = report["capacity_60fps"]
    print(f"\nlargest N at 60 fps, median (min..max) of {len(repeats)} repeat{'s' if len(repeats) != 1 else ''}: "
          + ", ".join(f"{e} {fmt_spread(cap['largest_n'][e])}" for e in engines))
    print_ratios(cap, engines, repeats)
    for name, s in cap.get("pairs", {}).items():
        top, bottom = s["over"]
        words = ("offscreen", "windowed") if engine_variant(top) == "offscreen" else ("now", "before")
        each = ", ".join("-" if v is None else f"{v:.2f}x" for v in s["each"])
        print(f"qel-{engine_kind(top)[1]} largest N at 60 fps, {words[0]} {fmt_spread(cap['largest_n'][top])} vs "
              f"{words[1]} {fmt_spread(cap['largest_n'][bottom])}: {name} = {fmt_spread(s, 'x')}; "
              f"each repeat: {each}")

    for e in engines:
        at = report["engines"][e].get("at_largest_n")
        if not at:
            continue
        parts = []
        if at["ordered"]:
            o = at["ordered"]
            parts.append(f"mean period {o['mean']:.2f} ms, median {o['median']:.2f}, p95 {o['p95']:.2f} "
                         f"(stall {at['stall_ms']:.2f} ms)")
        if at["alternating"]:
            parts.append(f"created in alternating order: mean period {at['alternating']['mean']:.2f} ms")
        if at["error"]:
            parts.append(f"error: {at['error'][:90]}")
        print(f"{e} at N={at['n']}: " + "; ".join(parts))

    for e in engines:
        ratio = report["engines"][e].get("over_pygame_at_n")
        if ratio:
            print(f"\n{e} / pygame at N={ratio['n']}: " +
                  ", ".join(f"{k} {v:.2f}x" for k, v in ratio.items() if k != "n" and v is not None))

    startup = {e: report["engines"][e]["startup_ms"] for e in engines}
    parts = [f"{e} {'display.init+set_mode+flip' if e == 'pygame' else 'init+poll'} {v:.1f}"
             for e, v in startup.items() if v is not None]
    print("\nstart-up to first drawn frame (ms, median of the ladder runs): " + (", ".join(parts) or "n/a"))
    calls = report.get("per_call_ns")
    if calls and "ns_per_call" in calls:
        floor = calls["ns_per_call"].get("qel.getWindowWidth", 0.0)
        print(f"\nper call, {calls['shapes']} shapes, qel's default renderer ({calls.get('renderer')}) "
              f"(ns, min of {calls['repeat']} x {calls['number']}):")
        for name, ns in calls["ns_per_call"].items():
            extra = "" if name in ("qel.getWindowWidth", "empty loop") else f"   ({ns - floor:+.0f} over getWindowWidth)"
            print(f"  {name:20s} {ns:8.1f}{extra}")
    if report.get("batch"):
        print_batch(report["batch"])
    for key in ("pictures", "turning_pictures"):
        if report.get(key):
            print_pictures(report[key])
    calls = report.get("batch_calls")
    if calls and "ns_per_object" in calls:
        print_batch_calls(calls)
    if report.get("bunnymark"):
        print_bunnymark(report["bunnymark"])


def run_moving_shapes(args, report, engines, ladder, renderers, batch_renderers, use_pygame):
    """The moving-shapes ladders, per shape and in batch, and the other figures, into report."""
    # Every repeat measures its own ladder, so no one lucky pass sets every repeat's floor.
    ladders = {e: [] for e in engines}
    for i in range(args.repeats):
        note(args, f"  repeat {i + 1} of {args.repeats}")
        rungs, record = run_repeat(args, engines, ladder)
        report["repeats"].append(record)
        for e in engines:
            ladders[e].append(rungs[e])

    cap = capacity(report["repeats"], engines)
    report["capacity_60fps"] = cap
    for e in engines:
        block = report["engines"][e]
        block["rungs"] = combine_rungs(ladders[e])
        runs = [r["startup_ms"] for ladder_runs in ladders[e] for r in ladder_runs
                if r.get("startup_ms") is not None]
        block["startup_ms"] = statistics.median(runs) if runs else None
    if use_pygame:
        for e in engines[:-1]:
            report["engines"][e]["over_pygame_at_n"] = ratios_at_n(report["engines"][e]["rungs"],
                                                                   report["engines"]["pygame"]["rungs"])
        report["machine"]["pygame"] = next((r["pygame_version"] for rs in ladders["pygame"] for r in rs
                                            if "error" not in r), None)

    # The same scene with circles and rectangles created in turn, which breaks it into
    # short stretches of each kind, beside the scene as created, at each renderer's largest N.
    for e in engines:
        n = cap["largest_n"][e]["median"]
        if engine_kind(e)[0] == "qel" and n:
            report["engines"][e]["at_largest_n"] = at_largest_n(args, e, n)

    note(args, "  per-call timings")
    calls = run_child(args, {"kind": "calls", "n": 500, "seed": args.seed, "number": args.call_loops,
                             "repeat": 5}, timeout=600)
    report["per_call_ns"] = calls
    report["machine"]["device"] = calls.get("device")
    report["machine"]["default_renderer"] = calls.get("renderer")

    if batch_renderers:
        report["batch"] = run_batch(args, [f"qel-{r}{BATCH_SUFFIX}" for r in batch_renderers] + [FLOOR_BATCH],
                                    report["repeats"])
    if args.sprites > 0 and renderers:
        drawing = [e for e in engines if engine_kind(e)[0] == "qel" and engine_variant(e) != "offscreen"]
        report["pictures"] = run_pictures(args, drawing)
        report["turning_pictures"] = run_pictures(args, drawing, turning=True)
    if args.batch_call_objects > 0:
        note(args, "  batch call timings")
        report["batch_calls"] = run_batch_calls(args)


def write_plot(report, path):
    """Frame time (mean period) against N from every engine's ladder runs, the moving shapes
    and the bunnymark side by side, log-log so that 100 and 100,000 both read."""
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    shapes = {e: report["engines"][e]["rungs"] for e in report["engines"] if "rungs" in report["engines"][e]}
    shapes.update(report.get("batch", {}).get("rungs", {}))
    panels = (("moving shapes: N circles + N rectangles", shapes),
              (f"bunnymark: N bunnies of {BUNNY_W}x{BUNNY_H}", report.get("bunnymark", {}).get("rungs", {})))
    names = sorted({e for _, rungs in panels for e in rungs})
    colours = {e: plt.get_cmap("tab10")(i % 10) for i, e in enumerate(names)}
    fig, axes = plt.subplots(1, 2, figsize=(13, 5.5))
    for ax, (title, rungs) in zip(axes, panels):
        for e, rs in rungs.items():
            # A floor is judged on its busy time, so that is the figure it is drawn by.
            floor = engine_kind(e)[0].startswith("floor")
            points = [(r["n"], r["total" if floor else "period"]["mean"]) for r in rs if "error" not in r]
            if points:
                ax.plot(*zip(*points), marker="o", markersize=4, color=colours[e],
                        label=f"{e} (busy time)" if floor else e, linestyle=":" if floor else "-")
        ax.axhline(1000.0 / 60.0, color="black", linestyle="--", linewidth=1, label="16.7 ms (60 fps)")
        if not rungs:
            ax.text(0.5, 0.5, "not run", transform=ax.transAxes, ha="center")
        ax.set_xscale("log")
        ax.set_yscale("log")
        ax.set_title(title)
        ax.set_xlabel("N")
        ax.set_ylabel("frame time: mean period (ms)")
        ax.grid(True, which="both", alpha=0.3)
        ax.legend(fontsize=8)
    m = report["machine"]
    runs = report["config"]["repeats"]
    fig.suptitle(f"{WIDTH}x{HEIGHT}, medians of {runs} ladder run{'s' if runs != 1 else ''}; {m['nproc']} cpus, "
                 f"load average (1 min) {m['loadavg_start'][0]:.2f} at the start, "
                 f"{m['loadavg_end'][0]:.2f} at the end")
    fig.tight_layout()
    fig.savefig(path, dpi=100)
    plt.close(fig)


def ensure_display():
    if os.environ.get("DISPLAY"):
        return
    script = os.path.join(ROOT, "scripts", "with-display.sh")
    os.execv("/bin/bash", ["bash", script, sys.executable, os.path.abspath(__file__), *sys.argv[1:]])


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--ladder", default="100,1000,5000,10000,20000",
                   help="comma-separated N values (N circles and N rectangles each)")
    p.add_argument("--frames", type=int, default=180, help="measured frames per rung (at most)")
    p.add_argument("--warmup", type=int, default=30, help="warm-up frames per rung (at most)")
    p.add_argument("--budget", type=float, default=10.0,
                   help="seconds of frames per rung; slow rungs stop early, keeping at least "
                        f"{MIN_WARMUP} warm-up and {MIN_FRAMES} measured frames")
    p.add_argument("--bisect-steps", type=int, default=5,
                   help="probes between the last passing and first failing rung (0: none)")
    p.add_argument("--repeats", type=int, default=3,
                   help="ladders and bisections per engine; the figures are their medians")
    p.add_argument("--renderers", default=",".join(QEL_RENDERERS),
                   help="comma-separated qel renderers to run, each as its own engine (tiles, raster)")
    p.add_argument("--batch-ladder", default="5000,20000,40000,60000",
                   help="comma-separated N values for the batch mode (NumPy arrays, one moveMany a frame)")
    p.add_argument("--batch-renderers", default=",".join(QEL_RENDERERS),
                   help="comma-separated qel renderers to run in batch mode (none: empty)")
    p.add_argument("--sprites", type=int, default=2000,
                   help="sprites in the pictures-and-text scene (0: skip it); it runs on --renderers")
    p.add_argument("--labels", type=int, default=200, help="text labels in the pictures-and-text scene")
    p.add_argument("--batch-call-objects", type=int, default=20_000,
                   help="objects in the scene the batch calls and objectAt are timed over (0: skip them)")
    p.add_argument("--call-loops", type=int, default=200_000,
                   help="calls per timing repeat (the batch calls and objectAt take a share of it)")
    p.add_argument("--seed", type=int, default=12345)
    p.add_argument("--no-pygame", action="store_true")
    p.add_argument("--offscreen", action="store_true",
                   help="also run each of --renderers offscreen (no window) in the moving-shapes ladders")
    p.add_argument("--before", metavar="DIR",
                   help="also run each of --renderers with qel imported from DIR (an older build) in the "
                        "moving-shapes ladders and the pictures-and-text scene")
    p.add_argument("--bunny-ladder", default="500,1000,2000,5000,10000,20000",
                   help="comma-separated N values (bunnies) for the bunnymark")
    only = p.add_mutually_exclusive_group()
    only.add_argument("--bunnymark-only", action="store_true", help="run the bunnymark and nothing else")
    only.add_argument("--no-bunnymark", action="store_true", help="skip the bunnymark")
    p.add_argument("--plot", metavar="PATH",
                   help="write frame time against N for every engine's ladder runs to PATH (PNG, matplotlib)")
    p.add_argument("--json-only", action="store_true", help="print only the JSON line")
    p.add_argument("--child", help=argparse.SUPPRESS)
    args = p.parse_args()

    if args.child:
        child_main(args.child)
        return 0
    renderers = [v.strip() for v in args.renderers.split(",") if v.strip()]
    batch_renderers = [v.strip() for v in args.batch_renderers.split(",") if v.strip()]
    for option, values, text in (("--renderers", renderers, args.renderers),
                                 ("--batch-renderers", batch_renderers, args.batch_renderers)):
        unknown = [v for v in values if v not in QEL_RENDERERS]
        if unknown or len(set(values)) != len(values):
            p.error(f"{option} takes each of {', '.join(QEL_RENDERERS)} at most once, not {text!r}")
    if args.repeats < 1:
        p.error("--repeats must be at least 1")
    if args.before:
        args.before = os.path.abspath(args.before)
        found = os.path.isdir(args.before) and any(f.startswith("qel.") and f.endswith(".so")
                                                    for f in os.listdir(args.before))
        if not found:
            p.error(f"--before {args.before}: no qel module there")
    if args.plot:
        try:
            import matplotlib  # noqa: F401
        except ImportError:
            p.error("--plot needs matplotlib (Debian: python3-matplotlib)")
        args.plot = os.path.abspath(args.plot)
    ensure_display()

    ladder = sorted({int(v) for v in args.ladder.split(",") if v.strip()})
    use_pygame = not args.no_pygame
    if use_pygame:
        os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")
        try:
            import pygame  # noqa: F401  (only whether it imports; runs are in children)
        except ImportError:
            use_pygame = False
        if not use_pygame:
            note(args, "pygame is not importable: qel only")
    # A renderer's variants next to it, so its probes are the closest in time.
    variants = [v for v, on in zip(VARIANTS, (args.offscreen, args.before)) if on]
    engines = ([f"qel-{r}{suffix}" for r in renderers for suffix in [""] + [f"-{v}" for v in variants]]
               + [FLOOR] + (["pygame"] if use_pygame else []))

    started = time.perf_counter()
    report = {"machine": machine_info(),
              "config": {"engines": engines, "ladder": ladder, "frames": args.frames, "warmup": args.warmup,
                         "budget_s": args.budget, "repeats": args.repeats, "bisect_steps": args.bisect_steps,
                         "budget_ms": BUDGET_MS, "seed": args.seed, "window": [WIDTH, HEIGHT],
                         "sim_dt": SIM_DT, "min_warmup": MIN_WARMUP, "min_frames": MIN_FRAMES,
                         "batch_ladder": sorted({int(v) for v in args.batch_ladder.split(",") if v.strip()}),
                         "batch_renderers": batch_renderers, "sprites": args.sprites, "labels": args.labels,
                         "batch_call_objects": args.batch_call_objects, "offscreen": args.offscreen,
                         "before": args.before,
                         "bunny_ladder": sorted({int(v) for v in args.bunny_ladder.split(",") if v.strip()}),
                         "bunnymark": not args.no_bunnymark, "moving_shapes": not args.bunnymark_only,
                         "plot": args.plot},
              "engines": {e: {"renderer": engine_kind(e)[1]} for e in engines},
              "repeats": []}

    if not args.bunnymark_only:
        run_moving_shapes(args, report, engines, ladder, renderers, batch_renderers, use_pygame)
    if not args.no_bunnymark:
        report["bunnymark"] = run_bunnymark(args, [f"qel-{r}" for r in renderers]
                                            + [f"qel-{r}{BATCH_SUFFIX}" for r in batch_renderers]
                                            + [FLOOR, FLOOR_BATCH] + (["pygame"] if use_pygame else []))

    report["elapsed_s"] = time.perf_counter() - started
    report["machine"]["loadavg_end"] = list(os.getloadavg())

    if args.plot:
        write_plot(report, args.plot)
    if not args.json_only:
        print_report(report)
    print("JSON: " + json.dumps(report, separators=(",", ":")), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
