"""The module installs as users get it: a wheel through pip, or cmake --install to a prefix,
each as a package qel/ holding the module, qelDataFiles/, the type stubs and the demo that
`python3 -m qel` plays."""
import glob
import os
import re
import shutil
import subprocess
import sys

import numpy as np
import pytest
from PIL import Image

from test_demo import BALL, STARS

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

DRAW_ONE_FRAME = """
import os, qel
qel.init([], 200, 150)
qel.createCircle(100, 75, 20, "#00ff00", 0)
qel.poll()
print("drew with", os.path.dirname(qel.__file__))
qel.closeWindow()
"""


# The source folders from the top of the include order down: a file includes headers of its
# own folder and of folders below it, never of one above.
LAYERS = ["bindings", "engine", "render", "audio", "platform", "input", "vulkan", "diagnostics"]


def test_includes_run_one_way():
    sources = [p for p in glob.glob(os.path.join(ROOT, "*", "**", "*.*"), recursive=True)
               if re.search(r"\.(cpp|hpp|h)$", p) and os.path.relpath(p, ROOT).split(os.sep)[0] in LAYERS]
    assert len(sources) > 100
    upward = []
    for path in sources:
        folder = os.path.relpath(path, ROOT).split(os.sep)[0]
        with open(path, encoding="utf-8") as f:
            for line in f:
                m = re.match(r'\s*#\s*include\s+"([^/"]+)/', line)
                if m and m.group(1) in LAYERS and LAYERS.index(m.group(1)) < LAYERS.index(folder):
                    upward.append(f"{os.path.relpath(path, ROOT)}: {line.strip()}")
    assert not upward, "includes running back up:\n" + "\n".join(upward)
    # A new folder of C++ sources takes its place in the order.
    folders = {os.path.relpath(p, ROOT).split(os.sep)[0]
               for p in glob.glob(os.path.join(ROOT, "*", "**", "*.cpp"), recursive=True)}
    # Build trees (build, build-asan, build-tsan ...) hold CMake's own probe sources.
    assert {f for f in folders if not f.startswith("build")} - {"tests", "fuzz"} - set(LAYERS) == set()


def _run_elsewhere(python, cwd, env_extra=None, args=None):
    """Runs DRAW_ONE_FRAME, or `python args`, in `cwd`; a None in `env_extra` unsets that variable."""
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env.update(env_extra or {})
    env = {k: v for k, v in env.items() if v is not None}
    if args is None:
        args = [os.path.join(cwd, "draw.py")]
        with open(args[0], "w") as f:
            f.write(DRAW_ONE_FRAME)
    return subprocess.run([python, *args], cwd=cwd, env=env, capture_output=True, text=True, timeout=120)


def test_stubs_match_the_built_module(build_dir, tmp_path):
    env = dict(os.environ, PYTHONPATH=build_dir, MYPYPATH=os.path.join(ROOT, "python"))
    r = subprocess.run(["/usr/bin/python3", "-m", "mypy.stubtest", "qel", "--allowlist",
                        os.path.join(ROOT, "python", "stubtest-allowlist.txt")],
                       cwd=tmp_path, env=env, capture_output=True, text=True, timeout=300)
    assert r.returncode == 0, r.stdout + r.stderr


def test_cmake_install_to_a_prefix(build_dir, tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", build_dir, "--prefix", str(prefix)], check=True,
                   capture_output=True, timeout=120)
    site = prefix / "lib" / "python3.11" / "site-packages"
    assert os.listdir(site) == ["qel"]
    package = site / "qel"
    names = sorted(os.listdir(package))
    assert [n for n in names if n.startswith("__init__.") and n.endswith(".so")], names
    assert {"__init__.pyi", "py.typed", "__main__.py", "qelDataFiles", "demo"} <= set(names)
    assert (package / "qelDataFiles" / "shaders" / "tri-vert.spv").is_file()
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    r = _run_elsewhere("/usr/bin/python3", str(elsewhere), {"PYTHONPATH": str(site)})
    assert r.returncode == 0, r.stdout + r.stderr
    assert f"drew with {package}" in r.stdout
    # With no display the demo says so in one line and fails, before it starts anything.
    r = _run_elsewhere("/usr/bin/python3", str(elsewhere), {"PYTHONPATH": str(site), "DISPLAY": None}, ["-m", "qel"])
    assert r.returncode == 2 and r.stdout == "" and len(r.stderr.splitlines()) == 1, r.stdout + r.stderr
    assert "no X display" in r.stderr and "--offscreen" in r.stderr
    # A folder given for the screenshot is refused before the game, as a missing one is.
    r = _run_elsewhere("/usr/bin/python3", str(elsewhere), {"PYTHONPATH": str(site), "DISPLAY": None},
                       ["-m", "qel", "--offscreen", "--seconds", "30", "--screenshot", str(elsewhere)])
    assert r.returncode == 2 and "is a folder" in r.stderr, r.stdout + r.stderr
    # Offscreen it needs no display.
    r = _run_elsewhere("/usr/bin/python3", str(elsewhere), {"PYTHONPATH": str(site), "DISPLAY": None},
                       ["-m", "qel", "--offscreen", "--seconds", "0.5", "--screenshot", "shot.png"])
    assert r.returncode == 0, r.stdout + r.stderr
    assert (np.array(Image.open(elsewhere / "shot.png").convert("RGB")) == BALL).all(axis=2).sum() > 1000


def test_pip_installs_a_wheel_into_a_fresh_environment(tmp_path):
    venv = tmp_path / "venv"
    subprocess.run(["/usr/bin/python3", "-m", "venv", "--system-site-packages", str(venv)], check=True,
                   timeout=120)
    # From the checkout itself, built as scripts/build.sh builds it: the compiler cache that
    # build filled serves the same sources at the same paths with the same flags.
    env = dict(os.environ, CMAKE_BUILD_TYPE="RelWithDebInfo", CCACHE_NOHASHDIR="1")
    if shutil.which("ccache"):
        env["CMAKE_CXX_COMPILER_LAUNCHER"] = "ccache"
    pip = subprocess.run([str(venv / "bin" / "pip"), "install", "--no-build-isolation", "--no-index", ROOT],
                         capture_output=True, text=True, timeout=900, env=env)
    assert pip.returncode == 0, pip.stdout[-3000:] + pip.stderr[-3000:]
    package = venv / "lib" / "python3.11" / "site-packages" / "qel"
    assert {"__init__.pyi", "py.typed", "__main__.py", "qelDataFiles", "demo"} <= set(os.listdir(package))
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    r = _run_elsewhere(str(venv / "bin" / "python"), str(elsewhere))
    assert r.returncode == 0, r.stdout + r.stderr
    assert f"drew with {package}" in r.stdout
    # mypy finds the stubs in the installed package (PEP 561) and checks calls against them.
    check = subprocess.run(["/usr/bin/python3", "-m", "mypy", "--python-executable", str(venv / "bin" / "python"),
                            "--no-incremental", "-c", "import qel\nqel.init([], 200, 150)\nqel.poll(1)"],
                           cwd=elsewhere, capture_output=True, text=True, timeout=300)
    assert check.returncode == 1 and check.stdout.count("error:") == 1 and '"poll"' in check.stdout, check.stdout
    # The demo plays from anywhere under the test display and saves its last frame: the ball
    # and falling stars of several colours.
    shot = elsewhere / "last frame.png"
    r = _run_elsewhere(str(venv / "bin" / "python"), str(elsewhere), args=["-m", "qel", "--seconds", "2",
                                                                           "--screenshot", str(shot)])
    assert r.returncode == 0 and "Final score" in r.stdout, r.stdout + r.stderr
    image = np.array(Image.open(shot).convert("RGB"))
    assert image.shape == (600, 800, 3)
    colours, counts = np.unique(image.reshape(-1, 3), axis=0, return_counts=True)
    big = {tuple(c) for c, n in zip(colours, counts) if n >= 200}
    assert BALL in big and len(big & set(STARS)) >= 2, big
