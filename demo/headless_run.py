"""Plays the demo on a display nobody watches, reports what happened, and saves a screenshot.

    python3 demo/headless_run.py <screenshot.png> [<last-frame.png>]

The game runs on the main thread with a fixed seed. After each frame a watcher copies what a
player would see (the ball, the stars, the score) for a helper thread, which plays through
xdotool (real X input events): it steers the ball with an arrow key and a letter key, parks
it beside one of the stars created before it, clicks a star where the game shows it, and
catches one. When the parked-beside star passes under the edge of the ball, the watcher
saves that frame with qel.screenshot and reports the colours drawn there and where the badge
and the score text are. It saves the last frame too (by default beside the first, with
"-end" added), with the score that has changed since.
"""
import os
import subprocess
import sys
import threading
import time
from collections import namedtuple

import qel

import demo

SHOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "demo-screenshot.png")
LAST_SHOT = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.splitext(SHOT)[0] + "-end.png")
SEED, MAX_SECONDS = 7, 30.0
View = namedtuple("View", "id x y radius stars score counts")  # stars: (id, x, y, radius, speed)
view = None  # the latest View, replaced whole after each frame
seen = set()  # every star identifier the game has had
want_shot, saved, finished = threading.Event(), threading.Event(), threading.Event()


XDO_ENV = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}  # not ours to instrument
xdo_seconds = 0.05  # how long an xdotool call takes here, from the last one


def xdo(*args):
    global xdo_seconds
    start = time.monotonic()
    out = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, check=True,
                         timeout=10, env=XDO_ENV).stdout
    xdo_seconds = time.monotonic() - start
    return out


def find_window():
    for _ in range(200):
        found = subprocess.run(["xdotool", "search", "--name", "^Qel Demo$"], capture_output=True,
                               text=True, timeout=10).stdout.split()
        if found and view is not None:
            return found[-1]
        time.sleep(0.05)
    raise RuntimeError("the demo window never appeared")


def wait_for(condition, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition(view):
            return True
        time.sleep(0.02)
    return False


def steer_to(x, tolerance):
    """Holds left or right until the ball's centre is within `tolerance` of x: long holds
    while far, taps when near."""
    for _ in range(60):
        error = x() - view.x
        if abs(error) <= tolerance:
            return True
        key = "Right" if error > 0 else "Left"
        xdo("keydown", key)
        time.sleep(min(abs(error) / demo.PLAYER_SPEED * 0.7, 0.3) if abs(error) > 15 else 0)
        xdo("keyup", key)
        time.sleep(0.05)  # a frame or two, so the view has caught up
    return False


def click_a_star(wid):
    """Clicks a star clear of the ball where it will be a moment later; True once one popped."""
    for _ in range(12):
        v = view
        free = [s for s in v.stars if 60 < s[2] < 380 and (s[1] - v.x) ** 2 + (s[2] - v.y) ** 2 >
                (v.radius + s[3] + 20) ** 2]
        if not free:
            time.sleep(0.1)
            continue
        # The slowest for its size: the longest time under a fixed point.
        star, x, y, radius, speed = max(free, key=lambda s: s[3] / s[4])
        lead = xdo_seconds + 0.02  # seconds from here until the game sees the click
        xdo("mousemove", "--window", wid, round(x), round(y + speed * lead), "click", "1")
        if wait_for(lambda now: star not in [s[0] for s in now.stars] and
                    now.counts["popped"] > v.counts["popped"], 0.6):
            print(f"Clicked star {star} at ({x:.0f}, {y:.0f}): popped, score {v.score} -> {view.score}", flush=True)
            print(f"Ball grew: radius {v.radius:g} -> {view.radius:g}", flush=True)
            return True
    return False


def park_beside_a_star():
    """Puts the ball beside a star created before it, so that the star passes under its edge."""
    for _ in range(6):
        v = view
        early = [s for s in v.stars if s[0] < v.id and s[2] < 300 and s[3] >= 20]
        if not early:
            break
        # The one with the most time to spare once the ball is there.
        star = max(early, key=lambda s: (v.y - s[2]) / s[4] - abs(beside(s) - v.x) / demo.PLAYER_SPEED)
        if steer_to(lambda: beside(star), 3) and wait_for(
                lambda now: saved.is_set() or star[0] not in [s[0] for s in now.stars], 6) and saved.is_set():
            return True
    return False


def beside(star):
    """Where the ball's centre is for the star to pass under its edge, about half the star's
    radius deep and never as deep as the ball's centre (that would catch it)."""
    side = 1 if star[1] < demo.WIDTH / 2 else -1
    return star[1] + side * (view.radius + star[3] / 2 - 3)


def catch_a_star():
    """Puts the ball under a falling star and waits for the catch."""
    for _ in range(6):
        high = [s for s in view.stars if s[2] < 250]
        if not high:
            time.sleep(0.1)
            continue
        star, before = max(high, key=lambda s: s[4]), view
        if steer_to(lambda: star[1], 8) and wait_for(lambda now: star[0] not in [s[0] for s in now.stars], 6):
            if view.counts["caught"] > before.counts["caught"]:
                print(f"Caught star {star[0]}: score {before.score} -> {view.score}", flush=True)
                return True
    return False


def play():
    try:
        wid = find_window()
        # No window manager here: give the window the keyboard and put the pointer on it.
        xdo("windowfocus", "--sync", wid)
        xdo("mousemove", "--window", wid, 400, 300)
        for key, seconds in [("Left", 0.5), ("d", 0.25)]:
            before = view.x
            xdo("keydown", key)
            time.sleep(seconds)
            xdo("keyup", key)
            time.sleep(0.1)
            print(f"Ball moved with {key}: x {before:.0f} -> {view.x:.0f}", flush=True)
        want_shot.set()
        if not park_beside_a_star():
            print("no star passed under the ball", flush=True)
        if not click_a_star(wid):
            print("no click popped a star", flush=True)
        if not catch_a_star():
            print("no star was caught", flush=True)
    except Exception as error:  # reported by the main thread's exit status
        print("scripted input failed:", error, file=sys.stderr, flush=True)
    finally:
        finished.set()


def hex_colour(pixels, x, y):
    return "#%02x%02x%02x" % tuple(pixels[(round(y) * qel.getWindowWidth() + round(x)) * 4:][:3])


def shoot_if_overlapping(v):
    """Saves the frame just drawn when a star created before the ball (on top of it, were it
    not for the ball's layer) reaches at least 8 px under the ball's edge, and reports the
    colour in the middle of the overlap."""
    for star, x, y, radius, _ in v.stars:
        if star > v.id:
            continue
        gap = ((x - v.x) ** 2 + (y - v.y) ** 2) ** 0.5
        depth = v.radius + radius - gap
        if depth >= 8 and gap > 0:
            middle = (gap - radius + v.radius) / 2 / gap  # along the line from the ball to the star
            px, py = v.x + (x - v.x) * middle, v.y + (y - v.y) * middle
            qel.screenshot(SHOT)
            pixels = qel.readPixels()
            below = v.y + 22  # under the badge, still on the ball
            print(f"Ball {v.id} at ({v.x:.0f}, {v.y:.0f}) radius {v.radius:g}: {hex_colour(pixels, v.x, below)} "
                  f"at ({v.x:.0f}, {below:.0f})", flush=True)
            print(f"Star {star} under the ball at ({px:.0f}, {py:.0f}): {hex_colour(pixels, px, py)}", flush=True)
            return True
    return False


def report_pictures(game, shot):
    """Where the badge and the score text drawn in the frame saved as `shot` are."""
    badge, text = game.badge, game.score_text
    print(f"Badge at ({badge.top_left.x:g}, {badge.top_left.y:g}) size {badge.width:g}x{badge.height:g}"
          f" in {shot}", flush=True)
    print(f"Score {game.score} at ({text.top_left.x:g}, {text.top_left.y:g}) size {text.width:g}x{text.height:g}"
          f" in {shot}", flush=True)


def watch(game):
    global view
    stars = game.stars
    ball = game.player
    view = View(ball.id, ball.center.x, ball.center.y, ball.radius,
                [(int(i), float(x), float(y), float(r), float(s)) for i, x, y, r, s in stars.rows()],
                game.score, dict(game.counts))
    seen.update(s[0] for s in view.stars)
    if want_shot.is_set() and not saved.is_set() and shoot_if_overlapping(view):
        report_pictures(game, SHOT)
        saved.set()
    if finished.is_set():
        qel.screenshot(LAST_SHOT)
        report_pictures(game, LAST_SHOT)
        # Removing a star again finds nothing once the game has removed it.
        removed = seen - {s[0] for s in view.stars}
        gone = sum(not qel.removeObject(i) for i in removed)
        print(f"Removed stars gone from the scene: {gone} of {len(removed)}", flush=True)
        return False
    return True


# The checks read exact pixels where the ball and a star are: no bonus star may pass over them,
# and the view must not shake.
demo.FIRST_BONUS, demo.SHAKE_PIXELS = float("inf"), 0
player = threading.Thread(target=play, daemon=True)
player.start()
demo.main(seconds=MAX_SECONDS, seed=SEED, watch=watch)
player.join(timeout=5)
if not saved.is_set():
    sys.exit("no screenshot was taken")
print("Screenshot saved to", SHOT, flush=True)
