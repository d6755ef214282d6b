"""collides, overlapping and objectsIn on a small scene: touching rules, topmost-first order,
sprites by box and by opaque texels, moves, layers and removals seen, bad arguments, and the
window questions through a camera with a fixed layer. The geometry of every pairing is
covered by tests/cpp/collision_test.cpp, the grid by pick_grid_test.cpp."""
import json

SNIPPET = r"""
import json, math, os, sys
import numpy as np
from PIL import Image
import qel

D = sys.argv[1] if len(sys.argv) > 1 else "."
core = np.zeros((20, 20, 4), np.uint8)
core[5:15, 5:15] = 255
core[5:15, 5:15, 3] = 128  # the least alpha that collides
core[0:5, 0:5, 3] = 127    # the most that does not
Image.fromarray(core, "RGBA").save(os.path.join(D, "core.png"))
qel.init([], 240, 240, offscreen=True, quiet=True)
out = {}
r = qel.createRectangle(10, 10, 20, 20, "#ff0000", 0)    # 10..30 both ways
c = qel.createCircle(40, 20, 10, "#00ff00", 0)          # touches r at (30, 20)
c2 = qel.createCircle(35, 32, 10, "#0000ff", 0)         # over both
s = qel.createSprite(100, 100, os.path.join(D, "core.png"))
s2 = qel.createSprite(113, 113, os.path.join(D, "core.png"))
corner = qel.createRectangle(101, 101, 3, 3, "#ffffff", 0)
middle = qel.createRectangle(108, 108, 2, 2, "#ffffff", 0)
t = qel.createText(0, 200, "Hi", 20, "#ffffff")
out["touching"] = [qel.collides(r, c), qel.collides(r, c2), qel.collides(c.id, c2)]
out["touch_point"] = qel.objectsIn(30, 20, 0, 0)
out["over_c2"] = qel.overlapping(c2)
qel.setLayer(c.id, 1)
out["over_c2_layered"] = qel.overlapping(c2.id)
out["sprite_corner"] = [qel.collides(s, corner), qel.collides(s, corner, mask=True)]
out["sprite_middle"] = [qel.collides(middle, s, mask=True)]
out["sprites_apart"] = [qel.collides(s, s2), qel.collides(s, s2, mask=True), qel.overlapping(s, mask=True)]
s2.moveTo(108, 108)
out["sprites_met"] = [qel.collides(s, s2, mask=True), qel.overlapping(s, mask=True)]
out["text"] = [qel.collides(t, qel.createRectangle(5, 205, 2, 2, "#ffffff", 0)), qel.objectsIn(0, 198, 3, 3)]
out["window"] = qel.objectsIn(0, 0, 240, 240)
qel.removeObject(c.id)
out["removed"] = [qel.overlapping(c2), qel.collides(c, c2), qel.overlapping(c)]
qel.moveTo(r.id, 200, 10)
out["moved"] = [qel.collides(r, c2), qel.objectsIn(205, 15, 1, 1), qel.objectsIn(15, 15, 1, 1)]
out["ids"] = {name: h.id for name, h in dict(r=r, c=c, c2=c2, s=s, s2=s2, corner=corner, middle=middle, t=t).items()}
errors = []
for call in [lambda: qel.collides("a", 1), lambda: qel.collides(-1, 0), lambda: qel.overlapping(2**32),
             lambda: qel.collides(0, 1.5), lambda: qel.objectsIn(0, 0, -1, 5),
             lambda: qel.objectsIn(math.nan, 0, 1, 1), lambda: qel.collides(0, 1, True),
             # What an .id property raises goes on as it is.
             lambda: qel.collides(type("Broken", (), {"id": property(lambda self: 1 / 0)})(), 0)]:
    try:
        call()
        errors.append(None)
    except Exception as e:
        errors.append(type(e).__name__)
out["errors"] = errors
print("RESULT " + json.dumps(out))
"""


def test_collisions_overlaps_and_regions(run_qel, renderer, tmp_path):
    r = run_qel(SNIPPET, env={"QEL_RENDERER": renderer}, args=[str(tmp_path)])
    assert r.returncode == 0, r.output
    out = json.loads(r.stdout.split("RESULT ", 1)[1])
    i = out["ids"]
    # Shapes that only touch share no pixel; a point region includes edges.
    assert out["touching"] == [False, True, True]
    assert out["touch_point"] == [i["r"], i["c"]]
    assert out["over_c2"] == [i["r"], i["c"]]
    assert out["over_c2_layered"] == [i["c"], i["r"]]
    assert out["sprite_corner"] == [True, False]
    assert out["sprite_middle"] == [True]
    assert out["sprites_apart"] == [True, False, [i["middle"]]]
    assert out["sprites_met"] == [True, [i["s2"], i["middle"]]]
    assert out["text"][0] is True and out["text"][1] == [i["t"]]
    assert out["window"][:3] == [i["c"], i["r"], i["c2"]] and len(out["window"]) == 9
    assert out["removed"] == [[i["r"]], False, []]
    assert out["moved"] == [False, [i["r"]], []]
    assert out["errors"] == ["TypeError", "ValueError", "ValueError", "TypeError", "ValueError", "ValueError",
                             "TypeError", "ZeroDivisionError"]


CAMERA = r"""
import json
import qel
qel.init([], 240, 240, offscreen=True, quiet=True)
world = qel.createRectangle(100, 100, 10, 10, "#ffffff", 0)
hud = qel.createRectangle(110, 125, 5, 5, "#ffffff", 0)
hud.setLayer(5)
before = [qel.objectAt(105, 105), qel.collides(world, hud), qel.objectsIn(100, 120, 1, 1)]
# World (100, 100) shows at (120, 120), twice as large, turned a quarter clockwise: the
# rectangle covers window x 100..120, y 120..140, under the fixed one.
qel.setCamera(100, 100, 2, 90, anchor=(120, 120))
qel.setLayerFixed(5)
after = [qel.objectAt(105, 105), qel.objectAt(101, 139), qel.objectAt(112, 127), qel.collides(world, hud),
         qel.objectsIn(100, 120, 1, 1), qel.objectsIn(111, 126, 1, 1), qel.overlapping(hud)]
print("RESULT " + json.dumps([before, after, world.id, hud.id]))
"""


def test_window_questions_through_a_camera(run_qel):
    r = run_qel(CAMERA)
    assert r.returncode == 0, r.output
    before, after, world, hud = json.loads(r.stdout.split("RESULT ", 1)[1])
    assert before == [world, False, []]
    assert after == [-1, world, hud, True, [world], [hud, world], [world]]
