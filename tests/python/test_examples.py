"""The example games play themselves headless and pass their own checks of what they drew."""
import os
import subprocess

import numpy as np
from PIL import Image

from conftest import ROOT
from qel_testing import PYTHON, Result, validation_requested

EXAMPLES = ["breakout", "shooter", "platformer", "fountain"]


def test_examples_play_their_scripts_and_save_pictures(build_dir, renderer, tmp_path):
    env = dict(os.environ, PYTHONPATH=build_dir, QEL_RENDERER=renderer)
    env.pop("DISPLAY", None)  # offscreen: no display needed
    if validation_requested():
        env["VK_INSTANCE_LAYERS"] = "VK_LAYER_KHRONOS_validation"
    proc = subprocess.run([PYTHON, os.path.join(ROOT, "examples", "capture.py"), str(tmp_path)],
                          capture_output=True, text=True, timeout=300, env=env, cwd=ROOT)
    assert proc.returncode == 0, proc.stdout + proc.stderr
    assert not Result(proc.stdout, proc.stderr, proc.returncode).validation_messages()
    assert sorted(os.listdir(tmp_path)) == sorted(name + ".png" for name in EXAMPLES)
    for name in EXAMPLES:
        image = np.array(Image.open(tmp_path / (name + ".png")).convert("RGB"))
        colours, counts = np.unique(image.reshape(-1, 3), axis=0, return_counts=True)
        # Not blank: the background covers less than 99% and many colours are drawn.
        assert image.shape == (600, 800, 3) and counts.max() < 0.99 * image.shape[0] * image.shape[1], name
        assert len(colours) >= 5, (name, len(colours))
