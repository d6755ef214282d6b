"""The module's surface and what init() does with its arguments and the real window."""
import json
import os
import textwrap

import pytest

MARK = "\n=== results ===\n"

CAST_MESSAGE = ("Unable to cast Python instance to C++ type (#define PYBIND11_DETAILED_ERROR_MESSAGES "
                "or compile in debug mode for details)")


def results(stdout):
    """The JSON a snippet printed after MARK, and everything printed before it."""
    head, _, tail = stdout.partition(MARK)
    return head, json.loads(tail)


def loading_lines(build_dir):
    # __file__ comes from the PYTHONPATH entry, which may or may not be resolved.
    return {f"\nLoading shaders from: {d}/qelDataFiles/shaders\n"
            for d in (os.path.abspath(build_dir), os.path.realpath(build_dir))}


def test_module_surface_before_init(run_qel):
    r = run_qel(f"""
        import json, qel
        names = [k for k in qel.__dict__ if not (k.startswith("__") and k.endswith("__"))]
        print({MARK!r}, end="")
        print(json.dumps({{"doc": qel.__doc__, "names": names, "data": qel.getData(),
                          "size": [qel.getWindowWidth(), qel.getWindowHeight()]}}))
    """)
    assert r.returncode == 0, r.output
    head, got = results(r.stdout)
    assert head == ""
    assert got["doc"] == "qel 2D graphics engine"
    assert got["names"] == [
        "init", "run", "poll", "shouldClose", "loadGameObjects", "createTri", "createRectangle", "moveTo",
        "buttonDown", "buttonComboDown", "buttonClicked", "getCursor", "createCircle", "deltaTime",
        "getWindowWidth", "getWindowHeight", "updateColor", "isInside", "getData", "closeWindow",
        "Point2D", "Circle", "Rectangle",
        # Additions, after everything above.
        "getRenderer", "removeObject", "setLayer", "objectAt", "moveMany", "updateColors", "readPixels",
        "screenshot", "createSprite", "createText", "keyDown", "keyPressed", "keyReleased", "keysDown",
        "mouseDown", "mousePressed", "mouseReleased", "clicks", "scroll", "typedText", "injectKey", "injectMouse",
        "injectScroll", "injectText", "nextFrame", "setFrameRate", "setFixedStep", "setQuiet", "setTitle", "setFullscreen", "setCursorVisible",
        "setBackground",
        "createLine", "createPolygon", "createTriangle", "createRect", "createDisc",
        "setCamera", "getCamera", "setLayerFixed", "screenToWorld", "worldToScreen", "loadSheet",
        "loadSound", "playMusic", "stopMusic", "pauseMusic", "resumeMusic", "musicPlaying", "setMasterVolume",
        "audioDevice", "collides", "overlapping", "objectsIn",
        "Line", "Polygon", "Sheet", "Sprite", "Text", "Sound", "Voice"]
    assert got["data"] == "null"
    assert got["size"] == [0, 0]


def test_init_opens_fixed_size_titled_window(run_qel, build_dir):
    r = run_qel(f"""
        import json, subprocess, qel, qel_testing
        qel.init([], 800, 600)
        qel_testing.pump(qel, frames=3)
        ids = subprocess.run(["xdotool", "search", "--name", "^Qel Demo$"], capture_output=True,
                             text=True, timeout=30).stdout.split()
        info = subprocess.run(["xwininfo", "-id", ids[-1]], capture_output=True, text=True, timeout=30).stdout
        hints = subprocess.run(["xprop", "-id", ids[-1], "WM_NORMAL_HINTS", "_NET_WM_NAME", "WM_NAME"],
                               capture_output=True, text=True, timeout=30).stdout
        print({MARK!r}, end="")
        print(json.dumps({{"ids": ids, "info": info, "hints": hints}}))
    """)
    assert r.returncode == 0, r.output
    head, got = results(r.stdout)
    assert any(head.startswith(line) for line in loading_lines(build_dir)), head[:200]
    assert len(got["ids"]) == 1
    info = dict(line.strip().split(": ", 1) for line in got["info"].splitlines() if ": " in line)
    assert (info["Width"], info["Height"]) == ("800", "600")
    assert 'xwininfo: Window id: {} "Qel Demo"'.format(hex(int(got["ids"][0]))) in got["info"]
    hints = got["hints"]
    assert "program specified minimum size: 800 by 600" in hints, hints
    assert "program specified maximum size: 800 by 600" in hints, hints
    assert '_NET_WM_NAME(UTF8_STRING) = "Qel Demo"' in hints
    assert 'WM_NAME(STRING) = "Qel Demo"' in hints


@pytest.mark.parametrize("call, error, message, prints_loading", [
    ("qel.init((), 800, 600)", "TypeError", "incompatible function arguments", False),
    ("qel.init([], 800.0, 600)", "TypeError", "incompatible function arguments", False),
    ("qel.init([1], 800, 600)", "RuntimeError", CAST_MESSAGE, True),
    ("qel.init(['ok', 2], 800, 600)", "RuntimeError", CAST_MESSAGE, True),
], ids=["tuple", "float-width", "int-item", "mixed-items"])
def test_init_rejects_bad_arguments(run_qel, build_dir, call, error, message, prints_loading):
    r = run_qel(f"""
        import json, subprocess, sys, qel
        try:
            {call}
            raised = None
        except Exception as e:
            raised = [type(e).__name__, str(e)]
        sys.stdout.flush()
        try:
            qel.poll()
            poll = None
        except RuntimeError as e:
            poll = str(e)
        windows = subprocess.run(["xdotool", "search", "--name", "^Qel Demo$"], capture_output=True,
                                 text=True, timeout=30).stdout.split()
        print({MARK!r}, end="")
        print(json.dumps({{"raised": raised, "poll": poll, "windows": windows}}))
    """)
    assert r.returncode == 0, r.output
    head, got = results(r.stdout)
    kind, text = got["raised"]
    assert kind == error
    if error == "RuntimeError":
        assert text == message
    else:
        assert message in text
    if prints_loading:
        assert head in loading_lines(build_dir)
    else:
        assert head == ""
    assert got["poll"] is not None and "init" in got["poll"]
    assert got["windows"] == []


def test_window_size_is_reported_and_text_items_accepted(run_qel):
    r = run_qel(f"""
        import json, qel, qel_testing
        qel.init(["--name", b"raw bytes", ""], 640, 480)
        right_after = [qel.getWindowWidth(), qel.getWindowHeight()]
        qel_testing.pump(qel, frames=4)
        after_frames = [qel.getWindowWidth(), qel.getWindowHeight()]
        shape = list(qel_testing.grab().shape)
        print({MARK!r}, end="")
        print(json.dumps({{"right_after": right_after, "after_frames": after_frames, "shape": shape}}))
    """)
    assert r.returncode == 0, r.output
    _, got = results(r.stdout)
    assert got["right_after"] == [640, 480]
    assert got["after_frames"] == [640, 480]
    assert got["shape"] == [480, 640, 3]


@pytest.mark.parametrize("width, height", [
    (0, 0),
    (0, 10),
    (-5, 10),
    (10, -5),
    (20000, 100),
])
def test_unusable_sizes_fail_cleanly(run_qel, width, height):
    """Either a clear exception or a working window; never an abort or an invalid Vulkan call."""
    r = run_qel(f"""
        import qel, qel_testing
        try:
            qel.init([], {width}, {height})
        except (RuntimeError, ValueError) as e:
            print("refused:", e)
        else:
            qel_testing.pump(qel, frames=2)
    """, validation=True)
    assert r.returncode == 0, r.output
    assert "refused:" in r.stdout or "Present mode: V-Sync" in r.stdout


def test_printing_goes_through_sys_stdout_or_nowhere_when_quiet(run_qel, tmp_path):
    # pytest's own capture and redirect_stdout, in a pytest of its own: the engine and its
    # driver threads stay out of this process.
    (tmp_path / "test_capture.py").write_text(textwrap.dedent("""
        import contextlib, io, sys
        import qel

        def test_capture(capsys):
            qel.init([], 64, 48, offscreen=True)
            rect = qel.createRectangle(1, 1, 10, 10, "#AbCdEf", 0)
            out = capsys.readouterr().out
            assert "\\nLoading shaders from: " in out and "Selected Device:" in out and out.endswith("0xabcdef\\n")
            with contextlib.redirect_stdout(io.StringIO()) as caught:
                assert qel.isInside(rect.id, 5, 5)
            assert "Rectangle Check:\\n\\tClick: (5, 5)\\n" in caught.getvalue()
            assert capsys.readouterr().out == ""
            qel.setQuiet(True)
            qel.createCircle(1, 1, 1, "#123456", 0)
            qel.isInside(rect.id, 5, 5)
            qel.init([], 32, 32, offscreen=True)
            qel.nextFrame()
            qel.setQuiet(False)
            assert capsys.readouterr().out == ""
            # A stream that fails is reported as Python reports what it cannot raise.
            class Broken:
                def write(self, text):
                    raise OSError("disk full")
                def flush(self):
                    pass
            seen, hook = [], sys.unraisablehook
            sys.unraisablehook = lambda u: seen.append(str(u.exc_value))
            try:
                with contextlib.redirect_stdout(Broken()):
                    qel.createRectangle(1, 1, 1, 1, "#010203", 0)
            finally:
                sys.unraisablehook = hook
            assert seen == ["disk full"]
    """))
    r = run_qel(f"""
        import sys, pytest
        sys.exit(pytest.main(["-q", "-p", "no:cacheprovider", {str(tmp_path)!r}]))
    """, env={"DISPLAY": None}, cwd=str(tmp_path))
    assert r.returncode == 0 and "1 passed" in r.stdout, r.output


def test_every_name_documented_with_named_parameters(run_qel):
    import tomllib
    r = run_qel(r"""
        import json, re, qel
        SIGNATURE = re.compile(r"^(\d+\. )?\w+\(.*\)( -> .*)?$")
        missing, unnamed = [], []
        def check(name, obj):
            doc = obj.__doc__ or ""
            text = [l for l in doc.splitlines() if l.strip() and not SIGNATURE.match(l.strip())
                    and l.strip() != "Overloaded function."]
            if not text:
                missing.append(name)
            if re.search(r"\barg\d+\b", doc):
                unnamed.append(name)
        for name, obj in vars(qel).items():
            if name.startswith("__"):
                continue
            check(name, obj)
            for member, value in vars(obj).items() if isinstance(obj, type) else ():
                if not member.startswith("_") or member in ("__init__", "__repr__"):
                    check(f"{name}.{member}", value)
        print(json.dumps([missing, unnamed, qel.__version__]))
    """)
    assert r.returncode == 0, r.output
    missing, unnamed, version = json.loads(r.stdout.splitlines()[-1])
    assert missing == [] and unnamed == []
    with open(os.path.join(os.path.dirname(__file__), "..", "..", "pyproject.toml"), "rb") as f:
        assert version == tomllib.load(f)["project"]["version"]
