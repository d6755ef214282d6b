"""run(): Ctrl-C stops it leaving the engine usable and the device idle, and the keys and buttons
pressed while it loops reach the script."""
import os
import signal
import subprocess
import threading
import time

import pytest

from qel_testing import HERE, PYTHON, VALIDATION_MARKS


SCRIPT = """
import signal, qel
# A suite started in the background by a shell inherits Ctrl-C ignored; this is what a
# terminal's script gets.
signal.signal(signal.SIGINT, signal.default_int_handler)
qel.init([], 320, 240)
qel.createCircle(100, 100, 20, "#ff0000", 0)
print("running", flush=True)
try:
    qel.run()
except KeyboardInterrupt:
    print("interrupted", flush=True)
qel.createCircle(50, 50, 10, "#00ff00", 0)
qel.poll()
qel.closeWindow()
print("done", flush=True)
"""


def test_sigint_leaves_run_with_keyboard_interrupt(build_dir):
    env = dict(os.environ, PYTHONPATH=os.pathsep.join([build_dir, HERE]),
               VK_INSTANCE_LAYERS="VK_LAYER_KHRONOS_validation")
    proc = subprocess.Popen([PYTHON, "-c", SCRIPT], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
    # readline() has no timeout of its own: a script that hangs before printing is killed,
    # which ends the read.
    watchdog = threading.Timer(120, proc.kill)
    watchdog.start()
    try:
        while True:
            line = proc.stdout.readline()
            assert line, "script ended (or hung and was killed) before run(): " + proc.stderr.read()
            if line.strip() == "running":
                break
        time.sleep(1.0)   # well inside the loop
        proc.send_signal(signal.SIGINT)
        out, err = proc.communicate(timeout=60)
    finally:
        watchdog.cancel()
        if proc.poll() is None:
            proc.kill()
    assert proc.returncode == 0, out + err
    assert "interrupted" in out and "done" in out
    assert not [l for l in (out + err).splitlines() if any(m in l for m in VALIDATION_MARKS)]


KEYS_DURING_RUN = """
import os, signal, subprocess, sys, qel, qel_testing
qel.init([], 320, 240)
names = ["up", "W", "mouseLeft", "mouseRight"]
for name in names:
    qel.buttonDown(name)   # tracked from now on
wid = qel_testing.window_id()
# Sent from another process: run() holds the interpreter, so no Python thread of this one runs.
how = "" if sys.argv[1] == "xtest" else f"--window {wid}"
script = f'''sleep 0.3
xdotool keydown {how} Up; sleep 0.05; xdotool keyup {how} Up; sleep 0.05
xdotool keydown {how} w; sleep 0.05; xdotool keyup {how} w; sleep 0.05
xdotool mousemove --window {wid} 50 50 click --window {wid} 1 click --window {wid} 3
sleep 0.3; kill -USR1 {os.getpid()}'''
sender = subprocess.Popen(["sh", "-c", script])
signal.signal(signal.SIGUSR1, lambda *_: qel.closeWindow())
qel.run()
sender.wait(timeout=30)
print("CLICKED", [qel.buttonClicked(name) for name in names])
"""


@pytest.mark.parametrize("how", ["xtest", "sendevent"])
def test_keys_and_buttons_pressed_while_run_loops_are_recorded(run_qel, how):
    r = run_qel(KEYS_DURING_RUN, args=[how], timeout=60)
    assert r.returncode == 0, r.output
    assert "CLICKED [True, True, True, True]" in r.stdout, r.output
