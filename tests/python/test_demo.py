"""The demo game plays itself on the test display, reports what happened and leaves two screenshots."""
import os
import re
import subprocess

import numpy as np
from PIL import Image

from conftest import ROOT
from qel_testing import PYTHON, Result, validation_requested

BALL = (0xF5, 0xF5, 0xF5)
SCORE = (0xFF, 0xFF, 0xFF)
STARS = [(0xE7, 0x4C, 0x3C), (0x34, 0x98, 0xDB), (0x2E, 0xCC, 0x71), (0x9B, 0x59, 0xB6), (0xF3, 0x9C, 0x12),
         (0x1A, 0xBC, 0x9C)]


def numbers(pattern, text):
    """The numbers of the one line that matches `pattern`, with (N) for a number."""
    found = re.findall("^" + pattern.replace("(N)", r"(-?[\d.]+)") + "$", text, re.MULTILINE)
    assert len(found) == 1, (pattern, text)
    return [float(n) for n in (found[0] if isinstance(found[0], tuple) else [found[0]])]


def text_pixels(image, out, shot):
    """Where the score text's colour is inside the box the text handle reports for `shot`, and
    the score shown; no other pixel has that colour."""
    score, x, y, w, h = numbers(rf"Score (N) at \((N), (N)\) size (N)x(N) in {re.escape(str(shot))}", out)
    exact = (image == SCORE).all(axis=2)
    box = exact[int(y):int(y + h) + 1, int(x):int(x + w) + 1]
    assert box.sum() >= 150 and box.sum() == exact.sum(), (box.sum(), exact.sum())
    return score, box


def test_headless_demo_game_scores_grows_removes_and_draws_ball_badge_and_score_on_top(build_dir, tmp_path):
    shot, last_shot = tmp_path / "demo.png", tmp_path / "demo-end.png"
    env = dict(os.environ, PYTHONPATH=build_dir, PYTHONUNBUFFERED="1")
    if validation_requested():
        env["VK_INSTANCE_LAYERS"] = "VK_LAYER_KHRONOS_validation"
    proc = subprocess.run([PYTHON, os.path.join(ROOT, "demo", "headless_run.py"), str(shot), str(last_shot)],
                          capture_output=True, text=True, timeout=120, env=env, cwd=ROOT)
    assert proc.returncode == 0, proc.stdout + proc.stderr
    assert not Result(proc.stdout, proc.stderr, proc.returncode).validation_messages()
    out = proc.stdout

    # The name the demo prints is the one the start-up trace selected.
    lines = out.splitlines()
    selected = lines[lines.index("Selected Device:") + 1]
    assert f"Drawing on: {selected}" in lines
    assert f"Screenshot saved to {shot}" in lines

    # An arrow key and a letter key steer the ball.
    start, left = numbers(r"Ball moved with Left: x (N) -> (N)", out)
    _, right = numbers(r"Ball moved with d: x (N) -> (N)", out)
    assert left < start - 20 and right > left + 20, out
    # A click on a star pops it and scores; every point grows the ball.
    star, _, _, before, after = numbers(r"Clicked star (N) at \((N), (N)\): popped, score (N) -> (N)", out)
    assert after > before, out
    small, grown = numbers(r"Ball grew: radius (N) -> (N)", out)
    assert grown > small, out
    assert f"Score {after:g}: popped a star, ball radius {grown:g}" in lines
    # A star that falls into the middle of the ball is caught and scores too.
    _, before, after = numbers(r"Caught star (N): score (N) -> (N)", out)
    assert after > before, out
    # Popped, caught and lost stars have left the scene.
    gone, removed = numbers(r"Removed stars gone from the scene: (N) of (N)", out)
    assert gone == removed >= 2, out

    # The ball is drawn over a star created before it, by its layer, in the frame the demo saved.
    ball, x, y, radius, bx, by = numbers(r"Ball (N) at \((N), (N)\) radius (N): #f5f5f5 at \((N), (N)\)", out)
    star, px, py = numbers(r"Star (N) under the ball at \((N), (N)\): #f5f5f5", out)
    assert star < ball
    image = np.array(Image.open(shot).convert("RGB"))
    assert image.shape == (600, 800, 3)
    for point in [(bx, by), (px, py)]:
        assert tuple(image[round(point[1]), round(point[0])]) == BALL, point
        assert np.hypot(point[0] - x, point[1] - y) < radius, point

    # The badge sprite sits on the ball: its opaque pixels keep their colours, and the ball
    # shows through its transparent corners.
    badge = np.array(Image.open(os.path.join(ROOT, "demo", "star.png")).convert("RGBA")).astype(int)
    left, top, w, h = numbers(rf"Badge at \((N), (N)\) size (N)x(N) in {re.escape(str(shot))}", out)
    assert (w, h) == badge.shape[1::-1] and np.hypot(left + w / 2 - x, top + h / 2 - y) < 1.5
    drawn = image[int(top):int(top) + int(h), int(left):int(left) + int(w)].astype(int)
    opaque, clear = badge[..., 3] == 255, badge[..., 3] == 0
    assert opaque.sum() >= 200 and len({tuple(c) for c in badge[opaque][:, :3]}) == 2
    assert np.abs(drawn[opaque] - badge[opaque][:, :3]).max() <= 2
    assert (drawn[clear] == BALL).all()

    # The score is drawn as text above the stars, and the same text shows the new score in the
    # last frame: "Score: " stays, the number changes.
    first, before = text_pixels(image, out, shot)
    last, after = text_pixels(np.array(Image.open(last_shot).convert("RGB")), out, last_shot)
    assert last > first and before.shape == after.shape, (first, last)
    changed = np.flatnonzero((before != after).any(axis=0))
    assert changed.size and changed.min() > before.shape[1] / 2, changed

    # Stars of several colours are falling.
    colours, counts = np.unique(image.reshape(-1, 3), axis=0, return_counts=True)
    seen = {tuple(c) for c, n in zip(colours, counts) if n >= 200}
    assert len(seen & set(STARS)) >= 3 and BALL in seen, seen


def test_demo_replays_offscreen_from_injected_input_quietly(run_qel, renderer):
    # The game plays itself without a display: input injected at chosen frames, a fixed
    # step for time, so two runs draw the same last frame; and nothing of qel's is printed.
    r = run_qel(f"""
        import hashlib, sys
        sys.path.insert(0, {os.path.join(ROOT, "demo")!r})
        import qel, demo
        qel.setQuiet(True)
        qel.setFixedStep(1 / 60)
        for run in range(2):
            frames = []
            def watch(game):
                n = len(frames)
                frames.append(n)
                if n == 5:
                    qel.injectKey("right", True)
                elif n == 50:
                    qel.injectKey("right", False)
                    x, y = float(game.stars.xs[0]), float(game.stars.ys[0])
                    qel.injectMouse(x, y, "left", True)
                    qel.injectMouse(x, y, "left", False)
                elif n == 90:
                    print("RESULT", hashlib.sha256(qel.readPixels()).hexdigest(), game.player.center.x,
                          game.counts["popped"], qel.deltaTime(), game.bonus.angle, game.bonus.scale[0],
                          game.sheet.frame(0) != game.sheet.frame(1))
                    return False
            demo.main(seed=3, watch=watch, offscreen=True)
    """, env={"QEL_RENDERER": renderer, "DISPLAY": None})
    assert r.returncode == 0, r.output
    results = [line.split()[1:] for line in r.stdout.splitlines() if line.startswith("RESULT")]
    assert len(results) == 2 and results[0] == results[1], r.stdout
    # Held from the frame after it was injected to the frame after its release: 45 steps of
    # 1/60 s (to the nanosecond) at 260 px/s.
    assert abs(float(results[0][1]) - (400 + 45 * 260 / 60)) < 1e-4
    assert results[0][2] == "1" and abs(float(results[0][3]) - 1 / 60) < 1e-9
    # The bonus star, out since the first second, turns as it falls, scaled, from a sheet of frames.
    assert abs(float(results[0][4]) - (90 - 60 + 1) / 60 * 150) < 1e-3 and results[0][5:] == ["1.5", "True"]
    ours = [line for line in r.stdout.splitlines()
            if not line.startswith(("Drawing on:", "Score ", "Final score", "RESULT"))]
    assert ours == [], r.stdout
