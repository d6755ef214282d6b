"""Test harness: an X display for the whole session, and fresh interpreters for snippets.

The module's state (engine, key tables, device report, identifiers) is process-wide, so
most cases run their code in a new /usr/bin/python3 through `run_qel`.
"""
import os
import shutil
import sys
import tempfile

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
BUILD_DIR = os.environ.get("QEL_BUILD_DIR", os.path.join(ROOT, "build"))

sys.path.insert(0, HERE)
from qel_testing import start_xvfb  # noqa: E402  (after the path it lives on)

_xvfb = None


def _start_xvfb():
    global _xvfb
    _xvfb, os.environ["DISPLAY"] = start_xvfb(120, "1280x1024")


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
