"""The camera with both renderers: a scrolled, zoomed and turned world under a fixed HUD layer,
window and world points converted both ways, the step moves kept in the world area shown, and
bad cameras refused."""
import textwrap

SCROLLING = """
import math, sys, numpy as np, qel, qel_testing
from PIL import Image
W, H = 160, 120
qel.setQuiet(True)
qel.init([], W, H, offscreen=True)
Image.new("RGB", (8, 8), (255, 0, 255)).save(sys.argv[1] + "/magenta.png")
RED, GREEN, YELLOW, BLUE, MAGENTA, BG = (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (3, 3, 3)
qel.createRectangle(100, 100, 10, 20, "#ff0000", 0)        # x 100..120, y 100..110
qel.createCircle(110, 120, 5, "#00ff00", 0)
qel.createRectangle(-1e7, 130, 4, 2e7, "#ffff00", 0)       # a road far longer than any window
qel.createSprite(60, 100, sys.argv[1] + "/magenta.png")    # x 60..68, y 100..108
hud = qel.createRectangle(150, 110, 10, 10, "#0000ff", 0)
qel.setLayer(hud.id, 5)
qel.setLayerFixed(5)
# World points at least 2 pixels inside (or 3 outside) what is drawn there.
POINTS = [((102, 102), RED), ((118, 108), RED), ((110, 105), RED), ((97, 105), BG), ((123, 105), BG),
          ((110, 97), BG), ((110, 113), BG), ((110, 120), GREEN), ((110, 123), GREEN), ((103, 120), BG),
          ((110, 127), BG), ((20, 132), YELLOW), ((110, 132), YELLOW), ((-50, 132), YELLOW), ((110, 137), BG),
          ((62, 102), MAGENTA), ((66, 106), MAGENTA), ((57, 104), BG), ((64, 111), BG)]

def window(wx, wy, cx, cy, zoom, angle, ax, ay):
    c, s = math.cos(math.radians(angle)) * zoom, math.sin(math.radians(angle)) * zoom
    return ax + c * (wx - cx) - s * (wy - cy), ay + s * (wx - cx) + c * (wy - cy)

for cx, cy, zoom, angle, anchor in [(100, 100, 1, 0, (0, 0)), (110, 105, 2, 0, "center"),
                                    (110, 105, 2, 90, "center"), (110, 105, 2, 45, "center"),
                                    (100, 110, 0.5, -135, (40, 30)), (0, 0, 1, 0, (0, 0))]:
    qel.setCamera(cx, cy, zoom, angle, anchor=anchor)
    ax, ay = (W / 2, H / 2) if anchor == "center" else anchor
    qel_testing.pump(qel, 3)
    px = np.frombuffer(qel.readPixels(), np.uint8).reshape(H, W, 4)[:, :, :3].astype(int)
    seen = 0
    for (wx, wy), colour in POINTS:
        x, y = window(wx, wy, cx, cy, zoom, angle, ax, ay)
        if 0 <= x < W and 0 <= y < H and not (147 <= x and 107 <= y):
            seen += 1
            assert np.abs(px[int(y), int(x)] - colour).max() <= 2, (cx, zoom, angle, (wx, wy), px[int(y), int(x)])
    assert seen >= 8, (angle, seen)
    assert tuple(px[115, 155]) == BLUE and tuple(px[111, 151]) == BLUE, "the fixed layer moved"
qel.setLayerFixed(5, False)
qel.setCamera(0, 0, 1, 0, anchor=(10, 0))
qel_testing.pump(qel, 3)
px = np.frombuffer(qel.readPixels(), np.uint8).reshape(H, W, 4)[:, :, :3].astype(int)
assert tuple(px[115, 155]) == BG, "a layer no longer fixed stayed"
print("DONE")
"""


def test_a_scrolled_zoomed_and_turned_world_under_a_fixed_hud(run_qel, renderer, tmp_path):
    r = run_qel(SCROLLING, args=[str(tmp_path)], env={"QEL_RENDERER": renderer}, timeout=90)
    assert r.returncode == 0 and "DONE" in r.stdout, r.output[-3000:]


CONVERSIONS = """
import math, time, qel
qel.setQuiet(True)
def step():  # a frame's time for the step moves to cover
    time.sleep(0.02)
    qel.poll()
qel.init([], 200, 100, offscreen=True)
assert qel.getCamera() == (0.0, 0.0, 1.0, 0.0, (0.0, 0.0))
assert qel.worldToScreen(12.5, -3) == (12.5, -3.0) and qel.screenToWorld(7, 8) == (7.0, 8.0)
qel.setCamera(50, 40, 2, 90, anchor="center")
assert qel.getCamera() == (50.0, 40.0, 2.0, 90.0, (100.0, 50.0))
assert qel.worldToScreen(50, 40) == (100.0, 50.0)
assert qel.worldToScreen(60, 40) == (100.0, 70.0)   # a quarter turn clockwise, exactly
for zoom, angle in [(2, 90), (0.3, 33), (5, -200)]:
    qel.setCamera(-7, 3, zoom, angle, anchor=(20, 30))
    for point in [(0, 0), (123.25, -4), (-1e4, 5e3)]:
        back = qel.worldToScreen(*qel.screenToWorld(*point))
        assert all(math.isclose(a, b, abs_tol=1e-6) for a, b in zip(back, point)), (zoom, angle, point, back)

# The step moves stop at the edge of the world area the window shows.
c = qel.createCircle(150, 150, 5, "#ffffff", 1e6)
r = qel.createRectangle(150, 150, 10, 20, "#ffffff", 1e6)
qel.setCamera(100, 100)                    # shows x 100..300, y 100..200
step(); c.moveLeft(); r.moveDown()
assert c.center.x == 105 and r.top_left.y == 190, (c.center, r.top_left)
qel.setCamera(100, 100, 2, 90, anchor="center")   # shows x 75..125, y 50..150
step(); c.moveUp(); r.moveRight()
assert c.center.y == 55 and r.top_left.x == 105, (c.center, r.top_left)
qel.setCamera(0, 0)
step(); c.moveLeft(); r.moveUp()
assert c.center.x == 5 and r.top_left.y == 0, (c.center, r.top_left)
# Zoomed in until the shapes are larger than the area shown: a step stops, never goes back.
big = qel.createRectangle(5, 2, 40, 40, "#ffffff", 1e6)
ball = qel.createCircle(10, 5, 30, "#ffffff", 1e6)
qel.setCamera(0, 0, 10)                    # shows x 0..20, y 0..10
step(); big.moveRight(); ball.moveDown(); big.moveUp(); ball.moveLeft()
assert (big.top_left.x, big.top_left.y, ball.center.x, ball.center.y) == (5, 0, 10, 5), (big.top_left, ball.center)
# A turn beyond 2**53 degrees is still its remainder of a turn, not a quarter turn.
for angle in (280, 1e18):
    qel.setCamera(0, 0, 1, angle)
    turned = qel.worldToScreen(10, 0)
assert math.isclose(turned[0], 10 * math.cos(math.radians(280)), abs_tol=1e-9), turned
qel.setCamera(0, 0)

class Sneaky:
    def __float__(self):
        qel.init([], 50, 50, offscreen=True)
        return 1.0
for bad, error in [(dict(zoom=0), ValueError), (dict(zoom=-1), ValueError), (dict(zoom=math.inf), ValueError),
                   (dict(zoom=math.nan), ValueError), (dict(angle=math.inf), ValueError),
                   (dict(x=math.nan), ValueError), (dict(anchor="middle"), ValueError),
                   (dict(anchor=(1,)), ValueError), (dict(anchor=5), TypeError), (dict(zoom="2"), TypeError)]:
    args = dict(x=1, y=2, zoom=1.5, angle=10)
    args.update(bad)
    try:
        qel.setCamera(**args)
    except error as e:
        assert str(e), bad
    else:
        raise AssertionError(bad)
assert qel.getCamera() == (0.0, 0.0, 1.0, 0.0, (0.0, 0.0)), "a refused camera changed the camera"
qel.setCamera(3, 4, anchor=(Sneaky(), 0))   # the engine it replaced is not touched
assert qel.getCamera() == (3.0, 4.0, 1.0, 0.0, (1.0, 0.0))
print("DONE")
"""


def test_points_convert_both_ways_steps_stop_at_the_world_shown_and_bad_cameras_raise(run_qel):
    r = run_qel(CONVERSIONS, timeout=60)
    assert r.returncode == 0 and "DONE" in r.stdout, r.output[-3000:]
