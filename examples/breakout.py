"""Breakout

Bounce a ball off a paddle to knock out a wall of coloured bricks: shapes moved every frame,
`collides` and `overlapping` to find what the ball hits, a score in text, and a sound on
every hit. Move the paddle with the arrow keys or the mouse; space or a click launches the ball.

    PYTHONPATH=build /usr/bin/python3 examples/breakout.py
"""
import qel

import _assets

WIDTH, HEIGHT = 800, 600
BRICK_W, BRICK_H, GAP = 74, 22, 6  # px; ten columns of bricks and their gaps fill the width
ROW_COLOURS = ["#e74c3c", "#e67e22", "#f1c40f", "#2ecc71", "#3498db"]  # top row first
PADDLE_W, PADDLE_H, PADDLE_Y, PADDLE_SPEED = 110, 14, 560, 600  # px, and px a second
BALL_RADIUS, BALL_SPEED = 8, 380


def main():
    # Opens the window; quiet=True keeps qel from printing its start-up report.
    qel.init([], WIDTH, HEIGHT, title="Breakout", background="#101020", quiet=True)
    sounds = _assets.ensure()
    bounce = qel.loadSound(sounds["bounce.wav"])  # decoded once; play() as often as you like
    brick_hit = qel.loadSound(sounds["brick.wav"])
    lost = qel.loadSound(sounds["lose.wav"])

    # The bricks: a dictionary from each brick's identifier to its handle, so that the
    # identifiers `overlapping` returns lead straight to the bricks.
    bricks = {}
    for row, colour in enumerate(ROW_COLOURS):
        for column in range(10):
            x = GAP / 2 + column * (BRICK_W + GAP)
            brick = qel.createRect(x, 60 + row * (BRICK_H + GAP), BRICK_W, BRICK_H, colour)
            bricks[brick.id] = brick

    paddle = qel.createRect((WIDTH - PADDLE_W) / 2, PADDLE_Y, PADDLE_W, PADDLE_H, "#ecf0f1")
    ball = qel.createDisc(WIDTH / 2, PADDLE_Y - BALL_RADIUS, BALL_RADIUS, "white")
    score_text = qel.createText(12, 12, "Score: 0", 24, "white")
    lives_text = qel.createText(WIDTH - 12, 12, "Lives: 3", 24, "white", anchor="topright")

    score, lives = 0, 3
    paddle_x = paddle.top_left.x
    ball_x, ball_y = ball.center.x, ball.center.y
    vx, vy = 0.0, 0.0  # the ball's speed in px a second; 0 while it waits on the paddle
    last_cursor = (-1, -1)

    while not qel.shouldClose() and not qel.keyPressed("escape"):
        dt = qel.nextFrame()  # draws the frame and gives the seconds since the last one

        # The paddle: keys move it at a fixed speed; a mouse that moved puts its middle under
        # the cursor. min/max keep it inside the window.
        if qel.keyDown("left"):
            paddle_x -= PADDLE_SPEED * dt
        if qel.keyDown("right"):
            paddle_x += PADDLE_SPEED * dt
        cursor = qel.getCursor()
        if (cursor.x, cursor.y) != last_cursor and cursor.x >= 0:
            paddle_x = cursor.x - PADDLE_W / 2
            last_cursor = (cursor.x, cursor.y)
        paddle_x = max(0, min(WIDTH - PADDLE_W, paddle_x))
        paddle.moveTo(paddle_x, PADDLE_Y)

        if vy == 0:  # waiting on the paddle until launched
            ball_x, ball_y = paddle_x + PADDLE_W / 2, PADDLE_Y - BALL_RADIUS - 1
            if lives > 0 and bricks and (qel.keyPressed("space") or qel.mousePressed("left")):
                vx, vy = BALL_SPEED * 0.6, -BALL_SPEED * 0.8
        ball_x += vx * dt
        ball_y += vy * dt

        # Walls: bounce back inside. The bottom loses a life.
        if ball_x < BALL_RADIUS or ball_x > WIDTH - BALL_RADIUS:
            vx = abs(vx) if ball_x < BALL_RADIUS else -abs(vx)
            bounce.play(volume=0.5)
        if ball_y < BALL_RADIUS:
            vy = abs(vy)
            bounce.play(volume=0.5)
        if ball_y > HEIGHT + BALL_RADIUS:
            lost.play()
            lives -= 1
            lives_text.setText(f"Lives: {lives}")
            vx = vy = 0.0
            if lives == 0:
                qel.createText(WIDTH / 2, HEIGHT / 2, "Game over", 48, "white", anchor="center")
        qel.moveTo(ball.id, ball_x, ball_y)  # a circle is placed by its centre

        # The paddle sends the ball up, more to the side the further from its middle it lands.
        if vy > 0 and qel.collides(ball, paddle):
            offset = (ball_x - (paddle_x + PADDLE_W / 2)) / (PADDLE_W / 2)  # -1 to 1
            vx = BALL_SPEED * 0.8 * offset
            vy = -(BALL_SPEED ** 2 - vx ** 2) ** 0.5
            bounce.play()

        # Bricks: the first brick among the objects the ball overlaps is knocked out.
        for hit in qel.overlapping(ball):
            brick = bricks.pop(hit, None)
            if brick is None:
                continue  # the paddle or a text
            # Coming in over the brick's top or bottom edge: bounce up or down; else sideways.
            left, right = brick.top_left.x, brick.top_left.x + BRICK_W
            if left <= ball_x <= right:
                vy = -vy
            else:
                vx = -vx
            brick.remove()
            brick_hit.play()
            score += 10
            score_text.setText(f"Score: {score}")
            if not bricks:
                qel.createText(WIDTH / 2, HEIGHT / 2, "You win!", 48, "white", anchor="center")
                vx = vy = 0.0
            break  # one brick a frame, so a ball between two bricks does not turn twice
    qel.closeWindow()


if __name__ == "__main__":
    main()
