"""Plays every example headless with scripted input, checks what it drew, and saves a picture.

    PYTHONPATH=build /usr/bin/python3 examples/capture.py OUTDIR [NAME ...]

Each example runs in a fresh interpreter (qel's state belongs to the process), offscreen and
quiet, a fixed 1/60 s a frame and a fixed random seed, so every run draws the same frames. The
examples are left as a beginner reads them: this script imports one, wraps qel's functions
from outside (init to go offscreen, nextFrame to inject this frame's input, watch the frame
and stop after the last one, the create functions to know the objects), and calls its main().
It writes OUTDIR/<name>.png and exits non-zero naming the example and the check that failed.
"""
import importlib
import os
import random
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
EXAMPLES = ["breakout", "shooter", "platformer", "fountain"]
SEED = 1


class Failed(Exception):
    """A check failed: the message says which."""


class Done(Exception):
    """Raised from inside the example's loop after the last frame, to end it."""


def colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


class Run:
    """One example under a script: qel's functions wrapped, the objects it made, the frames."""

    def __init__(self, qel, np, scenario):
        self.qel, self.np, self.scenario = qel, np, scenario
        self.frame = 0  # frames drawn so far
        self.made = {}  # create function's name -> the handles it returned, in order
        self.placed = {}  # identifier -> the last (x, y) given to qel.moveTo
        self.init_options = {}

    def wrap(self):
        qel, real = self.qel, {name: getattr(self.qel, name) for name in
                               ["init", "nextFrame", "run", "moveTo", "createRect", "createDisc",
                                "createSprite", "createText"]}

        def init(items, width, height, **options):
            self.init_options = options
            real["init"](items, width, height, **dict(options, offscreen=True, quiet=True))
            qel.setFixedStep(1 / 60)

        def next_frame():
            self.scenario.script(self)
            dt = real["nextFrame"]()
            self.frame += 1
            self.scenario.watch(self)
            if self.frame >= self.scenario.frames:
                raise Done
            return dt

        def run(update=None):
            while True:
                result = update(qel.nextFrame()) if update else None
                if result is not None and not result:
                    return

        def move_to(ident, x, y):
            self.placed[ident] = (x, y)
            real["moveTo"](ident, x, y)

        def recorder(name):
            def create(*args, **kwargs):
                handle = real[name](*args, **kwargs)
                self.made.setdefault(name, []).append(handle)
                return handle
            return create

        qel.init, qel.nextFrame, qel.run, qel.moveTo = init, next_frame, run, move_to
        for name in ["createRect", "createDisc", "createSprite", "createText"]:
            setattr(qel, name, recorder(name))

    def pixels(self):
        """The last frame drawn as a height x width x 3 array of RGB."""
        qel = self.qel
        rgba = self.np.frombuffer(qel.readPixels(), dtype=self.np.uint8)
        return rgba.reshape(qel.getWindowHeight(), qel.getWindowWidth(), 4)[..., :3].copy()

    def key(self, name, down):
        self.qel.injectKey(name, down)

    def hold(self, name, first, last):
        """Holds a key from frame `first` until frame `last`."""
        if self.frame == first:
            self.key(name, True)
        elif self.frame == last:
            self.key(name, False)


def box(image, handle):
    """The pixels under a handle's top_left, width and height, rounded outwards."""
    x, y = int(handle.top_left.x), int(handle.top_left.y)
    return image[y:int(handle.top_left.y + handle.height) + 1, x:int(handle.top_left.x + handle.width) + 1]


def expect(condition, message):
    if not condition:
        raise Failed(message)


class Breakout:
    """Keys move the paddle, space launches, then the mouse keeps the paddle under the ball."""
    frames = 300

    def script(self, run):
        run.hold("right", 5, 25)
        run.hold("space", 40, 41)
        ball = run.made["createDisc"][0]
        if run.frame > 41 and ball.id in run.placed:
            run.qel.injectMouse(run.placed[ball.id][0], 580)

    def watch(self, run):
        paddle = run.made["createRect"][-1]
        if run.frame in (4, 26):
            setattr(self, f"paddle{run.frame}", paddle.top_left.x)
        if run.frame == 35:
            self.before, self.score = run.pixels(), box(run.pixels(), run.made["createText"][0])

    def check(self, run):
        # 20 frames of the right arrow at 600 px a second.
        expect(abs(self.paddle26 - self.paddle4 - 200) < 1, f"the right arrow did not move the paddle "
               f"200 px: from {self.paddle4} to {self.paddle26}")
        now, background = run.pixels(), colour(run.init_options["background"])
        bricks = run.made["createRect"][:-1]  # the paddle is made last
        gone = [b for b in bricks if (box(self.before, b)[4:-4, 4:-4] != background).all()
                and (box(now, b)[4:-4, 4:-4] == background).all()]
        expect(gone, "no brick hit by the ball is gone from the picture")
        score = box(now, run.made["createText"][0])
        expect(score.shape != self.score.shape or (score != self.score).any(), "the score text did not change")


class Shooter:
    """Thrust, a turn and fire; the camera's scroll is checked between two frames."""
    frames = 240

    def script(self, run):
        run.hold("up", 5, 150)
        run.hold("right", 20, 40)
        run.hold("space", 30, 230)
        run.hold("left", 160, 200)

    def watch(self, run):
        if run.frame in (100, 130):
            setattr(self, f"at{run.frame}", (run.pixels(), run.qel.getCamera()[:2]))

    def check(self, run):
        import shooter
        np = run.np
        (a, cam_a), (b, cam_b) = self.at100, self.at130
        # The HUD bar stays where it is, outside its texts: the same pixels, its colour.
        bar = np.ones(a.shape[:2], bool)
        bar[shooter.HUD_HEIGHT:] = False
        for text in run.made["createText"][:2]:
            x, y = int(text.top_left.x), int(text.top_left.y)
            bar[y:y + int(text.height) + 2, x:x + int(text.width) + 2] = False
        expect((a[bar] == b[bar]).all() and (a[bar] == colour("#202840")).all(),
               "the HUD bar moved or is not drawn")
        score = box(a, run.made["createText"][0])
        expect((score == 255).all(axis=-1).sum() >= 20, "the score text is not drawn on the HUD")
        # The stars (blue 255, red as green) moved by the camera's move: a star pixel of the
        # first frame is a star pixel of the second where the camera put it.
        dx, dy = round(cam_b[0] - cam_a[0]), round(cam_b[1] - cam_a[1])
        expect(abs(dx) + abs(dy) >= 20, f"the camera hardly moved: {cam_a} to {cam_b}")

        def stars(image):
            return (image[..., 2] == 255) & (image[..., 0] == image[..., 1])

        sa, sb = stars(a), stars(b)
        sb_near = sb.copy()  # a star pixel within one pixel, for the rounding of part-pixel moves
        for ox in (-1, 0, 1):
            for oy in (-1, 0, 1):
                sb_near |= np.roll(np.roll(sb, oy, 0), ox, 1)
        ys, xs = np.nonzero(sa)
        keep = (ys > shooter.HUD_HEIGHT + 2) & (ys - dy > shooter.HUD_HEIGHT + 2) & (ys - dy < a.shape[0] - 2) \
            & (xs - dx > 1) & (xs - dx < a.shape[1] - 2)
        ys, xs = ys[keep], xs[keep]
        expect(len(ys) >= 50, f"too few stars drawn: {len(ys)}")
        followed, stayed = sb_near[ys - dy, xs - dx].mean(), sb[ys, xs].mean()
        expect(followed > 0.9 and stayed < 0.5,
               f"the background did not scroll with the camera ({followed:.2f} moved, {stayed:.2f} stayed)")


class Platformer:
    """Runs right, jumps onto the first platform, stops, then takes a step left there."""
    frames = 150

    def __init__(self):
        self.stage, self.feet = "run", []

    def script(self, run):
        hero = run.made["createSprite"][0]
        middle = hero.top_left.x + hero.width / 2
        self.feet = self.feet[-2:] + [hero.top_left.y + hero.height]
        if run.frame == 5:
            run.key("right", True)
        elif self.stage == "run" and middle > 130:
            self.stage = "jump"
            run.key("space", True)
        elif self.stage == "jump":
            run.key("space", False)
            if middle > 250:
                self.stage = "fly"
                run.key("right", False)
        elif self.stage == "fly" and len(set(self.feet)) == 1 and run.frame > 40:  # landed, still
            self.stage, self.left_at = "left", run.frame
            self.facing_right = box(run.pixels(), hero)[:-1, :-1]  # whole pixels: x moves 4 a frame
            run.key("left", True)
        elif self.stage == "left" and run.frame == self.left_at + 3:
            self.stage = "stand"
            run.key("left", False)

    def watch(self, run):
        hero = run.made["createSprite"][0]
        if run.frame in (12, 18):  # running, in two frames of the animation
            setattr(self, f"at{run.frame}", box(run.pixels(), hero))

    def check(self, run):
        import platformer
        hero = run.made["createSprite"][0]
        a, b = self.at12, self.at18
        expect(a.shape == b.shape and (a != b).any(), "the hero's picture did not change while running")
        feet, middle = hero.top_left.y + hero.height, int(hero.top_left.x + hero.width / 2)
        tops = [top for left, top, width in platformer.PLATFORMS if left <= middle <= left + width]
        expect(feet in tops, f"the hero does not stand on a platform: feet at {feet}, x {middle}")
        image = run.pixels()
        under = image[int(feet) + 2, middle]
        expect(tuple(under) == colour("#8b5a2b"), f"no platform drawn under the hero's feet: {tuple(under)}")
        # Standing after a step left, the hero is the right-facing standing picture mirrored.
        expect(self.stage == "stand", f"the script stopped at its {self.stage!r} stage")
        left = box(image, hero)[:-1, :-1]
        expect(left.shape == self.facing_right.shape and (left == self.facing_right[:, ::-1]).all(),
               "the hero standing after running left is not the right-facing picture mirrored")
        expect(run.qel.musicPlaying(), "the music is not playing")


class Fountain:
    """The mouse puts the source at one place, then another."""
    frames = 250
    places = [(200, 500), (600, 450)]

    def script(self, run):
        if run.frame in (1, 110):
            run.qel.injectMouse(*self.places[run.frame > 1])

    def watch(self, run):
        if run.frame in (100, 250):
            setattr(self, f"at{run.frame}", run.pixels())

    def check(self, run):
        background = colour(run.init_options["background"])

        def plume(image, x, y):
            """How many pixels particles cover above (x, y), up to the height they reach."""
            return int((image[y - 250:y - 20, x - 100:x + 100] != background).any(axis=2).sum())

        first, second = self.places
        for image, now, then in [(self.at100, first, second), (self.at250, second, first)]:
            expect(plume(image, *now) > 2000 and plume(image, *then) < 200,
                   f"no plume above the source at {now} alone: {plume(image, *now)} pixels there, "
                   f"{plume(image, *then)} above {then}")


SCENARIOS = {"breakout": Breakout, "shooter": Shooter, "platformer": Platformer, "fountain": Fountain}


def run_one(name, outdir):
    """In this interpreter: runs one example under its script, checks it, saves its picture."""
    import numpy as np

    import qel
    sys.path.insert(0, HERE)
    run = Run(qel, np, SCENARIOS[name]())
    run.wrap()
    random.seed(SEED)
    np.random.seed(SEED)
    example = importlib.import_module(name)
    try:
        example.main()
    except Done:
        pass
    else:
        raise Failed(f"it ended after {run.frame} frames, before the script did")
    qel.screenshot(os.path.join(outdir, name + ".png"))
    run.scenario.check(run)


def main(argv):
    if len(argv) >= 3 and argv[0] == "--one":
        try:
            run_one(argv[1], argv[2])
        except Failed as failure:
            sys.exit(f"{argv[1]}: {failure}")
        return
    if not argv or argv[0].startswith("-"):
        sys.exit(__doc__)
    outdir, names = argv[0], argv[1:] or EXAMPLES
    unknown = [n for n in names if n not in SCENARIOS]
    if unknown:
        sys.exit(f"unknown example {', '.join(unknown)}: choose from {', '.join(EXAMPLES)}")
    os.makedirs(outdir, exist_ok=True)
    env = dict(os.environ)
    env.setdefault("PYTHONPATH", os.path.join(ROOT, "build"))
    failed = []
    for name in names:
        start = time.monotonic()
        proc = subprocess.run([sys.executable, __file__, "--one", name, outdir], env=env,
                              capture_output=True, text=True)
        seconds = time.monotonic() - start
        # Whatever the example printed is passed on (warnings, a validation layer's messages).
        print(proc.stdout + proc.stderr, end="", file=sys.stderr, flush=True)
        if proc.returncode == 0:
            print(f"{name}: ok in {seconds:.1f} s, {os.path.join(outdir, name + '.png')}", flush=True)
        else:
            failed.append(name)
            print(f"{name}: FAILED", file=sys.stderr, flush=True)
    if failed:
        sys.exit(f"failed: {', '.join(failed)}")


if __name__ == "__main__":
    main(sys.argv[1:])
