"""The documentation build's own checks: each example runs against a fresh engine, and a
stale output, Python that no doctest runs, or a public name left out of the reference fails it."""
import os
import re
import shutil
import subprocess
import sys

import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "docs", "_ext"))

from gallery import title_and_summary  # noqa: E402

# A stand-in for the module, so a page can document all or part of it.
MODULE = '''
def documented(x):
    """Does something.

    Args:
        x (sequence of int or os.PathLike): prose types are text, not references.

    Example:
        >>> qel.getWindowWidth()
        {width}
    """

def forgotten():
    """Left out of the reference in one case."""
'''

# Two blocks in one page: the second sees neither the first's names nor its objects.
FRESH = """
>>> disc = qel.createDisc(10, 10, 5, "red")

>>> qel.objectsIn(0, 0, 320, 240), "disc" in globals()
([], False)

.. testcode::

   print(qel.getWindowWidth(), qel.getWindowHeight())

.. testoutput::

   320 240
"""

BOTH = ["documented", "forgotten"]
# Page text added, functions documented, the docstring example's output, the failure expected.
CASES = {
    "passes": ("", BOTH, 320, None),
    "stale page example": (">>> 1 + 1\n3\n", BOTH, 320, "Failed example"),
    "stale docstring example": ("", BOTH, 640, "Failed example"),
    "untested python": (".. code-block:: python\n\n   print('never run')\n", BOTH, 320,
                        "Python code that no doctest runs"),
    "plain literal": ("Code::\n\n   print('never run')\n", BOTH, 320,
                      "Python code that no doctest runs"),
    "left-out name": ("", ["documented"], 320, "leaves out 1 public name(s): fake.forgotten"),
    "misspelt reference": ("See :class:`fake.Nothing`, :class:`os.PathLike`, :func:`fake.documented`.\n",
                           BOTH, 320, "reference target not found: fake.Nothing"),
}


@pytest.mark.parametrize("case", CASES)
def test_docs_build_checks(build_dir, tmp_path, case):
    extra, documented, width, failure = CASES[case]
    source = tmp_path / "source"
    source.mkdir()
    shutil.copy(os.path.join(ROOT, "docs", "conf.py"), source)
    shutil.copytree(os.path.join(ROOT, "docs", "_ext"), source / "_ext")
    (tmp_path / "fake.py").write_text(MODULE.format(width=width))
    functions = "".join(f".. autofunction:: fake.{name}\n" for name in documented)
    (source / "index.rst").write_text(
        f"Page\n====\n\n.. toctree::\n\n   gallery\n\n{functions}\n{FRESH}\n{extra}")
    env = dict(os.environ, PYTHONPATH=f"{build_dir}:{tmp_path}", QEL_REPO_DIR=str(tmp_path))
    outputs = []
    for builder in ("doctest", "html"):
        r = subprocess.run(["/usr/bin/python3", "-m", "sphinx", "-W", "--keep-going",
                            "-n", "-q", "-D", "reference_module=fake", "-b", builder, str(source),
                            str(tmp_path / builder)], env=env, capture_output=True, text=True, timeout=300)
        outputs.append((r.returncode, r.stdout + r.stderr))
        if r.returncode != 0:
            break
    text = "".join(out for _, out in outputs)
    if failure is None:
        assert all(code == 0 for code, _ in outputs), text
    else:
        assert any(code != 0 for code, _ in outputs) and failure in text, text


def test_gallery_titles():
    assert title_and_summary("breakout", "Breakout\n\nClear the bricks.\n\nKeys: left, right.") == \
        ("Breakout", "Clear the bricks.")
    assert title_and_summary("particle_fountain", "Sparks rise\nand fall.\n\nMore.") == \
        ("Particle fountain", "Sparks rise\nand fall.")
    assert title_and_summary("shooter", None) == ("Shooter", "")


# The README's first script as a user runs it, but offscreen, a fixed step, the right arrow
# held from the start and Escape at frame 120; the last frame's pixels are read at the close.
README_PLAYER = """
import qel
_init, _next_frame, _close = qel.init, qel.nextFrame, qel.closeWindow
frames = 0
def init(*args, **kwargs):
    _init(*args, offscreen=True, **kwargs)
    qel.setFixedStep(1 / 60)
    qel.injectKey("right", True)
def nextFrame():
    global frames
    frames += 1
    if frames == 120:
        qel.injectKey("escape", True)
    return _next_frame()
def closeWindow():
    pixels, width = qel.readPixels(), qel.getWindowWidth()
    print(frames, *(tuple(pixels[(y * width + x) * 4:][:3]) for x, y in ((620, 220), (700, 300))))
    _close()
qel.init, qel.nextFrame, qel.closeWindow = init, nextFrame, closeWindow
"""


def test_readme_script_plays(run_qel):
    with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
        script = re.search(r"```python\n(.*?)```", f.read(), re.S).group(1)
    r = run_qel(README_PLAYER + script, env={"DISPLAY": None})
    # Escape ended the loop; the ball went right (gold where it is) and the wall it reached is green.
    assert r.returncode == 0 and r.stdout.split("\n")[-2] == "120 (50, 205, 50) (255, 215, 0)", r.output
