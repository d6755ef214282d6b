"""Runs the demo on a display nobody watches, for a few seconds, and saves a screenshot."""
import subprocess
import sys
import threading
import time

import demo

SHOT = sys.argv[1] if len(sys.argv) > 1 else "demo-screenshot.png"


def take_screenshot():
    time.sleep(2.0)
    wid = subprocess.run(["xdotool", "search", "--name", "^Qel Demo$"], capture_output=True,
                         text=True).stdout.split()
    if wid:
        subprocess.run(["import", "-window", wid[-1], SHOT], check=False)


shooter = threading.Thread(target=take_screenshot)
shooter.start()
demo.main(seconds=3.0)
shooter.join()
print("Screenshot saved to", SHOT)
