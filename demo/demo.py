"""qel demo: opens the window and draws until it is closed."""
import json
import sys

import qel


def main(seconds=None):
    qel.init([], 800, 600)
    report = json.loads(qel.getData())
    print("Drawing on:", report["selectedDevice"]["name"], flush=True)
    qel.loadGameObjects()
    frames = 0
    elapsed = 0.0
    while not qel.shouldClose():
        qel.poll()
        frames += 1
        elapsed += qel.deltaTime() if frames > 1 else 0.0
        if seconds is not None and elapsed >= seconds:
            break
    qel.closeWindow()


if __name__ == "__main__":
    main(float(sys.argv[1]) if len(sys.argv) > 1 else None)
