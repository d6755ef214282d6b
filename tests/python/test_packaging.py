"""The module installs as users get it: a wheel through pip, or cmake --install to a prefix,
each with qelDataFiles/ and the type stubs beside the module."""
import glob
import os
import re
import shutil
import subprocess
import sys

import pytest

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
    assert folders - {"tests", "fuzz", "build"} - set(LAYERS) == set()


def _copy_sources(dest):
    ignore = shutil.ignore_patterns("build", "build-*", "*.egg-info", "__pycache__", ".git", ".pytest_cache")
    shutil.copytree(ROOT, dest, ignore=ignore)


def _run_elsewhere(python, cwd, env_extra=None):
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env.update(env_extra or {})
    script = os.path.join(cwd, "draw.py")
    with open(script, "w") as f:
        f.write(DRAW_ONE_FRAME)
    return subprocess.run([python, script], cwd=cwd, env=env, capture_output=True, text=True, timeout=120)


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
    names = sorted(os.listdir(site))
    assert [n for n in names if n.startswith("qel.") and n.endswith(".so")], names
    assert {"qel.pyi", "py.typed", "qelDataFiles"} <= set(names)
    assert (site / "qelDataFiles" / "shaders" / "tri-vert.spv").is_file()
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    r = _run_elsewhere("/usr/bin/python3", str(elsewhere), {"PYTHONPATH": str(site)})
    assert r.returncode == 0, r.stdout + r.stderr
    assert f"drew with {site}" in r.stdout


def test_pip_installs_a_wheel_into_a_fresh_environment(tmp_path):
    src = tmp_path / "src"
    _copy_sources(src)
    venv = tmp_path / "venv"
    subprocess.run(["/usr/bin/python3", "-m", "venv", "--system-site-packages", str(venv)], check=True,
                   timeout=120)
    pip = subprocess.run([str(venv / "bin" / "pip"), "install", "--no-build-isolation", "--no-index", str(src)],
                         capture_output=True, text=True, timeout=900)
    assert pip.returncode == 0, pip.stdout[-3000:] + pip.stderr[-3000:]
    site = venv / "lib" / "python3.11" / "site-packages"
    assert {"qel.pyi", "py.typed", "qelDataFiles"} <= set(os.listdir(site))
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    r = _run_elsewhere(str(venv / "bin" / "python"), str(elsewhere))
    assert r.returncode == 0, r.stdout + r.stderr
    assert f"drew with {site}" in r.stdout
