"""What the world outside the script can do to a running engine: another client destroys the
window, the X connection is killed or the server dies, the process forks, no driver is found.
Each is a RuntimeError from the call that meets it, never the end of the process."""
import json
import os
import signal
import subprocess
import time

import pytest

from qel_testing import HERE, PYTHON, VALIDATION_MARKS, start_xvfb

MARK = "\n=== results ===\n"

# Runs the engine, lets `act` break something, then reports what every call does.
SURVIVE = """
import json, os, signal, subprocess, sys, time, qel, qel_testing
qel.init([], 320, 240)
qel.createCircle(100, 100, 20, "#ff0000", 0)
qel_testing.pump(qel, 3)
out = {}
ACT
errors = []
try:
    for _ in range(100):
        time.sleep(0.01)
        qel.poll()
except RuntimeError as e:
    errors.append(str(e))
finally:
    out["finally"] = True
out["shouldClose"] = qel.shouldClose()
try:
    qel.poll()
except RuntimeError as e:
    errors.append(str(e))
cursor = qel.getCursor()
out["cursor"] = [cursor.x, cursor.y]
out["errors"] = errors
CLOSE
print(MARK, end="")
print(json.dumps(out))
"""


def _survive(run_qel, act, close="qel.closeWindow()", env=None):
    code = SURVIVE.replace("ACT", act).replace("CLOSE", close).replace("MARK", repr(MARK))
    r = run_qel(code, validation=True, env=env, timeout=90)
    assert r.returncode == 0, r.output
    return json.loads(r.stdout.partition(MARK)[2])


@pytest.mark.parametrize("close", ["qel.closeWindow()", "pass"], ids=["closeWindow", "exit"])
def test_window_destroyed_by_another_client_reads_as_closed(run_qel, close):
    out = _survive(run_qel, 'subprocess.run(["xdotool", "windowclose", qel_testing.window_id()], timeout=10)',
                   close)
    assert out["finally"] and out["shouldClose"] is True
    assert out["cursor"] == [-1, -1]
    assert len(out["errors"]) == 2 and all("destroyed by another program" in e for e in out["errors"])


def test_killed_connection_raises_naming_the_display(run_qel):
    out = _survive(run_qel, 'subprocess.run(["xkill", "-id", qel_testing.window_id()], timeout=10, '
                            'capture_output=True)')
    display = os.environ["DISPLAY"]
    assert out["finally"] and out["shouldClose"] is True
    assert len(out["errors"]) == 2 and all(f"lost the connection to the X display {display}" in e
                                           for e in out["errors"])


def test_dying_server_raises_and_the_process_exits_cleanly(run_qel, tmp_path):
    server, display = start_xvfb(200, "640x480")
    try:
        # Without closeWindow: the engine goes at interpreter exit, after the server.
        out = _survive(run_qel, f"os.kill({server.pid}, signal.SIGTERM)", close="pass",
                       env={"DISPLAY": display})
    finally:
        server.kill()
        server.wait(timeout=10)
    assert out["finally"] and out["shouldClose"] is True
    assert out["errors"] and f"lost the connection to the X display {display}" in out["errors"][0]


@pytest.mark.skipif(os.environ.get("QEL_SANITIZED") == "1",
                    reason="AddressSanitizer's allocator takes no lock across fork: a child forked while the "
                           "driver's threads allocate can deadlock, and its leak check cannot see those threads")
def test_forked_child_leaves_the_engine_to_its_parent(run_qel, tmp_path):
    child_err = tmp_path / "child-stderr"
    r = run_qel(f"""
        import json, os, qel, qel_testing
        qel.init([], 320, 240)
        qel.createCircle(100, 100, 20, "#ff0000", 0)
        qel_testing.pump(qel, 3)
        read, write = os.pipe()
        pid = os.fork()
        if pid == 0:
            os.close(read)
            os.dup2(os.open({str(child_err)!r}, os.O_WRONLY | os.O_CREAT), 2)
            seen = {{}}
            for call in ("qel.poll()", "qel.createCircle(1, 1, 1, '#ffffff', 0)", "qel.getCursor()",
                         "qel.init([], 100, 100)", "qel.closeWindow()"):
                try:
                    eval(call)
                    seen[call] = None
                except RuntimeError as e:
                    seen[call] = str(e)
            os.write(write, json.dumps(seen).encode())
            raise SystemExit(0)   # the engine's exit-time teardown runs in the child too
        os.close(write)
        child = json.loads(os.read(read, 65536))
        _, status = os.waitpid(pid, 0)
        qel_testing.pump(qel, 3)
        pixel = [int(v) for v in qel_testing.grab()[100, 100]]
        qel.closeWindow()
        print({MARK!r}, end="")
        print(json.dumps({{"child": child, "status": status, "pixel": pixel}}))
    """, validation=True, timeout=90)
    assert r.returncode == 0, r.output
    got = json.loads(r.stdout.partition(MARK)[2])
    err = child_err.read_text()
    assert got["status"] == 0 and not err, err
    assert all(e and "forked" in e for e in got["child"].values()), got["child"]
    assert got["pixel"] == [255, 0, 0]


def test_missing_driver_names_the_result(run_qel):
    r = run_qel("""
        import qel
        try:
            qel.init([], 100, 100)
        except RuntimeError as e:
            print("ERROR", e)
    """, env={"VK_ICD_FILENAMES": "/nonexistent/icd.json"})
    assert r.returncode == 0, r.output
    assert "ERROR failed to create instance! (VK_ERROR_INCOMPATIBLE_DRIVER)" in r.stdout


HANDLER = """
import signal, sys, qel
qel.init([], 320, 240)
qel.createCircle(100, 100, 20, "#ff0000", 0)
mode = sys.argv[1]
def handler(*_):
    signal.setitimer(signal.ITIMER_REAL, 0)
    if mode == "closeWindow":
        qel.closeWindow()
    else:
        qel.init([], 200, 150)
        if mode == "init-and-raise":
            raise KeyboardInterrupt
signal.signal(signal.SIGALRM, handler)
signal.setitimer(signal.ITIMER_REAL, 0.3)
try:
    qel.run()
    print("returned", flush=True)
except KeyboardInterrupt:
    print("interrupted", flush=True)
if mode != "closeWindow":
    qel.poll()
    print("size", qel.getWindowWidth(), qel.getWindowHeight(), flush=True)
qel.closeWindow()
print("done", flush=True)
"""


@pytest.mark.parametrize("mode, ending", [("closeWindow", "returned"), ("init", "returned"),
                                          ("init-and-raise", "interrupted")])
def test_signal_handler_may_close_or_replace_the_engine_inside_run(run_qel, mode, ending):
    r = run_qel(HANDLER, args=[mode], validation=True, timeout=60)
    assert r.returncode == 0, r.output
    lines = [line for line in r.stdout.splitlines() if line in (ending, "done") or line.startswith("size")]
    assert lines[0] == ending and lines[-1] == "done", r.stdout
    if mode != "closeWindow":
        assert "size 200 150" in lines


# Python code run while a call converts its arguments replaces the engine: the call then
# works on the new engine (what it made or moved is there) or raises RuntimeError.
REPLACED = """
import os, sys, qel
from PIL import Image
pic = os.path.join(sys.argv[1], "pic.png")
Image.new("RGB", (4, 4), "red").save(pic)
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
fresh = lambda: qel.init([], 64, 48, offscreen=True, quiet=True)
class Hostile:
    def __init__(self, value, then=None): self.value, self.then = value, then
    def __fspath__(self): fresh(); return self.value
    def __float__(self): fresh(); self.then(); return float(self.value)
    def __index__(self): fresh(); self.then(); return self.value
def made(handle):
    return qel.removeObject(handle.id)
def placed():
    ident = qel.createTri() + 1  # the identifier the object made in Hostile takes
    box = lambda: qel.createRectangle(0, 0, 4, 4, "#000000", 0)
    return ident, box
def moved(column):
    ident, box = placed()
    args = [[ident], [30], [20]]
    args[column] = [Hostile(args[column][0], box)]
    qel.moveMany(*args)
    return qel.objectAt(31, 21) == ident
def coloured(tuple_item):
    ident, box = placed()
    qel.updateColors([ident], [(Hostile(255, box), 0, 0)] if tuple_item else [Hostile(0xFF0000, box)])
    qel.poll()
    return bytes(qel.readPixels()[:3]) == b"\\xff\\0\\0"
class Clearing:
    def __init__(self, items): self.items = items
    def __index__(self): self.items.clear(); return 0
cleared = []
cleared.extend([Clearing(cleared)] + [object() for _ in range(1000)])
components = []
components.extend([Clearing(components), 0, 0])
calls = {
    "createSprite": lambda: made(qel.createSprite(0, 0, Hostile(pic))),
    "createText": lambda: made(qel.createText(0, 0, "a", 12, "red", font=Hostile(FONT))),
    "moveMany ids": lambda: moved(0), "moveMany xs": lambda: moved(1), "moveMany ys": lambda: moved(2),
    "updateColors int": lambda: coloured(False), "updateColors tuple": lambda: coloured(True),
    "list cleared": lambda: qel.moveMany(cleared, [0], [0]),
    "colour cleared": lambda: qel.updateColor(qel.createTri(), components) is None,
}
for name, call in calls.items():
    fresh()
    try:
        print(name, "|", call())
    except RuntimeError as e:
        print(name, "| RuntimeError", e)
    qel.poll()
"""


def test_python_code_that_replaces_the_engine_during_a_call(run_qel, tmp_path):
    r = run_qel(REPLACED, args=[str(tmp_path)], timeout=90)
    assert r.returncode == 0, r.output
    outcomes = dict(line.split(" | ", 1) for line in r.stdout.splitlines() if " | " in line)
    assert len(outcomes) == 9, r.stdout
    for name, outcome in outcomes.items():
        assert outcome == "True" or outcome.startswith("RuntimeError"), (name, outcome)
    assert outcomes["list cleared"].startswith("RuntimeError"), outcomes
