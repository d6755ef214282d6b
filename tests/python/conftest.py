"""Test harness: an X display for the whole session, and fresh interpreters for snippets.

The module's state (engine, key tables, device report, identifiers) is process-wide, so
most cases run their code in a new /usr/bin/python3 through `run_qel`.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
BUILD_DIR = os.environ.get("QEL_BUILD_DIR", os.path.join(ROOT, "build"))

sys.path.insert(0, HERE)

_xvfb = None


def _start_xvfb():
    global _xvfb
    num = 120
    while os.path.exists(f"/tmp/.X11-unix/X{num}") or os.path.exists(f"/tmp/.X{num}-lock"):
        num += 1
    # -noreset: a server that resets when its last client leaves refuses connections
    # meanwhile, which breaks a second init at random.
    _xvfb = subprocess.Popen(["Xvfb", f":{num}", "-screen", "0", "1280x1024x24", "-noreset",
                              "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(200):
        if os.path.exists(f"/tmp/.X11-unix/X{num}"):
            break
        time.sleep(0.05)
    os.environ["DISPLAY"] = f":{num}"


def pytest_configure(config):
    if not os.environ.get("XDG_RUNTIME_DIR"):
        runtime = tempfile.mkdtemp(prefix="qel-runtime-")
        os.chmod(runtime, 0o700)
        os.environ["XDG_RUNTIME_DIR"] = runtime
    if not os.environ.get("DISPLAY"):
        _start_xvfb()


def pytest_unconfigure(config):
    if _xvfb is not None:
        _xvfb.terminate()
        _xvfb.wait(timeout=10)


@pytest.fixture(scope="session")
def build_dir():
    if not any(name.startswith("qel.") and name.endswith(".so") for name in os.listdir(BUILD_DIR)):
        pytest.fail(f"no built module in {BUILD_DIR}: run scripts/build.sh first")
    return BUILD_DIR


@pytest.fixture(params=["raster", "tiles"])
def renderer(request):
    """For pixel tests that must hold for both renderers: the name, for QEL_RENDERER."""
    return request.param


@pytest.fixture
def run_qel(build_dir):
    from qel_testing import run_snippet

    def run(code, **kwargs):
        kwargs.setdefault("build_dir", build_dir)
        return run_snippet(code, **kwargs)

    return run
