"""Lines, polygons, outlines, turned rectangles and colours seen through: both renderers draw
what a reference computed here with numpy says, except at pixel centres on an edge."""
import json

import numpy as np

SCENE = """
import json, time
import numpy as np
import qel
qel.init([], 240, 180, offscreen=True, quiet=True, background=0x000000)
qel.createLine(10, 10.5, 90, 10.5, width=4, color="#ff0000")               # rows 8.5..12.5
slant = qel.createLine(10, 30, 90, 60, 3, "white")
ell = qel.createPolygon([(-80, 60), (-20, 60), (-20, 75), (-60, 75), (-60, 120), (-80, 120)], "lime")
star = qel.createPolygon([(175 + (30 if i % 2 == 0 else 12) * np.cos(i * np.pi / 5),
                           140 + (30 if i % 2 == 0 else 12) * np.sin(i * np.pi / 5)) for i in range(10)],
                         (0, 128, 255))
frame = qel.createRect(110, 10, 40, 30, "#0000ff80", outline=3)
ring = qel.createDisc(190, 30, 20, "yellow", outline=5)
outlined = qel.createPolygon([(20, 130), (80, 130), (80, 145), (40, 145), (40, 175), (20, 175)], "#ff00ff",
                             outline=3)
turned = [qel.createRect(100 + 45 * i, 80, 30, 14, "#00ffff", angle=a) for i, a in enumerate((0, 90))]
slanted = qel.createRect(100, 125, 36, 16, "#ff8000")
slanted.setAngle(45)
glass = qel.createRect(60, 85, 30, 30, "#ff000080")   # created first: on top of what follows
qel.createRect(75, 100, 30, 30, "white")
qel.createDisc(205, 95, 12, (0, 0, 255, 128), outline=4)
qel.createPolygon([(212, 140), (221.5, 125), (231, 140), (221.5, 155)], "#ffffff80")  # cut along x = 221.5
qel.moveMany([ell.id], [100.0], [0.0])                 # polygons move by their offset
qel.updateColors([slant.id], ["#00ff00"])
hidden = qel.createTriangle(0, 0, 4, 0, 0, 4, (0, 0, 0, 0))   # alpha 0: not drawn
hidden.moveTo(5, 6)
for _ in range(3):
    time.sleep(0.02)
    qel.poll()
img = np.frombuffer(qel.readPixels(), np.uint8).reshape(180, 240, 4)
np.save(OUT, img)
print("STATE " + json.dumps({"moved": hidden.points, "star": len(star.points), "angle": slanted.angle,
                             "outline": [frame.outline, ring.outline, outlined.outline],
                             "kinds": [type(h).__name__ for h in (slant, ell, frame, ring)],
                             "renderer": qel.getRenderer()}))
"""

H, W = 180, 240
YS, XS = np.mgrid[0:H, 0:W] + 0.5
NEAR = 0.02  # pixel centres this close to an edge may go either way


def segment_distance(points):
    best = np.full((H, W), np.inf)
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        dx, dy = bx - ax, by - ay
        t = np.clip(((XS - ax) * dx + (YS - ay) * dy) / (dx * dx + dy * dy), 0, 1)
        best = np.minimum(best, np.hypot(XS - ax - t * dx, YS - ay - t * dy))
    return best


def polygon(points):
    """Even-odd inside test of the pixel centres, and where they are near a side."""
    inside = np.zeros((H, W), bool)
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        if ay != by:
            crosses = ((ay > YS) != (by > YS)) & (XS < (bx - ax) * (YS - ay) / (by - ay) + ax)
            inside ^= crosses
    return inside, segment_distance(points) < NEAR


def turned_rect(x, y, w, h, degrees):
    cx, cy, a = x + w / 2, y + h / 2, np.radians(degrees)
    corners = [(-w / 2, -h / 2), (w / 2, -h / 2), (w / 2, h / 2), (-w / 2, h / 2)]
    return polygon([(cx + u * np.cos(a) - v * np.sin(a), cy + u * np.sin(a) + v * np.cos(a)) for u, v in corners])


def ring(cx, cy, r, width):
    d = np.hypot(XS - cx, YS - cy)
    return (d <= r) & (d >= r - width), (abs(d - r) < NEAR) | (abs(d - r + width) < NEAR)


def minus(outer, inner):
    return outer[0] & ~inner[0], outer[1] | inner[1]


def line(x1, y1, x2, y2, width):
    length = np.hypot(x2 - x1, y2 - y1)
    nx, ny = -(y2 - y1) / length * width / 2, (x2 - x1) / length * width / 2
    return polygon([(x1 - nx, y1 - ny), (x2 - nx, y2 - ny), (x2 + nx, y2 + ny), (x1 + nx, y1 + ny)])


def reference():
    """(coverage, near an edge, rgba) from the bottom up: the last created is drawn first."""
    star = [(175 + (30 if i % 2 == 0 else 12) * np.cos(i * np.pi / 5),
             140 + (30 if i % 2 == 0 else 12) * np.sin(i * np.pi / 5)) for i in range(10)]
    ell = [(20, 130), (80, 130), (80, 145), (40, 145), (40, 175), (20, 175)]
    ell_inset = [(23, 133), (77, 133), (77, 142), (37, 142), (37, 172), (23, 172)]
    layers = [
        (polygon([(212, 140), (221.5, 125), (231, 140), (221.5, 155)]), (255, 255, 255, 128)),
        (ring(205, 95, 12, 4), (0, 0, 255, 128)),
        (polygon([(75, 100), (105, 100), (105, 130), (75, 130)]), (255, 255, 255, 255)),
        (polygon([(60, 85), (90, 85), (90, 115), (60, 115)]), (255, 0, 0, 128)),
        (turned_rect(100, 125, 36, 16, 45), (255, 128, 0, 255)),
        (turned_rect(145, 80, 30, 14, 90), (0, 255, 255, 255)),
        (turned_rect(100, 80, 30, 14, 0), (0, 255, 255, 255)),
        (minus(polygon(ell), polygon(ell_inset)), (255, 0, 255, 255)),
        (ring(190, 30, 20, 5), (255, 255, 0, 255)),
        (minus(polygon([(110, 10), (150, 10), (150, 40), (110, 40)]),
               polygon([(113, 13), (147, 13), (147, 37), (113, 37)])), (0, 0, 255, 128)),
        (polygon(star), (0, 128, 255, 255)),
        (polygon([(20, 60), (80, 60), (80, 75), (40, 75), (40, 120), (20, 120)]), (0, 255, 0, 255)),
        (line(10, 30, 90, 60, 3), (0, 255, 0, 255)),
        (line(10, 10.5, 90, 10.5, 4), (255, 0, 0, 255)),
    ]
    out = np.zeros((H, W, 3))
    near = np.zeros((H, W), bool)
    for (covered, edge), (r, g, b, a) in layers:
        alpha = a / 255
        out[covered] = np.array([r, g, b]) * alpha + out[covered] * (1 - alpha)
        near |= edge
    return out, near


def test_shapes_are_drawn_where_the_reference_says(run_qel, renderer, tmp_path):
    path = str(tmp_path / "shapes.npy")
    r = run_qel(f"OUT = {path!r}\n" + SCENE, env={"QEL_RENDERER": renderer})
    assert r.returncode == 0, r.output[-3000:]
    state = json.loads(r.stdout.split("STATE ", 1)[1])
    assert state["renderer"] == renderer
    assert state["moved"] == [[5, 6], [9, 6], [5, 10]]
    assert (state["star"], state["angle"], state["outline"]) == (10, 45, [3, 5, 3])
    assert state["kinds"] == ["Line", "Polygon", "Rect", "Disc"]
    drawn = np.load(path)[..., :3].astype(int)
    expected, near = reference()
    wrong = (np.abs(drawn - np.rint(expected)).max(axis=2) > 2) & ~near
    assert not wrong.any(), (f"{int(wrong.sum())} pixels differ, first (y, x): {np.argwhere(wrong)[:6].tolist()}, "
                             f"drawn {drawn[wrong][:3].tolist()}, expected {np.rint(expected[wrong][:3]).tolist()}")
    # A translucent frame's sides meet at its corners without being blended twice there.
    assert tuple(drawn[11, 111]) == tuple(drawn[25, 111]) == (0, 0, 128)


BAD_INPUT = """
import qel
qel.init([], 64, 48, offscreen=True, quiet=True)
def error(call):
    try:
        call()
    except (TypeError, ValueError) as e:
        return type(e).__name__ + ": " + str(e)
    return None
square = [(0, 0), (10, 0), (10, 10), (0, 10)]
class Sneaky:
    def __float__(self):
        qel.init([], 32, 32, offscreen=True, quiet=True)   # replaces the engine mid-call
        return 5.0
cases = {
    "few": lambda: qel.createPolygon([(0, 0), (1, 1)], "red"),
    "many": lambda: qel.createPolygon([(0, 0)] * 10001, "red"),
    "line": lambda: qel.createPolygon([(0, 0), (1, 1), (2, 2)], "red"),
    "bowtie": lambda: qel.createPolygon([(0, 0), (10, 10), (10, 0), (0, 10)], "red"),
    "nan": lambda: qel.createPolygon([(0, 0), (float("nan"), 0), (5, 5)], "red"),
    "text": lambda: qel.createPolygon("abc", "red"),
    "pair": lambda: qel.createPolygon([(0, 0), (1, 0), 7], "red"),
    "triple": lambda: qel.createPolygon([(0, 0), (1, 0, 2), (1, 1)], "red"),
    "word": lambda: qel.createPolygon([(0, 0), ("1", 0), (1, 1)], "red"),
    "colour": lambda: qel.createPolygon(square, "reddish"),
    "outline": lambda: qel.createRect(0, 0, 5, 5, "red", outline=-1),
    "angle": lambda: qel.createRect(0, 0, 5, 5, "red", angle=float("inf")),
    "width": lambda: qel.createLine(0, 0, 5, 5, width=float("nan")),
    "end": lambda: qel.createLine(0, 0, float("nan"), 5),
    "flat": lambda: qel.createTriangle(0, 0, 1, 1, 2, 2, "red"),
    "radius": lambda: qel.createDisc(5, 5, -1, "red"),
    "setOutline": lambda: qel.createDisc(5, 5, 3, "red").setOutline(-2),
    "setAngle": lambda: qel.createRect(0, 0, 5, 5, "red").setAngle(float("nan")),
    "setPoints": lambda: qel.createPolygon(square, "red").setPoints([(0, 0)]),
}
print({name: error(call) for name, call in cases.items()})
sneaky = qel.createPolygon([(0, 0), (Sneaky(), 0), (5, 5)], "red")
print("SNEAKY", sneaky.points, qel.getWindowWidth())
"""


def test_bad_shapes_are_refused_clearly(run_qel):
    r = run_qel(BAD_INPUT)
    assert r.returncode == 0, r.output[-3000:]
    errors = eval(r.stdout.split("\n")[0])
    kinds = {name: (e or "None").split(":")[0] for name, e in errors.items()}
    assert kinds == {"few": "ValueError", "many": "ValueError", "line": "ValueError", "bowtie": "ValueError",
                     "nan": "ValueError", "text": "TypeError", "pair": "TypeError", "triple": "ValueError",
                     "word": "TypeError", "colour": "ValueError", "outline": "ValueError", "angle": "ValueError",
                     "width": "ValueError", "end": "ValueError", "flat": "ValueError", "radius": "ValueError",
                     "setOutline": "ValueError", "setAngle": "ValueError", "setPoints": "ValueError"}, errors
    assert "3 to 10000 points, not 2" in errors["few"] and "cross" in errors["bowtie"]
    assert "point 1: x is str" in errors["word"] and "point 2 is int" in errors["pair"]
    assert "SNEAKY [(0.0, 0.0), (5.0, 0.0), (5.0, 5.0)] 32" in r.stdout


OUTLINES = """
import json, numpy as np, qel
qel.init([], 240, 180, offscreen=True, quiet=True, background=0x000000)
for points, width in json.loads(SHAPES):
    qel.createPolygon(points, "white", outline=width)
qel.nextFrame()
np.save(OUT, np.frombuffer(qel.readPixels(), np.uint8).reshape(180, 240, 4))
"""


def test_outlines_stay_inside_their_polygons(run_qel, renderer, tmp_path):
    # A notch narrower than the outline, and a triangle and a notched square outlined past their
    # inradius (the square's width near the largest double, where an uncapped band overflows).
    shapes = [([(10, 10), (110, 10), (110, 80), (62, 80), (60, 20), (58, 80), (10, 80)], 20),
              ([(130, 10), (230, 10), (180, 90)], 100), ([(20, 100), (100, 100), (100, 170), (62, 170), (60, 120), (58, 170), (20, 170)], 1.7976e308),
              ([(130, 110), (230, 110), (230, 170), (130, 170)], 5)]
    path = str(tmp_path / "outlines.npy")
    r = run_qel(f"OUT = {path!r}\nSHAPES = {json.dumps(shapes)!r}\n" + OUTLINES, env={"QEL_RENDERER": renderer})
    assert r.returncode == 0, r.output[-3000:]
    drawn = np.load(path)[..., 0] > 127
    masks = [(polygon(points)[0], segment_distance(points)) for points, _ in shapes]
    anywhere = np.logical_or.reduce([inside | (depth < 1) for inside, depth in masks])
    assert not (drawn & ~anywhere).any(), np.argwhere(drawn & ~anywhere)[:4].tolist()
    for (inside, depth), (_, width) in zip(masks, shapes):
        should = inside & (depth > 1) & (depth < min(width, 1e9) - 1)
        assert drawn[should].all(), (width, "missing", np.argwhere(should & ~drawn)[:4].tolist())
        assert not (drawn & inside & (depth > width + 1)).any(), (width, "drawn too far in")
