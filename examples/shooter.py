"""Space shooter

Fly a ship around a starfield four times the window's size while the camera follows it:
`setCamera` scrolls the world, a HUD layer made fixed with `setLayerFixed` stays put, the
ship's sprite turns with `angle`, and `overlapping` and `collides` find what bullets and
saucers hit. Arrow keys or W/A/D turn and thrust, space fires, Escape quits.

    PYTHONPATH=build /usr/bin/python3 examples/shooter.py
"""
import math
import random

import qel

import _assets

WIDTH, HEIGHT = 800, 600
WORLD = 3200  # the world is a square this many px a side; the window shows a part of it
TURN_SPEED, THRUST, DRAG = 220, 400, 0.6  # degrees a second, px/s a second, speed kept a second
BULLET_SPEED, BULLET_LIFE, FIRE_EVERY = 700, 1.0, 0.15  # px/s, seconds, seconds
ENEMIES, ENEMY_SPEED = 40, 110
HUD_LAYER, HUD_HEIGHT = 10, 36  # the HUD is drawn above everything, in window pixels


def heading(angle):
    """The unit vector the ship points along: angle 0 is up, and angles turn clockwise."""
    radians = math.radians(angle)
    return math.sin(radians), -math.cos(radians)


def spawn_enemy(picture, ship_x, ship_y):
    """A saucer somewhere in the world, out of sight: beyond the window around the ship."""
    while True:
        x, y = random.uniform(0, WORLD - 28), random.uniform(0, WORLD - 28)
        if abs(x - ship_x) > WIDTH / 2 + 30 or abs(y - ship_y) > HEIGHT / 2 + 30:
            return qel.createSprite(x, y, picture)


def main():
    qel.init([], WIDTH, HEIGHT, title="Shooter", background="#05050f", quiet=True)
    assets = _assets.ensure()
    laser, boom = qel.loadSound(assets["laser.wav"]), qel.loadSound(assets["boom.wav"])

    # The world: stars at random places, and a frame around its edge. Objects always take
    # world coordinates; the camera decides which part of the world the window shows.
    for _ in range(900):
        size = random.choice([2, 2, 3, 4])
        grey = random.randint(90, 255)
        qel.createRect(random.uniform(0, WORLD), random.uniform(0, WORLD), size, size, (grey, grey, 255))
    qel.createRect(0, 0, WORLD, WORLD, "#304070", outline=6)

    ship = qel.createSprite(WORLD / 2 - 16, WORLD / 2 - 16, assets["ship.png"])  # 32x32
    ship.setLayer(1)  # above the stars
    x, y, vx, vy = WORLD / 2, WORLD / 2, 0.0, 0.0  # the ship's centre and its speed
    enemies = {}  # identifier -> sprite, for what `overlapping` returns
    for _ in range(ENEMIES):
        enemy = spawn_enemy(assets["enemy.png"], x, y)
        enemies[enemy.id] = enemy
    bullets = []  # [disc, x, y, vx, vy, seconds left]

    # The HUD: a bar with the score and the shields on two layers the camera leaves alone,
    # the texts on the upper one (within one layer, what was made first is drawn on top).
    qel.setLayerFixed(HUD_LAYER)
    qel.setLayerFixed(HUD_LAYER + 1)
    qel.createRect(0, 0, WIDTH, HUD_HEIGHT, "#202840").setLayer(HUD_LAYER)
    score_text = qel.createText(12, 6, "Score: 0", 22, "white")
    shields_text = qel.createText(WIDTH - 12, 6, "Shields: 5", 22, "#7fd0ff", anchor="topright")
    score_text.setLayer(HUD_LAYER + 1)
    shields_text.setLayer(HUD_LAYER + 1)
    score, shields, reload = 0, 5, 0.0

    while not qel.shouldClose() and not qel.keyPressed("escape"):
        dt = qel.nextFrame()
        if shields == 0:
            continue  # game over: the last picture stays until the window is closed

        # Turning changes the sprite's angle (degrees, clockwise); thrust pushes along it.
        if qel.keyDown("left") or qel.keyDown("a"):
            ship.angle -= TURN_SPEED * dt
        if qel.keyDown("right") or qel.keyDown("d"):
            ship.angle += TURN_SPEED * dt
        hx, hy = heading(ship.angle)
        if qel.keyDown("up") or qel.keyDown("w"):
            vx += hx * THRUST * dt
            vy += hy * THRUST * dt
        vx, vy = vx * DRAG ** dt, vy * DRAG ** dt  # a little drag, so the ship settles
        x = max(16, min(WORLD - 16, x + vx * dt))
        y = max(16, min(WORLD - 16, y + vy * dt))
        ship.moveTo(x - 16, y - 16)  # a sprite is placed by its top-left corner
        # The camera: the world point (x, y) is shown at the window's centre.
        qel.setCamera(x, y, anchor="center")

        # Firing: a bullet leaves the nose every FIRE_EVERY seconds while space is held.
        reload -= dt
        if qel.keyDown("space") and reload <= 0:
            reload = FIRE_EVERY
            bx, by = x + hx * 18, y + hy * 18
            bullets.append([qel.createDisc(bx, by, 3, "#ffe066"), bx, by,
                            vx + hx * BULLET_SPEED, vy + hy * BULLET_SPEED, BULLET_LIFE])
            laser.play(volume=0.4)

        for bullet in bullets[:]:  # a copy: bullets are removed from the list inside the loop
            disc, bx, by, bvx, bvy, left = bullet
            bullet[1:] = bx + bvx * dt, by + bvy * dt, bvx, bvy, left - dt
            qel.moveTo(disc.id, bullet[1], bullet[2])
            hits = [i for i in qel.overlapping(disc) if i in enemies]
            if hits:
                enemies.pop(hits[0]).remove()
                new = spawn_enemy(assets["enemy.png"], x, y)
                enemies[new.id] = new
                boom.play()
                score += 1
                score_text.setText(f"Score: {score}")
            if hits or bullet[5] <= 0:
                disc.remove()
                bullets.remove(bullet)

        # Saucers drift towards the ship; one that reaches it costs a shield.
        for enemy in list(enemies.values()):
            ex, ey = enemy.top_left.x + 14, enemy.top_left.y + 14
            distance = math.hypot(x - ex, y - ey) or 1
            step = ENEMY_SPEED * dt / distance
            enemy.moveTo(enemy.top_left.x + (x - ex) * step, enemy.top_left.y + (y - ey) * step)
            if qel.collides(ship, enemy):
                enemies.pop(enemy.id).remove()
                boom.play(volume=0.8, pitch=0.6)
                shields -= 1
                shields_text.setText(f"Shields: {shields}")
                if shields == 0:
                    qel.createText(WIDTH / 2, HEIGHT / 2, "Game over", 48, "white",
                                   anchor="center").setLayer(HUD_LAYER + 1)
                    break
    qel.closeWindow()


if __name__ == "__main__":
    main()
