"""The demo game plays itself on the test display, reports what happened and leaves a screenshot."""
import os
import re
import subprocess

import numpy as np
from PIL import Image

from conftest import ROOT
from qel_testing import PYTHON, Result, validation_requested

BALL = (0xF5, 0xF5, 0xF5)
STARS = [(0xE7, 0x4C, 0x3C), (0x34, 0x98, 0xDB), (0x2E, 0xCC, 0x71), (0x9B, 0x59, 0xB6), (0xF3, 0x9C, 0x12),
         (0x1A, 0xBC, 0x9C)]


def numbers(pattern, text):
    """The numbers of the one line that matches `pattern`, with (N) for a number."""
    found = re.findall("^" + pattern.replace("(N)", r"(-?[\d.]+)") + "$", text, re.MULTILINE)
    assert len(found) == 1, (pattern, text)
    return [float(n) for n in (found[0] if isinstance(found[0], tuple) else [found[0]])]


def test_headless_demo_game_scores_grows_removes_and_keeps_the_ball_on_top(build_dir, tmp_path):
    shot = tmp_path / "demo.png"
    env = dict(os.environ, PYTHONPATH=build_dir, PYTHONUNBUFFERED="1")
    if validation_requested():
        env["VK_INSTANCE_LAYERS"] = "VK_LAYER_KHRONOS_validation"
    proc = subprocess.run([PYTHON, os.path.join(ROOT, "demo", "headless_run.py"), str(shot)],
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
    ball, x, y, radius = numbers(r"Ball (N) at \((N), (N)\) radius (N): #f5f5f5", out)
    star, px, py = numbers(r"Star (N) under the ball at \((N), (N)\): #f5f5f5", out)
    assert star < ball
    image = np.array(Image.open(shot).convert("RGB"))
    assert image.shape == (600, 800, 3)
    for point in [(x, y), (px, py)]:
        assert tuple(image[round(point[1]), round(point[0])]) == BALL, point
    assert (np.hypot(px - x, py - y)) < radius
    # Stars of several colours are falling.
    colours, counts = np.unique(image.reshape(-1, 3), axis=0, return_counts=True)
    seen = {tuple(c) for c, n in zip(colours, counts) if n >= 200}
    assert len(seen & set(STARS)) >= 3 and BALL in seen, seen
