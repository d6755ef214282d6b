"""Star catcher, a tiny qel game: stars fall, you catch them or click them.

    arrow keys or W/A/S/D   move the ball
    left click on a star    pops it: one point
    Escape                  quit
    a star that falls into the middle of the ball is caught: one point
    a spinning, twinkling bonus star that touches the ball: three points
    each point makes the ball grow and shows in the score at the top left
    stars that fall out of the window are lost, and the view shakes
    close the window        quit

Run it with `python3 demo/demo.py [seconds]` once the module is built, or with
`python3 -m qel` once qel is installed (`python3 -m qel --help` lists the options).
"""
import json
import os
import random
import sys
import time

import qel

try:
    import numpy as np
except ImportError:  # moveMany takes plain lists too
    np = None

WIDTH, HEIGHT = 800, 600
PLAYER_COLOUR, PLAYER_SPEED, PLAYER_LAYER = "#f5f5f5", 260, 1  # px/s; stars stay on layer 0
STAR_COLOURS = ["#e74c3c", "#3498db", "#2ecc71", "#9b59b6", "#f39c12", "#1abc9c"]
STAR_RADII, STAR_SPEEDS = (16, 28), (70, 150)  # px and px/s, picked at random
SPAWN_EVERY, FIRST_STARS = 0.5, 5  # seconds between two stars; stars at the start
GROWTH, MAX_RADIUS = 3, 70  # px the ball grows per point, and its largest radius
BADGE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "star.png")  # made by make_art.py
BADGE_LAYER, SCORE_LAYER = 2, 3  # the badge rides on the ball; the score is above everything
SCORE_COLOUR, SCORE_SIZE = "#ffffff", 28  # the text's colour and its height in px
HERE = os.path.dirname(os.path.abspath(__file__))
CATCH_SOUND, MUSIC = os.path.join(HERE, "catch.wav"), os.path.join(HERE, "music.wav")  # make_art.py too
SHEET = os.path.join(HERE, "twinkle.png")  # the bonus star's four 32x32 frames, by make_art.py
FIRST_BONUS, BONUS_EVERY, BONUS_POINTS = 1.0, 6.0, 3  # seconds to the first, between two; its worth
BONUS_SPEED, BONUS_SPIN, BONUS_FRAME = 110, 150, 0.1  # px/s falling, degrees/s turning, s a frame
SHAKE_SECONDS, SHAKE_PIXELS = 0.3, 6  # how long and how far the view shakes when a star is lost


def column(values, kind=float):
    return np.array(values, dtype=kind) if np is not None else list(values)


class Swarm:
    """The falling stars, one column per property (NumPy arrays when NumPy is installed,
    else lists), so that one moveMany call moves them all."""

    def __init__(self):
        self.set_rows([])

    def rows(self):
        return list(zip(self.ids, self.xs, self.ys, self.radii, self.speeds))

    def set_rows(self, rows):
        """Rebuilds the columns from (id, x, y, radius, speed) rows, when stars come or go."""
        ids, xs, ys, radii, speeds = zip(*rows) if rows else [()] * 5
        self.ids = column(ids, int)
        self.xs, self.ys, self.radii, self.speeds = (column(c) for c in (xs, ys, radii, speeds))

    def add(self, star, speed):
        self.set_rows(self.rows() + [(star.id, star.center.x, star.center.y, star.radius, speed)])

    def remove(self, gone):
        """Removes the stars whose entry in `gone` is true, from the scene and the columns."""
        for row, out in zip(self.rows(), gone):
            if out:
                qel.removeObject(int(row[0]))
        self.set_rows([row for row, out in zip(self.rows(), gone) if not out])

    def fall(self, dt):
        if np is not None:
            self.ys += self.speeds * dt
        else:
            self.ys = [y + speed * dt for y, speed in zip(self.ys, self.speeds)]
        qel.moveMany(self.ids, self.xs, self.ys)


class Game:
    """Everything a round holds: the ball with its badge, the stars and the score."""

    def __init__(self, seed=None):
        self.rng = random.Random(seed)
        self.stars = Swarm()
        self.score = 0
        self.counts = {"popped": 0, "caught": 0, "bonus": 0, "lost": 0}
        self.until_spawn = SPAWN_EVERY
        self.sheet = qel.loadSheet(SHEET, 32, 32)  # frames of one picture: one upload for all
        self.bonus, self.bonus_age, self.until_bonus = None, 0.0, FIRST_BONUS
        self.shaking = 0.0  # seconds of shaking left
        self.player, self.badge, self.score_text = build_scene(self)
        self.catch_sound = qel.loadSound(CATCH_SOUND)

    def spawn(self, y=None):
        """A new star, just above the window unless `y` says where."""
        radius = self.rng.uniform(*STAR_RADII)
        x = self.rng.uniform(radius, WIDTH - radius)
        star = qel.createCircle(x, -radius if y is None else y, radius, self.rng.choice(STAR_COLOURS), 0)
        self.stars.add(star, self.rng.uniform(*STAR_SPEEDS))

    def point(self, how, points=1):
        """Points for a star popped or caught: the ball grows and the score is shown."""
        self.score += points
        self.counts[how] += 1
        self.player.resize(min(self.player.radius + GROWTH, MAX_RADIUS))
        self.score_text.setText(f"Score: {self.score}")  # new glyphs only when the score changes
        if how != "popped":
            self.catch_sound.play(volume=0.8)
        print(f"Score {self.score}: {how} a star, ball radius {self.player.radius:g}", flush=True)


def build_scene(game):
    """The scene at the start: a few stars already falling, then the ball, its badge and the
    score. Within a layer the object created first is on top, so the ball's own layer keeps it
    above those stars too."""
    for _ in range(FIRST_STARS):
        game.spawn(y=game.rng.uniform(0, HEIGHT / 3))
    player = qel.createCircle(WIDTH / 2, HEIGHT - 80, 28, PLAYER_COLOUR, PLAYER_SPEED)
    player.setLayer(PLAYER_LAYER)  # drawn above every star, and found first by objectAt
    badge = qel.createSprite(0, 0, BADGE)  # its transparent corners show the ball below
    badge.setLayer(BADGE_LAYER)
    pin_badge(badge, player)
    score_text = qel.createText(12, 8, "Score: 0", SCORE_SIZE, SCORE_COLOUR)
    score_text.setLayer(SCORE_LAYER)  # falling stars pass under it
    qel.setLayerFixed(SCORE_LAYER)  # and the camera's shake leaves it still
    return player, badge, score_text


def pin_badge(badge, ball):
    """Centres the badge on the ball, on whole pixels so that the picture stays sharp."""
    badge.moveTo(round(ball.center.x - badge.width / 2), round(ball.center.y - badge.height / 2))


def steer(ball):
    """Step moves use deltaTime() and the ball's speed and stop at the window's edges."""
    if qel.keyDown("up") or qel.keyDown("w"):
        ball.moveUp()
    if qel.keyDown("down") or qel.keyDown("s"):
        ball.moveDown()
    if qel.keyDown("left") or qel.keyDown("a"):
        ball.moveLeft()
    if qel.keyDown("right") or qel.keyDown("d"):
        ball.moveRight()


def drop_bonus(game, dt):
    """The bonus star: one at a time, falling while it turns and plays its frames; it scores
    when its turned picture touches the ball."""
    game.until_bonus -= dt
    if game.bonus is None and game.until_bonus <= 0:
        x = game.rng.uniform(0, WIDTH - 48)
        game.bonus = qel.createSprite(x, -48, game.sheet, frame=0)
        game.bonus.scale = 1.5  # about its centre, like the turn
        game.bonus_age, game.until_bonus = 0.0, BONUS_EVERY
    if game.bonus is None:
        return
    bonus = game.bonus
    game.bonus_age += dt
    bonus.angle = game.bonus_age * BONUS_SPIN % 360
    bonus.setFrame(game.sheet, int(game.bonus_age / BONUS_FRAME) % len(game.sheet))
    bonus.moveTo(bonus.top_left.x, bonus.top_left.y + BONUS_SPEED * dt)
    if qel.collides(game.player, bonus):  # by the shapes as drawn: the ball and the turned box
        bonus.remove()
        game.bonus = None
        game.point("bonus", BONUS_POINTS)
    elif bonus.top_left.y > HEIGHT + 16:
        bonus.remove()
        game.bonus = None


def shake(game, dt):
    """While shaking, the camera looks from a little way off each frame, less and less."""
    if game.shaking <= 0:
        return
    game.shaking = max(game.shaking - dt, 0.0)
    reach = SHAKE_PIXELS * game.shaking / SHAKE_SECONDS
    qel.setCamera(game.rng.uniform(-reach, reach), game.rng.uniform(-reach, reach))  # (0, 0) at the end


def update(game, dt):
    """One frame of play, after it was drawn: steer, spawn, fall, then clicks, catches and losses."""
    steer(game.player)
    pin_badge(game.badge, game.player)

    game.until_spawn -= dt
    if game.until_spawn <= 0:
        game.spawn()
        game.until_spawn += SPAWN_EVERY

    stars = game.stars
    stars.fall(dt)
    drop_bonus(game, dt)
    shake(game, dt)

    # Every press since the last frame, where it happened.
    for button, x, y in qel.clicks():
        hit = qel.objectAt(x, y)  # the topmost object there, or -1
        if button == "left" and hit in stars.ids:
            stars.remove([star_id == hit for star_id in stars.ids])
            game.point("popped")

    # A star is caught when its centre is inside the ball, lost when it has left the window.
    ball, r = game.player.center, game.player.radius
    caught = [(x - ball.x) ** 2 + (y - ball.y) ** 2 < r * r for x, y in zip(stars.xs, stars.ys)]
    lost = [y - radius > HEIGHT for y, radius in zip(stars.ys, stars.radii)]
    if any(caught) or any(lost):
        stars.remove([c or o for c, o in zip(caught, lost)])
        game.counts["lost"] += sum(lost)
        if any(lost):
            game.shaking = SHAKE_SECONDS
        for _ in range(sum(caught)):
            game.point("caught")


def main(seconds=None, seed=None, watch=None, offscreen=False, screenshot=None):
    """Plays until the window is closed, Escape is pressed or `seconds` have passed.
    `watch(game)`, when given, is called after each frame and ends the game by returning
    False. `offscreen`: no window (for tests that play it with injected input).
    `screenshot`: a PNG file the last frame is saved to, however the game ended."""
    start(offscreen)
    play(seconds, seed, watch, screenshot)


def start(offscreen=False):
    """Opens the window (offscreen: the engine alone) and says what draws in it."""
    qel.init([], WIDTH, HEIGHT, offscreen=offscreen)
    device = json.loads(qel.getData())["selectedDevice"]["name"]
    print("Drawing on:", device, flush=True)


def play(seconds=None, seed=None, watch=None, screenshot=None):
    """The game itself, once start() has opened the window; main() says what the arguments do."""
    game = Game(seed)
    qel.playMusic(MUSIC, volume=0.4, fade_in=1.0)  # loops until the game ends

    started = time.monotonic()
    while not qel.shouldClose():
        if seconds is not None and time.monotonic() - started >= seconds:
            break
        # Waits for the frame's turn (60 a second), handles input, draws, and says how long
        # the frame was.
        dt = qel.nextFrame()
        if qel.keyPressed("escape"):
            break
        if watch is not None and watch(game) is False:
            break
        update(game, dt)

    print(f"Final score {game.score}:", ", ".join(f"{n} {how}" for how, n in game.counts.items()), flush=True)
    if screenshot is not None:
        qel.screenshot(screenshot)
    qel.stopMusic()
    qel.closeWindow()


if __name__ == "__main__":
    main(float(sys.argv[1]) if len(sys.argv) > 1 else None)
