"""Engine lifetime: calls before init, after closeWindow, repeated init, interpreter exit and
init failures the script can recover from."""
import json
import os
import shutil

import pytest

MARK = "\n=== results ===\n"

# The full-size triangle as it shows at its always-covered pixel.
TRI_COLOUR = (230, 204, 26)

NEEDS_ENGINE = [
    "qel.run()", "qel.poll()", "qel.shouldClose()", "qel.loadGameObjects()", "qel.createTri()",
    "qel.createRectangle(0, 0, 1, 1, '#fff', 0)", "qel.moveTo(0, 0, 0)", "qel.createCircle(0, 0, 1, '#fff', 0)",
    "qel.deltaTime()", "qel.updateColor(0, 0)", "qel.isInside(0, 0, 0)", "qel.closeWindow()", "qel.getCursor()",
    "circle.setColor('#fff')", "circle.move()", "circle.moveUp()", "circle.moveDown()", "circle.moveLeft()",
    "circle.moveRight()",
    "rect.setColor('#fff')", "rect.move()", "rect.moveUp()", "rect.moveDown()", "rect.moveLeft()",
    "rect.moveRight()", "rect.moveTo(1, 2)",
    "qel.nextFrame()", "qel.run(print)", "qel.injectKey('a', True)", "qel.injectMouse(1, 2)", "qel.injectText('a')",
]

# Checks a snippet can run on its window: the demo pixel shows the triangle.
DRAWS = """
def draws(qel, qel_testing):
    qel_testing.pump(qel, frames=4)
    img = qel_testing.grab()
    h, w, _ = img.shape
    return [int(v) for v in img[h // 2, int(0.6 * w)]]
"""


def results(stdout):
    head, _, tail = stdout.partition(MARK)
    return head, json.loads(tail)


def close_to(pixel, colour, tolerance=3):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def test_calls_before_init_raise(run_qel):
    r = run_qel(f"""
        import json, qel
        circle = qel.Circle(0, qel.Point2D(5, 5), 2, 1)
        rect = qel.Rectangle(1, qel.Point2D(0, 0), 1, 1)
        out = {{}}
        for call in {NEEDS_ENGINE!r}:
            try:
                eval(call)
                out[call] = None
            except Exception as e:
                out[call] = [type(e).__name__, str(e)]
        out["buttons"] = [qel.buttonDown("up"), qel.buttonClicked("up"), qel.buttonComboDown([])]
        print({MARK!r}, end="")
        print(json.dumps(out))
    """)
    assert r.returncode == 0, r.output
    head, got = results(r.stdout)
    assert head == ""
    assert got.pop("buttons") == [False, False, True]
    wrong = {call: outcome for call, outcome in got.items()
             if outcome is None or outcome[0] != "RuntimeError" or "init" not in outcome[1]}
    assert not wrong


def test_after_close_window(run_qel):
    r = run_qel(f"""
        import json, qel, qel_testing
        qel.init([], 320, 240)
        qel_testing.pump(qel, frames=2)
        qel.closeWindow()
        out = {{}}
        for name in ("poll", "run", "nextFrame"):
            try:
                getattr(qel, name)()
                out[name] = None
            except RuntimeError as e:
                out[name] = str(e)
        out["shouldClose"] = qel.shouldClose()
        cursor = qel.getCursor()
        out["cursor"] = [cursor.x, cursor.y, repr(cursor)]
        qel.closeWindow()
        circle = qel.createCircle(50, 50, 10, "#ff0000", 1)
        qel.moveTo(circle.id, 100, 100)
        qel.updateColor(circle.id, 0x00ff00)
        out["inside"] = [qel.isInside(circle.id, 100, 100), qel.isInside(circle.id, 50, 50)]
        print({MARK!r}, end="")
        print(json.dumps(out))
    """)
    assert r.returncode == 0, r.output
    _, got = results(r.stdout)
    for name in ("poll", "run", "nextFrame"):
        assert got[name] is not None and "closed" in got[name], got
    assert got["shouldClose"] is False
    assert got["cursor"] == [-1, -1, "(-1, -1)"]
    assert got["inside"] == [True, False]


def test_repeated_init_keeps_counting_and_draws(run_qel):
    r = run_qel(DRAWS + f"""
import json, subprocess, qel, qel_testing
rounds = []
for n in range(3):
    qel.init([], 320, 240)
    ids = [qel.createTri()]
    ids.append(qel.createCircle(10, 10, 5, "#123456", 0).id)
    windows = subprocess.run(["xdotool", "search", "--name", "^Qel Demo$"], capture_output=True,
                             text=True, timeout=30).stdout.split()
    report = json.loads(qel.getData())
    rounds.append({{"ids": ids, "windows": len(windows), "pixel": draws(qel, qel_testing),
                    "device": sorted(report["selectedDevice"])}})
    if n == 0:
        qel.closeWindow()  # the second init follows a closed window, the third an open one
print({MARK!r}, end="")
print(json.dumps(rounds))
""")
    assert r.returncode == 0, r.output
    head, rounds = results(r.stdout)
    assert head.count("Present mode: V-Sync") == 3
    assert [rnd["ids"] for rnd in rounds] == [[0, 1], [2, 3], [4, 5]]
    for rnd in rounds:
        assert rnd["windows"] == 1
        assert close_to(rnd["pixel"], TRI_COLOUR), rnd["pixel"]
        assert rnd["device"] == ["apiVersion", "driverVersion", "limits", "name", "type"]


@pytest.mark.parametrize("body, status", [
    ("qel.createTri()\nqel_testing.pump(qel, frames=3)\n", 0),
    ("", 0),
    ("while True:\n    qel.poll()\n    raise ValueError('stop in the loop')\n", 1),
], ids=["no-closeWindow", "right-after-init", "raise-in-loop"])
def test_script_endings_exit_cleanly(run_qel, body, status):
    r = run_qel("import qel, qel_testing\nqel.init([], 320, 240)\n" + body, validation=True)
    assert r.returncode == status, r.output
    assert "Present mode: V-Sync" in r.stdout
    if status:
        assert "Traceback (most recent call last)" in r.stderr
        assert r.stderr.rstrip().endswith("ValueError: stop in the loop")
    else:
        assert r.stderr == ""


def test_init_with_refused_size_leaves_the_running_engine(run_qel):
    r = run_qel(DRAWS + f"""
import json, subprocess, qel, qel_testing
qel.init([], 320, 240)
qel.createTri()
before = draws(qel, qel_testing)
try:
    qel.init([], -5, 600)
    failure = None
except RuntimeError as e:
    failure = str(e)
windows = subprocess.run(["xdotool", "search", "--name", "^Qel Demo$"], capture_output=True,
                         text=True).stdout.split()
c = qel.createCircle(300, 100, 10, "#ff0000", 0)
c.moveRight()
print({MARK!r}, end="")
print(json.dumps({{"failure": failure, "windows": len(windows), "size": [qel.getWindowWidth(),
                  qel.getWindowHeight()], "x": c.center.x, "pixels": [before, draws(qel, qel_testing)]}}))
""")
    assert r.returncode == 0, r.output
    _, got = results(r.stdout)
    assert got["failure"] == "failed to create window: the size -5 by 600 is not between 1 and 32767 pixels"
    assert got["windows"] == 1
    assert got["size"] == [320, 240] and got["x"] == 300
    for pixel in got["pixels"]:
        assert close_to(pixel, TRI_COLOUR), got["pixels"]


def test_init_without_display_then_recovers(run_qel):
    r = run_qel(DRAWS + f"""
import json, os, qel, qel_testing
display = os.environ.pop("DISPLAY")
try:
    qel.init([], 320, 240)
    failure = None
except RuntimeError as e:
    failure = str(e)
os.environ["DISPLAY"] = display
try:
    qel.poll()
    poll = None
except RuntimeError as e:
    poll = str(e)
qel.init([], 320, 240)
qel.createTri()
print({MARK!r}, end="")
print(json.dumps({{"failure": failure, "poll": poll, "pixel": draws(qel, qel_testing)}}))
""")
    assert r.returncode == 0, r.output
    _, got = results(r.stdout)
    assert got["failure"] is not None
    assert "window system" in got["failure"] and "display" in got["failure"], got["failure"]
    assert "init" in got["poll"]
    assert close_to(got["pixel"], TRI_COLOUR), got["pixel"]


def test_init_with_missing_shaders_then_recovers(run_qel, build_dir, tmp_path):
    module = [name for name in os.listdir(build_dir) if name.startswith("qel.") and name.endswith(".so")]
    shutil.copy(os.path.join(build_dir, module[0]), tmp_path)
    shaders = os.path.join(build_dir, "qelDataFiles", "shaders")
    tests_dir = os.path.dirname(os.path.abspath(__file__))
    r = run_qel(DRAWS + f"""
import json, os, shutil, subprocess, qel, qel_testing
target = os.path.join({str(tmp_path)!r}, "qelDataFiles", "shaders")
failures = []
for add in (None, "tri-vert.spv"):
    if add:
        os.makedirs(target, exist_ok=True)
        shutil.copy(os.path.join({shaders!r}, add), target)
    try:
        qel.init([], 320, 240)
        failures.append(None)
    except RuntimeError as e:
        failures.append(str(e))
    windows = subprocess.run(["xdotool", "search", "--name", "^Qel Demo$"], capture_output=True,
                             text=True, timeout=30).stdout.split()
    failures.append(len(windows))
for name in ("tri-frag.spv", "tiles-comp.spv"):
    shutil.copy(os.path.join({shaders!r}, name), target)
qel.init([], 320, 240)
qel.createTri()
print({MARK!r}, end="")
print(json.dumps({{"module": qel.__file__, "failures": failures, "pixel": draws(qel, qel_testing)}}))
""", env={"PYTHONPATH": os.pathsep.join([str(tmp_path), tests_dir])}, cwd=str(tmp_path))
    assert r.returncode == 0, r.output
    _, got = results(r.stdout)
    assert os.path.dirname(got["module"]) == str(tmp_path)
    # Each failed init leaves no window behind.
    assert got["failures"] == [f"failed to open file: {tmp_path}/qelDataFiles/shaders/tri-vert.spv", 0,
                               f"failed to open file: {tmp_path}/qelDataFiles/shaders/tri-frag.spv", 0]
    assert close_to(got["pixel"], TRI_COLOUR), got["pixel"]


def test_init_with_bad_shader_files_then_recovers(run_qel, build_dir, tmp_path):
    # Validation on: the layer once spun on such files or kept a shader module past the failure.
    for name in os.listdir(build_dir):
        if name.startswith("qel.") and name.endswith(".so"):
            shutil.copy(os.path.join(build_dir, name), tmp_path)
    shutil.copytree(os.path.join(build_dir, "qelDataFiles"), tmp_path / "qelDataFiles")
    shaders = tmp_path / "qelDataFiles" / "shaders"
    tests_dir = os.path.dirname(os.path.abspath(__file__))
    r = run_qel(DRAWS + f"""
import json, os, random, shutil, qel, qel_testing
shaders = {str(shaders)!r}
frag = os.path.join(shaders, "tri-frag.spv")
good = open(frag, "rb").read()

def write(data):
    with open(frag, "wb") as f:
        f.write(data)

def oversized():
    write(b"")
    os.truncate(frag, 3 << 30)

random.seed(7)
cases = {{
    "truncated": lambda: write(good[:len(good) // 8 * 4]),
    "garbage": lambda: write(good[:20] + random.randbytes(len(good) - 20)),
    "vertex": lambda: shutil.copy(os.path.join(shaders, "tri-vert.spv"), frag),
    "directory": lambda: os.mkdir(frag),
    "fifo": lambda: os.mkfifo(frag),
    "oversized": oversized,
}}
failures = {{}}
for name, make in cases.items():
    if os.path.isdir(frag):
        os.rmdir(frag)
    else:
        os.remove(frag)
    make()
    try:
        qel.init([], 320, 240)
        failures[name] = None
    except RuntimeError as e:
        failures[name] = str(e)
os.remove(frag)
write(good)
qel.init([], 320, 240)
qel.createTri()
print({MARK!r}, end="")
print(json.dumps({{"failures": failures, "pixel": draws(qel, qel_testing)}}))
""", env={"PYTHONPATH": os.pathsep.join([str(tmp_path), tests_dir])}, cwd=str(tmp_path), validation=True)
    assert r.returncode == 0, r.output
    _, got = results(r.stdout)
    frag = f"{tmp_path}/qelDataFiles/shaders/tri-frag.spv"
    failures = got["failures"]
    for name in ("truncated", "garbage"):
        assert failures[name].startswith(f"failed to create shader module: {frag} is not valid SPIR-V ("), failures
    assert failures["vertex"] == f"failed to create shader module: {frag} has no fragment entry point named main"
    assert failures["directory"] == failures["fifo"] == f"failed to open file: {frag} is not a regular file"
    assert failures["oversized"].startswith(f"failed to open file: {frag} is too large"), failures
    assert close_to(got["pixel"], TRI_COLOUR), got["pixel"]


def test_run_with_update_ends_on_false_on_close_and_on_an_exception(run_qel):
    r = run_qel(f"""
        import json, qel
        qel.init([], 64, 48, offscreen=True)
        qel.setFrameRate(1000)
        out, seen = {{}}, []
        def until(n, end):
            def update(dt):
                seen.append(dt)
                if len(seen) == n:
                    return end()
            return update
        qel.run(until(3, lambda: False))
        out["false"] = len(seen)
        qel.run(until(6, lambda: None if qel.closeWindow() else None))
        out["closed"] = [len(seen), qel.shouldClose()]
        qel.init([], 64, 48, offscreen=True)
        try:
            qel.run(until(8, lambda: 1 / 0))
        except ZeroDivisionError:
            out["raised"] = len(seen)
        out["positive"] = all(dt > 0 for dt in seen)
        bad = []
        for call in (lambda: qel.setFrameRate(-1), lambda: qel.setFrameRate(float("nan")),
                     lambda: qel.setFixedStep(-0.5), lambda: qel.run(5)):
            try:
                call()
            except (ValueError, TypeError) as e:
                bad.append(type(e).__name__)
        out["bad"] = bad
        # NumPy's False ends the game too; a handler that closes the window ends it normally.
        import numpy, signal, time
        seen.clear()
        qel.run(until(2, lambda: numpy.False_))
        out["numpy_false"] = len(seen)
        signal.signal(signal.SIGALRM, lambda *_: qel.closeWindow())
        signal.setitimer(signal.ITIMER_REAL, 0.1)
        qel.run(lambda dt: None)
        out["closed_by_signal"] = qel.shouldClose()
        # A new rate counts from the last frame, and one set while nextFrame sleeps holds at once.
        qel.init([], 64, 48, offscreen=True)
        qel.nextFrame()
        qel.setFrameRate(4)
        start = time.monotonic()
        dt = qel.nextFrame()
        out["new_rate"] = [dt >= 0.2, abs(dt - (time.monotonic() - start)) < 0.05]
        qel.setFrameRate(0.5)
        qel.nextFrame()
        signal.signal(signal.SIGALRM, lambda *_: qel.setFrameRate(60))
        signal.setitimer(signal.ITIMER_REAL, 0.1)
        start = time.monotonic()
        qel.nextFrame()
        out["changed_while_asleep"] = time.monotonic() - start < 1.0
        # So does one set by another thread, and closeWindow from another thread ends the wait.
        import threading
        for name, act in (("rate_from_thread", lambda: qel.setFrameRate(60)), ("closed_from_thread", qel.closeWindow)):
            qel.setFrameRate(0)
            qel.nextFrame()
            qel.setFrameRate(0.2)
            threading.Timer(0.1, act).start()
            start = time.monotonic()
            qel.nextFrame()
            out[name] = time.monotonic() - start < 2.0
        print({MARK!r}, end="")
        print(json.dumps(out))
    """, env={"DISPLAY": None})
    assert r.returncode == 0, r.output
    _, got = results(r.stdout)
    assert got == {"false": 3, "closed": [6, True], "raised": 8, "positive": True,
                   "bad": ["ValueError", "ValueError", "ValueError", "TypeError"], "numpy_false": 2,
                   "closed_by_signal": True, "new_rate": [True, True], "changed_while_asleep": True,
                   "rate_from_thread": True, "closed_from_thread": True}
