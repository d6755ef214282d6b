"""A tiny qel game: steer the ball, click the boxes.

    arrow keys or W/A/S/D   move the ball
    hold W+D (or up+right)  the ball turns gold while you dash up and right
    left click on a box     the box changes colour
    close the window        quit

Run it with `python3 demo/demo.py [seconds]` once the module is built.
"""
import json
import sys
import time

import qel

WIDTH, HEIGHT = 800, 600
BOX_COLOURS = ["#e74c3c", "#3498db", "#2ecc71", "#9b59b6", "#f39c12", "#1abc9c"]
BALL_COLOUR, DASH_COLOUR = "#f5f5f5", "#ffd700"


def steer(ball):
    """Step moves use deltaTime() and the ball's speed, so it moves at the same pace
    however fast the loop runs, and they stop at the window's edges."""
    if qel.buttonDown("up") or qel.buttonDown("W"):
        ball.moveUp()
    if qel.buttonDown("down") or qel.buttonDown("S"):
        ball.moveDown()
    if qel.buttonDown("left") or qel.buttonDown("A"):
        ball.moveLeft()
    if qel.buttonDown("right") or qel.buttonDown("D"):
        ball.moveRight()


def main(seconds=None):
    qel.init([], WIDTH, HEIGHT)
    device = json.loads(qel.getData())["selectedDevice"]["name"]
    print("Drawing on:", device, flush=True)

    # Where shapes overlap, the one created first is drawn on top: the ball comes first
    # so it is never hidden, the spinning triangle last as a backdrop.
    ball = qel.createCircle(WIDTH / 2, HEIGHT - 120, 28, BALL_COLOUR, 260)  # 260 px/s
    boxes = [qel.createRectangle(70 + i * 180, 60, 90, 120, BOX_COLOURS[i], 0) for i in range(4)]
    box_colour = list(range(len(boxes)))  # index into BOX_COLOURS per box
    drifter = qel.createRectangle(0, 250, 50, 50, "#bdc3c7", 0)
    drift_x, drift_speed = 0.0, 150.0  # px/s, flips sign at each wall
    qel.loadGameObjects()

    # The first frame's deltaTime counts from start-up, so draw it before moving anything.
    qel.poll()
    dashing = False
    started = time.monotonic()
    while not qel.shouldClose():
        if seconds is not None and time.monotonic() - started >= seconds:
            break
        # One poll per frame: it handles input, sets deltaTime and draws.
        time.sleep(1 / 60)
        qel.poll()
        dt = qel.deltaTime()

        steer(ball)

        # Recolour only when the combination starts or ends, not every frame.
        combo = qel.buttonComboDown(["W", "D"]) or qel.buttonComboDown(["up", "right"])
        if combo != dashing:
            dashing = combo
            ball.setColor(DASH_COLOUR if dashing else BALL_COLOUR)

        # buttonClicked is true once per click, after the button is let go.
        if qel.buttonClicked("mouseLeft"):
            cursor = qel.getCursor()
            for i, box in enumerate(boxes):
                if qel.isInside(box.id, cursor.x, cursor.y):
                    box_colour[i] = (box_colour[i] + 1) % len(BOX_COLOURS)
                    box.setColor(BOX_COLOURS[box_colour[i]])

        # The grey square drifts by itself and bounces off the side walls.
        drift_x += drift_speed * dt
        if drift_x < 0 or drift_x > WIDTH - drifter.width:
            drift_speed = -drift_speed
            drift_x = min(max(drift_x, 0), WIDTH - drifter.width)
        drifter.moveTo(drift_x, drifter.top_left.y)

    qel.closeWindow()


if __name__ == "__main__":
    main(float(sys.argv[1]) if len(sys.argv) > 1 else None)
