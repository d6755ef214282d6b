"""The module's surface and what init() does with its arguments and the real window."""
import ast
import json
import os
import re
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
        "createEllipse", "createLine", "createPolygon", "createTriangle", "createRect", "createDisc",
        "setCamera", "getCamera", "setLayerFixed", "screenToWorld", "worldToScreen", "loadSheet",
        "loadSound", "playMusic", "stopMusic", "pauseMusic", "resumeMusic", "musicPlaying", "setMasterVolume",
        "audioDevice", "collides", "overlapping", "objectsIn",
        "Sprite", "Text", "Line", "Polygon", "Disc", "Rect", "Ellipse", "Sheet", "Voice", "Sound"]
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


def _signatures(doc):
    """The parameters of each signature line pybind11 put in a docstring, as (name, kind) lists."""
    lines = doc.splitlines()
    if len(lines) > 1 and lines[1] == "Overloaded function.":
        lines = [re.sub(r"^\d+\. ", "", l) for l in lines if re.match(r"^\d+\. \w+\(", l)]
    else:
        lines = lines[:1]
    # Defaults shown as <object at 0x...> are no Python.
    return [_parameters(ast.parse("def " + re.sub(r"<[^<>]*>", "None", l) + ": ...").body[0]) for l in lines]


def _parameters(func):
    a = func.args
    return ([(x.arg, "positional-only") for x in a.posonlyargs] + [(x.arg, "positional") for x in a.args]
            + [(x.arg, "*") for x in [a.vararg] if x] + [(x.arg, "keyword-only") for x in a.kwonlyargs]
            + [(x.arg, "**") for x in [a.kwarg] if x])


def _stub_signatures():
    with open(os.path.join(os.path.dirname(__file__), "..", "..", "python", "qel.pyi")) as f:
        tree = ast.parse(f.read())
    stub = {}
    for node in tree.body:
        members = [(f"{node.name}.{n.name}", n) for n in node.body
                   if isinstance(n, ast.FunctionDef)] if isinstance(node, ast.ClassDef) else []
        for qual, item in [(getattr(node, "name", None), node)] + members:
            decorators = [ast.unparse(d) for d in getattr(item, "decorator_list", [])]
            if isinstance(item, ast.FunctionDef) and not any(d.endswith((".setter", "property")) for d in decorators):
                stub.setdefault(qual, []).append(_parameters(item))
    return stub


def test_docstrings_stubs_and_help_agree(run_qel):
    # Every public function, class, method and property: documented, every parameter named as the stub
    # names it (and of the same kind), described under Args:, and shown working under Example:.
    import tomllib
    r = run_qel("""
        import json, qel
        out = {}
        for name, obj in vars(qel).items():
            if name.startswith("__"):
                continue
            out[name] = ["class" if isinstance(obj, type) else "function", obj.__doc__ or ""]
            for member, value in vars(obj).items() if isinstance(obj, type) else ():
                if not member.startswith("_") or member == "__init__":
                    kind = "property" if isinstance(value, property) else "method"
                    out[f"{name}.{member}"] = [kind, value.__doc__ or ""]
                elif callable(value):
                    out[f"{name}.{member}"] = ["special", getattr(value, "__doc__", "") or ""]
        print(json.dumps([out, qel.__version__]))
    """)
    assert r.returncode == 0, r.output
    names, version = json.loads(r.stdout.splitlines()[-1])
    stub = _stub_signatures()
    problems = {}
    for name, (kind, doc) in names.items():
        if name.endswith(".__init__") and name not in stub:
            continue  # no constructor: the handles come from functions
        found = ["unnamed parameters"] if re.search(r"\barg\d+\b", doc) else []
        if kind == "special":  # __eq__ and the like: help() shows their signatures, nothing more is asked
            problems.update({name: found} if found else {})
            continue
        if not (doc.partition("\n")[2] if kind in ("function", "method") else doc).strip():
            found.append("no docstring")
        if kind in ("function", "method"):
            signatures, stubbed = _signatures(doc), stub.get(name, [])
            # The stub may split one signature into overloads, each a part of it (createText's colour spellings).
            split = len(signatures) == 1 < len(stubbed) and {p for s in stubbed for p in s} == set(signatures[0]) \
                and all(s == [p for p in signatures[0] if p in s] for s in stubbed)
            if signatures != stubbed and not split:
                found.append(f"signature {signatures} but the stub has {stubbed}")
            for param in {p for s in signatures for p, _ in s} - {"self"}:
                if not re.search(rf"^\s*Args:\s*$.*?^\s+\**{param} ?(\([^)]*\))?:", doc, re.S | re.M):
                    found.append(f"{param} not under Args:")
        if kind != "property" and not name.endswith(".__init__") \
                and not re.search(r"^\s*Examples?:\s*\n\s+>>> ", doc, re.M):
            found.append("no Example:")
        if found:
            problems[name] = found
    assert problems == {}
    with open(os.path.join(os.path.dirname(__file__), "..", "..", "pyproject.toml"), "rb") as f:
        assert version == tomllib.load(f)["project"]["version"]
