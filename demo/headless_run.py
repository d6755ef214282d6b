"""Plays the demo for a few seconds on a display nobody watches, and saves a screenshot.

    python3 demo/headless_run.py <screenshot.png>

A helper thread acts as the player through xdotool (real X input events): it steers the
ball, clicks a box twice, holds W+D so the ball turns gold, and grabs the window meanwhile.
"""
import os
import subprocess
import sys
import threading
import time

import demo

SHOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "demo-screenshot.png")
PLAY_SECONDS = 5.0
saved = threading.Event()


def xdo(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, check=True).stdout


def find_window():
    for _ in range(200):
        found = subprocess.run(["xdotool", "search", "--name", "^Qel Demo$"], capture_output=True,
                               text=True).stdout.split()
        if found:
            return found[-1]
        time.sleep(0.05)
    raise RuntimeError("the demo window never appeared")


def hold(keys, seconds):
    xdo("keydown", *keys)
    time.sleep(seconds)
    xdo("keyup", *keys)


def play():
    try:
        wid = find_window()
        time.sleep(0.5)
        # No window manager here: give the window the keyboard and put the pointer on it.
        xdo("windowfocus", "--sync", wid)
        xdo("mousemove", "--window", wid, 400, 300)
        hold(["Left"], 0.6)
        hold(["Up"], 0.4)
        for x, y in [(670, 100), (670, 100)]:  # the last box, twice: purple, orange, teal
            xdo("mousemove", "--window", wid, x, y, "click", "1")
            time.sleep(0.15)
        xdo("keydown", "w", "d")
        try:
            time.sleep(0.3)
            subprocess.run(["import", "-window", wid, SHOT], check=True)
            saved.set()
        finally:
            xdo("keyup", "w", "d")
    except Exception as error:  # reported by the main thread's exit status
        print("scripted input failed:", error, file=sys.stderr, flush=True)


player = threading.Thread(target=play, daemon=True)
player.start()
demo.main(seconds=PLAY_SECONDS)
player.join(timeout=5)
if not saved.is_set():
    sys.exit("no screenshot was taken")
print("Screenshot saved to", SHOT, flush=True)
