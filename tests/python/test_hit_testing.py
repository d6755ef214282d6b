"""isInside: the printed check blocks, inclusive edges, discs versus their bounding square,
degenerate sizes, moved shapes, and ids that are not rectangles or circles."""
import re
import struct

import pytest

# Every query prints a marker, then whatever the engine printed, then the answer, so the
# text the engine wrote for one query can be cut out exactly.
SNIPPET = r"""
import math
import sys
import qel

def check(label, ident, x, y):
    sys.stdout.write("<<" + label + ">>")
    sys.stdout.flush()
    answer = qel.isInside(ident, x, y)
    sys.stdout.write("<<end " + repr(answer) + ">>\n")
    sys.stdout.flush()

qel.init([], 320, 240)
nan = float("nan")

rect = qel.createRectangle(10, 20, 40, 30, "#ff0000", 0)
check("rect_inside", rect.id, 15, 25)
for name, (x, y) in {"rect_top_left": (10, 20), "rect_bottom_right": (40, 60),
                     "rect_bottom_left": (10, 60), "rect_top_right": (40, 20),
                     "rect_past_right": (40.001, 60), "rect_past_left": (9.999, 30),
                     "rect_above": (20, 19.999), "rect_below": (20, 60.001),
                     "rect_nan_x": (nan, 30), "rect_nan_y": (20, nan), "rect_nan_both": (nan, nan),
                     "rect_inf": (math.inf, 30)}.items():
    check(name, rect.id, x, y)

circle = qel.createCircle(100, 50, 20, "#00ff00", 0)
check("circle_inside", circle.id, 110, 50)
for name, (x, y) in {"circle_rim_right": (120, 50), "circle_rim_top": (100, 30),
                     "circle_past_bottom": (100, 70.5), "circle_diagonal_in": (114.1, 64.1),
                     "circle_box_corner": (115, 65), "circle_nan": (nan, 50),
                     "circle_nan_both": (nan, nan)}.items():
    check(name, circle.id, x, y)

dot = qel.createCircle(30, 30, 0, "#0000ff", 0)
check("dot_centre", dot.id, 30, 30)
check("dot_beside", dot.id, 30.001, 30)

flipped = qel.createRectangle(100, 100, -20, -30, "#ffffff", 0)
check("flipped_rect_between", flipped.id, 85, 90)
check("flipped_rect_corner", flipped.id, 100, 100)
inverted = qel.createCircle(50, 50, -10, "#ffffff", 0)
check("inverted_circle_centre", inverted.id, 50, 50)

mover = qel.createRectangle(0, 0, 10, 20, "#ffffff", 0)
qel.moveTo(mover.id, 200, 300)
check("moved_rect_new", mover.id, 205, 305)
check("moved_rect_old", mover.id, 5, 5)
roller = qel.createCircle(60, 60, 10, "#ffffff", 0)
qel.moveTo(roller.id, 250, 150)
check("moved_circle_new", roller.id, 252, 150)
check("moved_circle_old", roller.id, 60, 60)
roller.setX(20)
roller.setY(200)
roller.move()
check("handle_moved_circle_new", roller.id, 20, 200)
mover.moveTo(40, 40)
check("handle_moved_rect_new", mover.id, 45, 45)

# Corners are kept as floats: 0.1 becomes slightly more than 0.1.
fine = qel.createRectangle(0.1, 0.2, 5, 5, "#ffffff", 0)
check("float_corner_double", fine.id, 0.1, 1)
check("float_corner_single", fine.id, FLOAT_POINT_ONE, 1)

tri = qel.createTri()
check("triangle", tri, 0, 0)
check("unknown", 9999, 15, 25)
check("unknown_max", 4294967295, 15, 25)
"""

RECT_BLOCK = "\nRectangle Check:\n\tClick: ({x}, {y})\n\tLeft: {l}\n\tRight: {r}\n\tTop: {t}\n\tBottom: {b}\n\n"
CIRCLE_BLOCK = "\nCircle Check:\n\tClick: ({x}, {y})\n\tCenter: ({cx}, {cy})\n\tDistance: {d}\n\n"
FLOAT_POINT_ONE = struct.unpack("f", struct.pack("f", 0.1))[0]


@pytest.fixture(scope="module")
def checks(build_dir):
    from qel_testing import run_snippet

    r = run_snippet(SNIPPET.replace("FLOAT_POINT_ONE", repr(FLOAT_POINT_ONE)), build_dir=build_dir)
    assert r.returncode == 0, r.output
    found = {label: (printed, answer == "True")
             for label, printed, answer in re.findall(r"<<(\w+)>>(.*?)<<end (\w+)>>\n", r.stdout, re.S)}
    assert "unknown_max" in found, r.output
    return found


@pytest.mark.parametrize("label, block", [
    ("rect_inside", RECT_BLOCK.format(x=15, y=25, l=10, r=40, t=20, b=60)),
    ("circle_inside", CIRCLE_BLOCK.format(x=110, y=50, cx=100, cy=50, d=10)),
    ("flipped_rect_between", RECT_BLOCK.format(x=85, y=90, l=100, r=70, t=100, b=80)),
    ("inverted_circle_centre", CIRCLE_BLOCK.format(x=50, y=50, cx=50, cy=50, d=0)),
    ("moved_rect_new", RECT_BLOCK.format(x=205, y=305, l=200, r=220, t=300, b=310)),
    ("moved_circle_new", CIRCLE_BLOCK.format(x=252, y=150, cx=250, cy=150, d=2)),
    ("dot_beside", CIRCLE_BLOCK.format(x=30.001, y=30, cx=30, cy=30, d=0.001)),
    ("float_corner_double", RECT_BLOCK.format(x=0.1, y=1, l=0.1, r=5.1, t=0.2, b=5.2)),
])
def test_printed_block(checks, label, block):
    assert checks[label][0] == block


@pytest.mark.parametrize("label, inside", [
    ("rect_inside", True),
    ("rect_top_left", True),
    ("rect_bottom_right", True),
    ("rect_bottom_left", True),
    ("rect_top_right", True),
    ("rect_past_right", False),
    ("rect_past_left", False),
    ("rect_above", False),
    ("rect_below", False),
    ("circle_inside", True),
    ("circle_rim_right", True),
    ("circle_rim_top", True),
    ("circle_past_bottom", False),
    ("circle_diagonal_in", True),
    ("circle_box_corner", False),  # inside the bounding square, outside the disc
    ("dot_centre", True),
    ("dot_beside", False),
    ("flipped_rect_between", False),
    ("flipped_rect_corner", False),
    ("inverted_circle_centre", False),
    ("moved_rect_new", True),
    ("moved_rect_old", False),
    ("moved_circle_new", True),
    ("moved_circle_old", False),
    ("handle_moved_circle_new", True),
    ("handle_moved_rect_new", True),
    ("float_corner_double", False),
    ("float_corner_single", True),
])
def test_answer(checks, label, inside):
    assert checks[label][1] is inside


@pytest.mark.parametrize("label", ["rect_nan_x", "rect_nan_y", "rect_nan_both", "rect_inf",
                                   "circle_nan", "circle_nan_both"])
def test_non_finite_point_is_never_inside(checks, label):
    assert checks[label][1] is False


@pytest.mark.parametrize("label", ["triangle", "unknown", "unknown_max"])
def test_not_a_hit_testable_shape(checks, label):
    assert checks[label] == ("", False)
