"""Ctrl-C in the terminal stops run(), leaving the engine usable and the device idle."""
import os
import signal
import subprocess
import time

from qel_testing import HERE, PYTHON, VALIDATION_MARKS


SCRIPT = """
import qel
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
    try:
        while True:
            line = proc.stdout.readline()
            assert line, "script ended before run(): " + proc.stderr.read()
            if line.strip() == "running":
                break
        time.sleep(1.0)   # well inside the loop
        proc.send_signal(signal.SIGINT)
        out, err = proc.communicate(timeout=60)
    finally:
        if proc.poll() is None:
            proc.kill()
    assert proc.returncode == 0, out + err
    assert "interrupted" in out and "done" in out
    assert not [l for l in (out + err).splitlines() if any(m in l for m in VALIDATION_MARKS)]
