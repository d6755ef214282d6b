"""What ends up in the real window, with either renderer: clear colour, discs, rectangles,
the demo triangles, recolouring and moving, creation order on overlap, and identifiers."""
import json
import textwrap

import pytest

CLEAR = (3, 3, 3)
RED = (255, 0, 0)
GREEN = (0, 255, 0)
BLUE = (0, 0, 255)
YELLOW = (255, 255, 0)

# Every snippet samples pixels into `out`; the last stdout line carries them back.
PRELUDE = """
import json
import qel
import qel_testing
from qel_testing import grab, pump
out = {}
def px(img, x, y):
    return [int(v) for v in img[y, x]]
"""
EPILOGUE = """
print("RESULT " + json.dumps(out))
"""


def run_sampled(run_qel, body, renderer=None, **kwargs):
    code = PRELUDE + textwrap.dedent(body) + EPILOGUE
    if renderer:
        kwargs["env"] = dict(kwargs.get("env") or {}, QEL_RENDERER=renderer)
    r = run_qel(code, **kwargs)
    assert r.returncode == 0, r.output
    lines = [line for line in r.stdout.splitlines() if line.startswith("RESULT ")]
    assert lines, r.output
    return json.loads(lines[-1][len("RESULT "):]), r


def assert_pixel(actual, expected, where, tol=2):
    assert all(abs(a - e) <= tol for a, e in zip(actual, expected)), \
        f"pixel {where}: got {tuple(actual)}, expected {expected} (+-{tol})"


# Circle (100, 100) r 20: pixels just inside the rim and the corners of its bounding square.
CIRCLE_INSIDE = [(100, 100), (100, 82), (118, 100), (82, 100), (100, 118)]
CIRCLE_OUTSIDE = [(82, 82), (117, 82), (82, 117), (117, 117), (100, 79), (121, 100), (79, 100), (100, 121)]
# Rectangle x 300..419, y 200..249, one pixel of slack at each edge.
RECT_INSIDE = [(360, 225), (301, 225), (418, 225), (360, 201), (360, 248), (301, 201), (418, 248)]
RECT_OUTSIDE = [(298, 225), (421, 225), (360, 198), (360, 251)]
# After the moves: circle at (200, 400), rectangle at x 450..569, y 300..349.
MOVED_CIRCLE_INSIDE = [(200, 400), (200, 382), (218, 400)]
MOVED_CIRCLE_OUTSIDE = [(100, 100), (200, 379), (182, 382)]
MOVED_RECT_INSIDE = [(451, 301), (568, 348), (510, 325)]
MOVED_RECT_OUTSIDE = [(360, 225), (301, 225), (448, 325), (571, 325), (510, 298), (510, 351)]


@pytest.mark.parametrize("size", [(800, 600), (640, 480)], ids=["800x600", "640x480"])
def test_clear_circle_rectangle_and_updates(run_qel, renderer, size):
    width, height = size
    points = {
        "before": CIRCLE_INSIDE + CIRCLE_OUTSIDE + RECT_INSIDE + RECT_OUTSIDE,
        "after": MOVED_CIRCLE_INSIDE + MOVED_CIRCLE_OUTSIDE + MOVED_RECT_INSIDE + MOVED_RECT_OUTSIDE,
    }
    out, _ = run_sampled(run_qel, f"""
        points = {points!r}
        qel.init([], {width}, {height})
        pump(qel)
        img = grab()
        out["shape"] = list(img.shape)
        out["empty_min"] = [int(v) for v in img.reshape(-1, 3).min(axis=0)]
        out["empty_max"] = [int(v) for v in img.reshape(-1, 3).max(axis=0)]

        circle = qel.createCircle(100, 100, 20, "#ff0000", 0)
        rect = qel.createRectangle(300, 200, 50, 120, "#ff0000", 0)
        pump(qel)
        img = grab()
        out["before"] = [px(img, x, y) for x, y in points["before"]]

        qel.updateColor(circle.id, 0x00ff00)
        qel.moveTo(circle.id, 200, 400)
        qel.updateColor(rect.id, 0x0000ff)
        qel.moveTo(rect.id, 450, 300)
        pump(qel)
        img = grab()
        out["after"] = [px(img, x, y) for x, y in points["after"]]
    """, renderer=renderer)
    assert out["shape"] == [height, width, 3]
    for lo, hi in zip(out["empty_min"], out["empty_max"]):
        assert CLEAR[0] - 2 <= lo and hi <= CLEAR[0] + 2, out

    before = dict(zip(map(tuple, points["before"]), out["before"]))
    for p in CIRCLE_INSIDE + RECT_INSIDE:
        assert_pixel(before[p], RED, p)
    for p in CIRCLE_OUTSIDE + RECT_OUTSIDE:
        assert_pixel(before[p], CLEAR, p)

    after = dict(zip(map(tuple, points["after"]), out["after"]))
    for p in MOVED_CIRCLE_INSIDE:
        assert_pixel(after[p], GREEN, p)
    for p in MOVED_RECT_INSIDE:
        assert_pixel(after[p], BLUE, p)
    for p in MOVED_CIRCLE_OUTSIDE + MOVED_RECT_OUTSIDE:
        assert_pixel(after[p], CLEAR, p)


@pytest.mark.parametrize("size", [(800, 600), (640, 480)], ids=["800x600", "640x480"])
@pytest.mark.parametrize("create, colour", [
    ("qel.loadGameObjects()", (26, 204, 26)),
    ("qel.createTri()", (230, 204, 26)),
], ids=["loadGameObjects", "createTri"])
def test_demo_triangles_cover_their_fixed_point(run_qel, renderer, size, create, colour):
    width, height = size
    x, y = int(0.6 * width), int(0.5 * height)
    # The triangle spins; sample it at several moments.
    out, _ = run_sampled(run_qel, f"""
        qel.init([], {width}, {height})
        {create}
        out["samples"] = []
        for _ in range(3):
            pump(qel, frames=8)
            out["samples"].append(px(grab(), {x}, {y}))
    """, renderer=renderer)
    for sample in out["samples"]:
        assert_pixel(sample, colour, (x, y))


def test_identifiers_count_on_and_a_failed_creation_uses_none(run_qel):
    out, _ = run_sampled(run_qel, """
        qel.init([], 320, 240)
        qel.loadGameObjects()
        out["tri"] = qel.createTri()
        try:
            qel.createCircle(10, 10, 5, "#zz", 0)
        except ValueError as e:
            out["error"] = str(e)
        out["circle"] = qel.createCircle(10, 10, 5, "#00ff00", 0).id
        try:
            qel.createRectangle(10, 10, 5, 5, "", 0)
        except IndexError as e:
            out["error2"] = str(e)
        out["rect"] = qel.createRectangle(10, 10, 5, 5, "#00ff00", 0).id
    """)
    assert out == {"tri": 1, "error": "invalid stoul argument", "circle": 2,
                   "error2": "invalid string position", "rect": 3}


def test_first_created_stays_on_top_where_shapes_overlap(run_qel, renderer):
    out, _ = run_sampled(run_qel, """
        qel.init([], 400, 300)
        # circle then rectangle
        qel.createCircle(100, 100, 30, "#ff0000", 0)
        qel.createRectangle(100, 80, 40, 80, "#0000ff", 0)
        # rectangle then circle
        qel.createRectangle(200, 180, 50, 80, "#00ff00", 0)
        qel.createCircle(280, 205, 30, "#ffff00", 0)
        # a shape under the fixed point of the full triangle made after it
        qel.createCircle(240, 150, 10, "#0000ff", 0)
        qel.createTri()
        pump(qel)
        img = grab()
        for name, (x, y) in {"both1": (110, 100), "circle1": (85, 100), "rect1": (150, 100),
                             "both2": (270, 205), "rect2": (220, 205), "circle2": (300, 205),
                             "under_tri": (240, 150)}.items():
            out[name] = px(img, x, y)
    """, renderer=renderer)
    assert_pixel(out["both1"], RED, "circle over later rectangle")
    assert_pixel(out["circle1"], RED, "circle alone")
    assert_pixel(out["rect1"], BLUE, "rectangle alone")
    assert_pixel(out["both2"], GREEN, "rectangle over later circle")
    assert_pixel(out["rect2"], GREEN, "rectangle alone")
    assert_pixel(out["circle2"], YELLOW, "circle alone")
    assert_pixel(out["under_tri"], BLUE, "circle over later triangle")


def test_translucent_shapes_and_text_blend_over_what_is_below(run_qel, renderer):
    # A white band (x 60..140) lies under the shapes created before it; the translucent
    # rectangle straddles its edge, the alpha-0 one lies wholly on it.
    out, _ = run_sampled(run_qel, """
        import time
        import numpy as np
        qel.init([], 320, 240, offscreen=True, background=(10, 20, 30))
        def frame():
            for _ in range(3):
                time.sleep(0.02)
                qel.poll()
            return np.frombuffer(qel.readPixels(), np.uint8).reshape(240, 320, 4)
        def sample(img):
            return {name: [int(v) for v in img[y, x]] for name, (x, y) in
                    {"rect_bg": (40, 40), "rect_white": (80, 40), "circle": (200, 60), "ghost": (100, 120),
                     "text": (int(text.top_left.x + text.width / 2), int(text.top_left.y + text.height / 2)),
                     "background": (300, 220)}.items()}
        rect = qel.createRectangle(20, 20, 40, 80, "#000000", 0)
        circle = qel.createCircle(200, 60, 30, "#000000", 0)
        ghost = qel.createRectangle(70, 100, 40, 60, "#000000", 0)
        text = qel.createText(200, 130, "\\u2588", 40, color=(0, 255, 0, 160))
        qel.createRectangle(60, 0, 240, 80, "#ffffff", 0)
        qel.updateColor(rect.id, (255, 0, 0, 128))
        qel.updateColor(circle.id, "#0000FF40")
        qel.updateColor(ghost.id, [0, 255, 0, 0])
        out["first"] = sample(frame())
        qel.setBackground("#20406000")
        qel.updateColor(rect.id, 0x00ff00)
        qel.updateColors([circle.id, ghost.id, text.id], ["#ff000080", (0, 0, 255, 128), 0x0000ff])
        out["second"] = sample(frame())
        # Nothing else changes: the still scene must still be drawn again.
        qel.setBackground("white")
        out["third"] = sample(frame())["background"]
    """, renderer=renderer)

    def over(colour, alpha, below):
        return [c * alpha / 255 + b * (1 - alpha / 255) for c, b in zip(colour, below)]

    bg, white = (10, 20, 30), (255, 255, 255)
    expected = {"rect_bg": over(RED, 128, bg), "rect_white": over(RED, 128, white), "circle": over(BLUE, 64, bg),
                "ghost": white, "text": over(GREEN, 160, bg), "background": bg}
    bg = (0x20, 0x40, 0x60)
    # An int makes the rectangle opaque again; the background drops its alpha.
    expected2 = {"rect_bg": GREEN, "rect_white": GREEN, "circle": over(RED, 128, bg), "ghost": over(BLUE, 128, white),
                 "text": BLUE, "background": bg}
    assert out["third"] == [255, 255, 255, 255]
    for got, want in ((out["first"], expected), (out["second"], expected2)):
        for name, colour in want.items():
            assert got[name][3] == 255, (name, got[name])
            assert all(abs(g - w) <= 1 for g, w in zip(got[name], colour)), (name, got[name], colour)


def test_shapes_billions_of_pixels_wide_cover_the_frame(run_qel, renderer):
    # Far beyond the frame a quad's corners overflow the rasteriser's fixed point unless
    # what lies outside is cut off first.
    out, _ = run_sampled(run_qel, """
        import os
        import numpy as np
        qel.init([], 320, 240, offscreen=True)
        qel.createRectangle(-1e10, 10, 40, 2e10, "#ff0000", 0)
        star = os.path.join(qel_testing.HERE, "..", "..", "demo", "star.png")
        qel.createSprite(-1e10, 100, star, 2e10, 40)
        qel.createRectangle(100, -1e10, 2e10, 20, "#0000ff", 0)
        qel.createCircle(160, 120, 1e10, "#00ff00", 0)   # below them all, holding the frame
        qel.poll()
        img = np.frombuffer(qel.readPixels(), np.uint8).reshape(240, 320, 4)
        out["rect"] = int((img[30, :, 0] == 255).sum())
        out["sprite"] = int((img[120, :, :3] != 3).any(axis=1).sum())
        out["column"] = int((img[150:, 110, 2] == 255).sum())
        out["disc"] = int((img[[5, 235], :, 1] == 255).sum())
    """, renderer=renderer, env={"DISPLAY": None})
    assert out == {"rect": 320, "sprite": 320, "column": 90, "disc": 600}
