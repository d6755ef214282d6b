"""Helpers for the Python tests: run a snippet in a fresh interpreter, and read the
real window's pixels from inside one."""
import os
import re
import subprocess
import textwrap
import time
from dataclasses import dataclass

PYTHON = "/usr/bin/python3"
HERE = os.path.dirname(os.path.abspath(__file__))

# Marks that the Khronos validation layer writes when it reports anything.
VALIDATION_MARKS = ("VUID-", "Validation Error", "Validation Warning", "validation layer",
                    "UNASSIGNED-", "Validation Performance Warning")
# Lines that AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer start a report with.
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                   "SUMMARY: UndefinedBehaviorSanitizer")


def tool_env():
    """The environment for the X tools a test runs (Xvfb, xprop, xdotool): without the
    sanitizer runtimes a test run may preload, as the tools are not ours to instrument (under
    them a tool may stall at exit)."""
    return {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}


def start_xvfb(first, geometry):
    """Starts a private Xvfb on the first free display from `first`; returns (process, ":N")
    once it accepts clients. -noreset: a server that resets when its last client leaves
    refuses connections meanwhile, which breaks a second init at random."""
    num = first
    while os.path.exists(f"/tmp/.X11-unix/X{num}") or os.path.exists(f"/tmp/.X{num}-lock"):
        num += 1
    env = tool_env()
    server = subprocess.Popen(["Xvfb", f":{num}", "-screen", "0", f"{geometry}x24", "-noreset", "-nolisten", "tcp"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    for _ in range(200):
        if os.path.exists(f"/tmp/.X11-unix/X{num}") and subprocess.run(
                ["xdpyinfo", "-display", f":{num}"], capture_output=True, env=env).returncode == 0:
            break
        time.sleep(0.05)
    return server, f":{num}"


@dataclass
class Result:
    stdout: str
    stderr: str
    returncode: int

    @property
    def output(self):
        return self.stdout + self.stderr

    def validation_messages(self):
        return [line for line in self.output.splitlines() if any(m in line for m in VALIDATION_MARKS)]


def validation_requested():
    """The whole suite can run with the validation layer on (QEL_VALIDATION=1)."""
    return os.environ.get("QEL_VALIDATION") == "1"


def run_snippet(code, build_dir, timeout=120, env=None, validation=None, cwd=None, args=()):
    """Runs `code` in a new /usr/bin/python3 with the built module importable.

    With validation on (argument, or QEL_VALIDATION=1 for the whole suite) the Khronos
    layer is enabled and any message it prints fails the run."""
    full_env = dict(os.environ)
    full_env["PYTHONPATH"] = os.pathsep.join([build_dir, HERE])
    full_env["PYTHONUNBUFFERED"] = "1"
    if validation is None:
        validation = validation_requested()
    if validation:
        full_env["VK_INSTANCE_LAYERS"] = "VK_LAYER_KHRONOS_validation"
    if env:
        for key, value in env.items():
            if value is None:
                full_env.pop(key, None)
            else:
                full_env[key] = value
    try:
        proc = subprocess.run([PYTHON, "-c", textwrap.dedent(code), *args], capture_output=True, text=True,
                              timeout=timeout, env=full_env, cwd=cwd)
    except subprocess.TimeoutExpired as e:
        # The command line repeats the whole snippet; what it printed says where it hung.
        printed = "".join(p.decode(errors="replace") if isinstance(p, bytes) else p
                          for p in (e.stdout, e.stderr) if p)
        raise AssertionError(f"snippet still running after {timeout} s; its last output:\n{printed[-3000:]}") from None
    result = Result(proc.stdout, proc.stderr, proc.returncode)
    if validation:
        messages = result.validation_messages()
        assert not messages, "validation layer reported:\n" + "\n".join(messages[:20])
    if os.environ.get("QEL_SANITIZED") == "1":
        # scripts/sanitize.sh: a report fails the case even when the snippet was expected to fail.
        starts = [result.stderr.find(m) for m in SANITIZER_MARKS if m in result.stderr]
        assert not starts, "sanitizer reported:\n" + result.stderr[min(starts):min(starts) + 6000]
    return result


def fault_env(build_dir, faults):
    """The `env` for run_snippet that makes Vulkan calls fail as `faults` says
    ("vkQueueSubmit:3", "vkAllocateMemory:2+:VK_ERROR_OUT_OF_DEVICE_MEMORY", comma-separated;
    see tests/support/vk_fault.cpp). Whatever is preloaded already (the sanitizer runtimes in
    a sanitized run) stays first."""
    library = os.path.join(build_dir, "libvk_fault.so")
    return {"LD_PRELOAD": " ".join(filter(None, [os.environ.get("LD_PRELOAD"), library])),
            "QEL_VK_FAULT": faults}


def injected_faults(stderr):
    """The faults the preloaded library reports having injected, as (function, call) pairs."""
    return [(name, int(call)) for name, call in re.findall(r"^vk-fault: (\w+) call (\d+) -> ", stderr, re.M)]


# ---- used inside snippets ------------------------------------------------------------

def arm_fault(entry):
    """Under fault_env: makes the Nth call of a Vulkan function from now on fail, as
    "vkDeviceWaitIdle:1" or "vkAllocateMemory:2:VK_ERROR_OUT_OF_DEVICE_MEMORY" says."""
    import ctypes
    if ctypes.CDLL(None).qel_vk_fault_arm(entry.encode()) != 0:
        raise RuntimeError("cannot arm " + entry)

def window_id(title="Qel Demo"):
    out = subprocess.run(["xdotool", "search", "--name", f"^{title}$"], capture_output=True,
                         text=True, timeout=30, env=tool_env()).stdout.split()
    if not out:
        raise RuntimeError("no window titled " + title)
    return out[-1]


def grab(title="Qel Demo"):
    """The window's content as an H x W x 3 uint8 numpy array."""
    import io

    import numpy as np
    from PIL import Image

    png = subprocess.run(["import", "-window", window_id(title), "png:-"], capture_output=True,
                         check=True, timeout=60).stdout
    return np.array(Image.open(io.BytesIO(png)).convert("RGB"))


def pump(qel, frames=6, pause=0.02):
    """Polls long enough for `frames` frames to be drawn and presented."""
    for _ in range(frames):
        time.sleep(pause)
        qel.poll()
