"""Platformer

Run and jump across platforms to collect coins, with music playing: a hero animated from a
sprite sheet (`loadSheet`, `setFrame`, `flipX` when running left), gravity and jumps by hand,
coins picked up with `collides`, and a looping tune from `playMusic`. Arrow keys or A/D run,
space or up jumps, Escape quits.

    PYTHONPATH=build /usr/bin/python3 examples/platformer.py
"""
import qel

import _assets

WIDTH, HEIGHT = 800, 600
GROUND = 560  # the ground's top, in px from the top of the window
# Platforms: left, top, width in px; each can be reached from the one before it.
PLATFORMS = [(200, 470, 160), (420, 390, 140), (620, 310, 140), (400, 230, 130), (160, 170, 150)]
HERO_W, HERO_H = 48, 64  # the sheet's 24x32 frames drawn twice as large
RUN_SPEED, GRAVITY, JUMP_SPEED = 240, 1500, 640  # px/s, px/s a second, px/s upwards
RUN_FRAMES, FRAME_TIME = [1, 2, 3, 4], 0.1  # the sheet's running frames, seconds each
STAND, JUMP = 0, 5  # the sheet's standing and jumping frames


def main():
    qel.init([], WIDTH, HEIGHT, title="Platformer", background="#7ec8e3", quiet=True)
    assets = _assets.ensure()
    qel.playMusic(assets["music.wav"], volume=0.5)  # streamed, and looped by default
    jump_sound = qel.loadSound(assets["jump.wav"])

    qel.createRect(0, GROUND, WIDTH, HEIGHT - GROUND, "#5b8c32")  # the ground
    for left, top, width in PLATFORMS:
        qel.createRect(left, top, width, 16, "#8b5a2b")
    # A coin above every platform.
    coins = [qel.createDisc(left + width / 2, top - 30, 9, "#ffd700") for left, top, width in PLATFORMS]
    score_text = qel.createText(12, 10, f"Coins: 0 / {len(coins)}", 24, "#203040")

    # The hero: one picture cut into 24x32 frames. createSprite draws one frame, at the size
    # given; setFrame switches frames without loading anything again.
    sheet = qel.loadSheet(assets["hero.png"], 24, 32)
    hero = qel.createSprite(60, GROUND - HERO_H, sheet, HERO_W, HERO_H, frame=STAND)
    hero.smooth = False  # pixel art: keep the pixels square when drawn larger
    hero.setLayer(1)
    x, y = 60.0, float(GROUND - HERO_H)  # the hero's top-left corner
    vy, on_ground, run_time, collected = 0.0, True, 0.0, 0

    while not qel.shouldClose() and not qel.keyPressed("escape"):
        dt = qel.nextFrame()

        vx = 0
        if qel.keyDown("left") or qel.keyDown("a"):
            vx -= RUN_SPEED
        if qel.keyDown("right") or qel.keyDown("d"):
            vx += RUN_SPEED
        # keyPressed holds for one frame per press, so holding space jumps once.
        if on_ground and (qel.keyPressed("space") or qel.keyPressed("up")):
            vy, on_ground = -JUMP_SPEED, False
            jump_sound.play()

        x = max(0, min(WIDTH - HERO_W, x + vx * dt))
        vy += GRAVITY * dt  # gravity: the falling speed grows every frame
        old_feet, y = y + HERO_H, y + vy * dt
        feet = y + HERO_H

        # Landing: falling, the feet crossed a platform's top this frame, and the hero's
        # middle is over it. (Platforms hold only from above, so jumping through from below
        # works.)
        on_ground = False
        for left, top, width in PLATFORMS + [(0, GROUND, WIDTH)]:
            if vy >= 0 and old_feet <= top <= feet and left <= x + HERO_W / 2 <= left + width:
                y, vy, on_ground = top - HERO_H, 0.0, True
        hero.moveTo(x, y)

        # The picture: jumping, running (the frames in turn) or standing, facing the way it runs.
        if vx:
            hero.flipX = vx < 0  # the sheet faces right; flipped, it faces left
            run_time += dt
        else:
            run_time = 0.0
        if not on_ground:
            hero.setFrame(sheet, JUMP)
        elif vx:
            hero.setFrame(sheet, RUN_FRAMES[int(run_time / FRAME_TIME) % len(RUN_FRAMES)])
        else:
            hero.setFrame(sheet, STAND)

        for coin in coins[:]:
            if qel.collides(hero, coin):
                coin.remove()
                coins.remove(coin)
                collected += 1
                score_text.setText(f"Coins: {collected} / {collected + len(coins)}")
                jump_sound.play(pitch=2.0)
    qel.stopMusic()
    qel.closeWindow()


if __name__ == "__main__":
    main()
