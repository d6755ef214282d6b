"""Particle fountain

Thousands of particles spout from a source that follows the mouse, rise, fall and fade: their
positions and colours live in NumPy arrays, and one `moveMany` and one `updateColors` a frame
hand them all to qel at once, far faster than a call per particle. The loop is
`qel.run(update)`. Move the mouse to move the fountain; Escape quits.

    PYTHONPATH=build /usr/bin/python3 examples/fountain.py
"""
import numpy as np

import qel

WIDTH, HEIGHT = 800, 600
COUNT = 4000  # particles
LIFE = 2.0  # seconds from the source until a particle starts again
GRAVITY = 500  # px/s a second, downwards
START = (WIDTH / 2, HEIGHT - 80)  # the source until the mouse comes into the window

# Colours by age, from hot white-yellow through orange to a deep red that fades into the
# background: one row per stop, and the age (0 to 1) at which each is reached.
STOPS = np.array([[255, 255, 210], [255, 200, 60], [240, 90, 30], [90, 20, 40]], dtype=float)
STOP_AGES = np.array([0.0, 0.2, 0.6, 1.0])


def colours(ages):
    """0xRRGGBB for each age (0 to 1), blended between the stops: one int per particle."""
    r, g, b = (np.interp(ages, STOP_AGES, STOPS[:, channel]).astype(np.int64) for channel in range(3))
    return (r << 16) | (g << 8) | b


def main():
    qel.init([], WIDTH, HEIGHT, title="Fountain", background="#0a0a14", quiet=True)

    # Every particle is a small disc; its identifier goes into an array for the batch calls.
    ids = np.array([qel.createDisc(-10, -10, 2, "white").id for _ in range(COUNT)])
    xs, ys = np.full(COUNT, -10.0), np.full(COUNT, -10.0)
    vxs, vys = np.zeros(COUNT), np.zeros(COUNT)
    # Ages spread over one life, so the particles leave the source a few at a time instead
    # of all in one burst. Until its first start a particle waits outside the window.
    ages = np.random.uniform(0, LIFE, COUNT)
    source = list(START)

    # update() changes the arrays in place (`a[:] = ...`, `a[:] += ...`): assigning a new
    # array to the name would only make a local variable of update's own.
    def update(dt):
        if qel.keyPressed("escape"):
            return False  # ends qel.run
        cursor = qel.getCursor()
        if cursor.x >= 0:  # (-1, -1) while the mouse is outside the window
            source[:] = cursor.x, cursor.y

        # Particles whose life is over start again at the source with a random push upwards.
        # `reborn` is an array of True/False, and indexing with it picks just those particles.
        ages[:] += dt
        reborn = ages >= LIFE
        n = int(reborn.sum())
        ages[reborn] = 0
        xs[reborn], ys[reborn] = source
        vxs[reborn] = np.random.normal(0, 50, n)
        vys[reborn] = np.random.uniform(-520, -380, n)

        # Motion for all of them at once: gravity changes the speed, the speed the position.
        vys[:] += GRAVITY * dt
        xs[:] += vxs * dt
        ys[:] += vys * dt
        qel.moveMany(ids, xs, ys)
        qel.updateColors(ids, colours(ages / LIFE))

    qel.run(update)
    qel.closeWindow()


if __name__ == "__main__":
    main()
