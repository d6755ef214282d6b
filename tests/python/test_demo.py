"""The demo plays itself on the test display and leaves a screenshot of its window."""
import os
import subprocess

import numpy as np
from PIL import Image

from conftest import ROOT
from qel_testing import PYTHON, Result, validation_requested


def test_headless_demo_run_saves_a_screenshot_of_the_shapes(build_dir, tmp_path):
    shot = tmp_path / "demo.png"
    env = dict(os.environ, PYTHONPATH=build_dir, PYTHONUNBUFFERED="1")
    if validation_requested():
        env["VK_INSTANCE_LAYERS"] = "VK_LAYER_KHRONOS_validation"
    proc = subprocess.run([PYTHON, os.path.join(ROOT, "demo", "headless_run.py"), str(shot)],
                          capture_output=True, text=True, timeout=120, env=env, cwd=ROOT)
    assert proc.returncode == 0, proc.stdout + proc.stderr
    assert not Result(proc.stdout, proc.stderr, proc.returncode).validation_messages()

    # The name the demo prints is the one the start-up trace selected.
    lines = proc.stdout.splitlines()
    selected = lines[lines.index("Selected Device:") + 1]
    assert f"Drawing on: {selected}" in lines
    assert f"Screenshot saved to {shot}" in lines

    image = np.array(Image.open(shot).convert("RGB"))
    assert image.shape == (600, 800, 3)
    colours, counts = np.unique(image.reshape(-1, 3), axis=0, return_counts=True)
    # Background, triangle, ball, drifting square and boxes: each covers a sizeable area.
    assert (counts >= 400).sum() >= 6, colours[counts >= 400]
