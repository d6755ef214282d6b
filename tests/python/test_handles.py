"""The Point2D, Circle and Rectangle handles: text forms, instances whose __init__ never
ran, read-only records with live point views, setters that touch only the handle,
creation, clamped step moves, and what the step moves and setColor do to the window."""
import json
import textwrap

import pytest

CLEAR = (3, 3, 3)


def run_ok(run_qel, body, **kwargs):
    r = run_qel(body, **kwargs)
    assert r.returncode == 0, r.output
    return r


def result_of(r):
    lines = [line for line in r.stdout.splitlines() if line.startswith("RESULT ")]
    assert lines, r.output
    return json.loads(lines[-1][len("RESULT "):])


def near(actual, expected, tol=2):
    return all(abs(a - e) <= tol for a, e in zip(actual, expected))


def test_text_forms_and_constructed_fields(run_qel):
    r = run_ok(run_qel, """
        import qel
        assert repr(qel.Point2D(1.5, 2)) == "(1.5, 2)"
        assert repr(qel.Point2D(1234567, 0.1)) == "(1.23457e+06, 0.1)"
        assert repr(qel.Point2D(-0.000012345678, 123.4567)) == "(-1.23457e-05, 123.457)"
        c = qel.Circle(3, qel.Point2D(1, 2), 4, 5)
        assert repr(c) == "Circle<3>"
        assert (c.id, c.center.x, c.center.y, c.radius, c.speed) == (3, 1, 2, 4, 5)
        r = qel.Rectangle(5, qel.Point2D(0, 0), 10, 20)
        assert repr(r) == "Rectangle<5>"
        assert (r.id, r.top_left.x, r.top_left.y, r.height, r.width, r.speed) == (5, 0, 0, 10, 20, 0)
        assert repr(qel.Circle(4294967295, qel.Point2D(0, 0), 1, 1)) == "Circle<4294967295>"
        c.display()
        r.display()
    """)
    assert r.stdout == "(1, 2)\n(0, 0)\n"


def test_instances_whose_init_never_ran_read_as_zero(run_qel):
    r = run_ok(run_qel, """
        import qel
        # Freed handles leave their values behind for the allocator to hand out again.
        for _ in range(3):
            junk = [qel.Circle(123456, qel.Point2D(7, 8), 9, 10) for _ in range(300)]
            junk += [qel.Rectangle(654321, qel.Point2D(-7, -8), 9, 10) for _ in range(300)]
            junk += [qel.Point2D(3, 4) for _ in range(300)]
            del junk
            blank = [(qel.Circle.__new__(qel.Circle), qel.Rectangle.__new__(qel.Rectangle),
                      qel.Point2D.__new__(qel.Point2D)) for _ in range(300)]
            seen = {(repr(c), c.id, c.center.x, c.center.y, c.radius, c.speed,
                     repr(r), r.id, r.top_left.x, r.top_left.y, r.height, r.width, r.speed,
                     repr(p), p.x, p.y) for c, r, p in blank}
            zero = ("Circle<0>", 0, 0, 0, 0, 0, "Rectangle<0>", 0, 0, 0, 0, 0, 0, "(0, 0)", 0, 0)
            assert seen == {zero}, sorted(seen - {zero})[:2]
        qel.init([], 320, 240)
        qel.poll()
        c, r = qel.Circle.__new__(qel.Circle), qel.Rectangle.__new__(qel.Rectangle)
        c.moveRight(); c.moveUp(); r.moveLeft(); r.moveDown(); c.move(); r.moveTo(0, 0)
        c.display()
        r.display()
        # Every other class qel registers is made only by its functions, and refuses any other way.
        made = {qel.Point2D, qel.Circle, qel.Rectangle}
        classes = [v for v in vars(qel).values() if isinstance(v, type) and v.__module__ == "qel"]
        assert {qel.Sheet, qel.Sound, qel.Voice, qel.Sprite, qel.Polygon} <= set(classes), classes
        for cls in set(classes) - made:
            own = type("Own", (cls,), {"__new__": lambda k: cls.__mro__[1].__new__(k)})
            for way in (lambda: cls.__new__(cls), lambda: object.__new__(cls), lambda: cls(),
                        lambda: cls.__mro__[1].__new__(cls), lambda: type("Sub", (cls,), {})(), own):
                try:
                    way()
                except TypeError as e:
                    assert "cannot be made directly" in str(e) or "is not safe" in str(e), (cls, e)
                else:
                    raise AssertionError(f"{cls.__name__} made without its function")
    """)
    assert r.stdout.endswith("(0, 0)\n(0, 0)\n"), r.output


def test_record_attributes_are_read_only(run_qel):
    run_ok(run_qel, """
        import qel
        c = qel.Circle(3, qel.Point2D(1, 2), 4, 5)
        r = qel.Rectangle(5, qel.Point2D(0, 0), 10, 20)
        cases = [(c, "radius", 1.0), (c, "id", 1), (c, "speed", 1.0), (c, "center", qel.Point2D(9, 9)),
                 (r, "width", 1.0), (r, "height", 1.0), (r, "id", 1), (r, "speed", 1.0),
                 (r, "top_left", qel.Point2D(9, 9))]
        for handle, name, value in cases:
            try:
                setattr(handle, name, value)
            except AttributeError:
                pass
            else:
                raise AssertionError(f"{handle!r}.{name} accepted an assignment")
        assert (c.id, c.center.x, c.center.y, c.radius, c.speed) == (3, 1, 2, 4, 5)
        assert (r.id, r.top_left.x, r.top_left.y, r.height, r.width, r.speed) == (5, 0, 0, 10, 20, 0)
    """)


def test_point_views_are_live_and_keep_the_handle_alive(run_qel):
    r = run_ok(run_qel, """
        import gc
        import qel
        c = qel.Circle(3, qel.Point2D(1, 2), 4, 5)
        c.center.x = 7
        assert c.center.x == 7
        c.display()
        first, second = c.center, c.center
        first.y = -3.5
        assert second.y == -3.5 and c.center.y == -3.5

        r = qel.Rectangle(5, qel.Point2D(0, 0), 10, 20)
        r.top_left.y = 9
        r.display()

        # The view outlives every other reference to its handle.
        views = []
        for i in range(200):
            h = qel.Circle(i, qel.Point2D(i, i + 0.5), 1, 1)
            views.append(h.center)
            del h
        corner = qel.Rectangle(1, qel.Point2D(4, 6), 1, 1).top_left
        del c
        gc.collect()
        # Fresh allocations would reuse freed memory if the views dangled.
        junk = [qel.Circle(9, qel.Point2D(-1, -1), 1, 1) for _ in range(200)]
        assert [(v.x, v.y) for v in views] == [(i, i + 0.5) for i in range(200)]
        first.x = 11
        assert (first.x, first.y, second.x) == (11, -3.5, 11)
        assert (corner.x, corner.y) == (4, 6)
        corner.x = 8
        print(first, corner)
    """)
    assert r.stdout == "(7, 2)\n(0, 9)\n(11, -3.5) (8, 6)\n"


def test_constructors_copy_the_point_and_setters_change_fields(run_qel):
    run_ok(run_qel, """
        import qel
        p = qel.Point2D(1, 2)
        c = qel.Circle(0, p, 1, 1)
        r = qel.Rectangle(1, p, 3, 4)
        p.x = 99
        c.center.y = 50
        assert (c.center.x, c.center.y) == (1, 50)
        assert (r.top_left.x, r.top_left.y) == (1, 2)
        assert (p.x, p.y) == (99, 2)

        c.setX(10); c.setY(-20); c.setRadius(2.5); c.setSpeed(-4)
        assert (c.center.x, c.center.y, c.radius, c.speed) == (10, -20, 2.5, -4)
        r.setX(30); r.setY(40); r.setWidth(0.25); r.setSpeed(1e6)
        assert (r.top_left.x, r.top_left.y, r.width, r.height, r.speed) == (30, 40, 0.25, 3, 1e6)
    """)


def test_created_handles_and_setters_leave_the_engine_alone(run_qel):
    run_ok(run_qel, """
        import qel
        qel.init([], 800, 600)
        tri = qel.createTri()
        c = qel.createCircle(100, 100, 20, "#ff0000", 50)
        assert isinstance(c, qel.Circle) and c.id == tri + 1 and repr(c) == f"Circle<{tri + 1}>"
        assert (c.center.x, c.center.y, c.radius, c.speed) == (100, 100, 20, 50)
        r = qel.createRectangle(10, 20, 40, 30, "#00ff00", 7)
        assert isinstance(r, qel.Rectangle) and r.id == c.id + 1
        assert (r.top_left.x, r.top_left.y, r.height, r.width, r.speed) == (10, 20, 40, 30, 7)
        assert qel.isInside(r.id, 40, 60) and not qel.isInside(r.id, 41, 30)

        c.setX(300); c.setY(400); c.setRadius(50); c.setSpeed(5)
        assert qel.isInside(c.id, 100, 100) and not qel.isInside(c.id, 300, 400)
        c.move()
        assert qel.isInside(c.id, 300, 400)
        assert not qel.isInside(c.id, 340, 400)  # the engine's disc keeps radius 20

        r.setWidth(100); r.setX(500); r.setY(500)
        assert qel.isInside(r.id, 15, 25) and not qel.isInside(r.id, 100, 30)
        r.moveTo(200, 300)
        assert (r.top_left.x, r.top_left.y) == (200, 300)
        assert qel.isInside(r.id, 205, 305) and not qel.isInside(r.id, 15, 25)
        assert not qel.isInside(r.id, 260, 305)  # the engine's area keeps width 30
    """)


# Step moves, checked exactly against the frame time the engine reports: the first step
# of a handle in each direction covers it, a repeat within the same poll covers nothing.
# Each case: shape, (x, y), size (radius, or (height, width)), speed, steps, and the
# expected position after each step given dt, W, H. Clamped results need no dt at all.
def circle_up(x, y, r, s):
    return lambda dt, W, H: (x, max(y - dt * s, r))


def circle_down(x, y, r, s):
    return lambda dt, W, H: (x, min(y + dt * s, H - r))


def circle_left(x, y, r, s):
    return lambda dt, W, H: (max(x - dt * s, r), y)


def circle_right(x, y, r, s):
    return lambda dt, W, H: (min(x + dt * s, W - r), y)


def rect_up(x, y, s):
    return lambda dt, W, H: (x, max(y - dt * s, 0.0))


def rect_down(x, y, h, s):
    return lambda dt, W, H: (x, min(y + dt * s, H - h))


def rect_left(x, y, s):
    return lambda dt, W, H: (max(x - dt * s, 0.0), y)


def rect_right(x, y, w, s):
    return lambda dt, W, H: (min(x + dt * s, W - w), y)


def fixed(x, y):
    return lambda dt, W, H: (x, y)


STEP_CASES = {
    "circle_up": ("circle", (400, 300), 20, 10, ["moveUp"], [circle_up(400, 300, 20, 10)]),
    "circle_down": ("circle", (400, 300), 20, 10, ["moveDown"], [circle_down(400, 300, 20, 10)]),
    "circle_left": ("circle", (400, 300), 20, 10, ["moveLeft"], [circle_left(400, 300, 20, 10)]),
    "circle_right": ("circle", (400, 300), 20, 10, ["moveRight"], [circle_right(400, 300, 20, 10)]),
    "circle_up_clamped": ("circle", (400, 300), 20, 1e6, ["moveUp"], [fixed(400, 20)]),
    "circle_down_clamped": ("circle", (400, 300), 20, 1e6, ["moveDown"], [fixed(400, 580)]),
    "circle_left_clamped": ("circle", (400, 300), 20, 1e6, ["moveLeft"], [fixed(20, 300)]),
    "circle_right_clamped": ("circle", (400, 300), 20, 1e6, ["moveRight"], [fixed(780, 300)]),
    "circle_still_left_clamps": ("circle", (5, 300), 20, 0, ["moveLeft"], [fixed(20, 300)]),
    "circle_still_right_keeps": ("circle", (5, 300), 20, 0, ["moveRight"], [fixed(5, 300)]),
    "circle_still_down_clamps": ("circle", (400, 590), 20, 0, ["moveDown"], [fixed(400, 580)]),
    "circle_back_up": ("circle", (400, 300), 20, -1e6, ["moveUp"], [circle_up(400, 300, 20, -1e6)]),
    "circle_back_right": ("circle", (400, 300), 20, -1e6, ["moveRight"], [circle_right(400, 300, 20, -1e6)]),
    "circle_back_left": ("circle", (400, 300), 20, -10, ["moveLeft"], [circle_left(400, 300, 20, -10)]),
    "circle_right_twice_in_one_poll": ("circle", (400, 300), 20, 10, ["moveRight", "moveRight"],
                                       [circle_right(400, 300, 20, 10), circle_right(400, 300, 20, 10)]),
    "circle_round_trip": ("circle", (400, 300), 20, 1e6, ["moveRight", "moveDown", "moveLeft", "moveUp"],
                          [fixed(780, 300), fixed(780, 580), fixed(20, 580), fixed(20, 20)]),
    "rect_up": ("rect", (100, 100), (50, 100), 10, ["moveUp"], [rect_up(100, 100, 10)]),
    "rect_down": ("rect", (100, 100), (50, 100), 10, ["moveDown"], [rect_down(100, 100, 50, 10)]),
    "rect_left": ("rect", (100, 100), (50, 100), 10, ["moveLeft"], [rect_left(100, 100, 10)]),
    "rect_right": ("rect", (100, 100), (50, 100), 10, ["moveRight"], [rect_right(100, 100, 100, 10)]),
    "rect_up_clamped": ("rect", (100, 100), (50, 100), 1e6, ["moveUp"], [fixed(100, 0)]),
    "rect_down_clamped": ("rect", (100, 100), (50, 100), 1e6, ["moveDown"], [fixed(100, 550)]),
    "rect_left_clamped": ("rect", (100, 100), (50, 100), 1e6, ["moveLeft"], [fixed(0, 100)]),
    "rect_right_clamped": ("rect", (100, 100), (50, 100), 1e6, ["moveRight"], [fixed(700, 100)]),
    "rect_right_edge": ("rect", (750, 100), (50, 100), 1e6, ["moveRight"], [fixed(700, 100)]),
    "rect_still_right_edge": ("rect", (750, 100), (50, 100), 0, ["moveRight"], [fixed(700, 100)]),
    "rect_still_clamps_moving_side": ("rect", (100, -30), (50, 100), 0, ["moveDown", "moveUp"],
                            [fixed(100, -30), fixed(100, 0)]),
    "rect_back_left": ("rect", (100, 100), (50, 100), -1e6, ["moveLeft"], [rect_left(100, 100, -1e6)]),
    "rect_back_down": ("rect", (100, 100), (50, 100), -10, ["moveDown"], [rect_down(100, 100, 50, -10)]),
    "rect_taller_than_window": ("rect", (10, 10), (700, 50), 1, ["moveDown", "moveUp"],
                                [fixed(10, -100), fixed(10, 0)]),
}


@pytest.fixture(scope="module")
def stepped(build_dir):
    from qel_testing import run_snippet

    cases = {name: case[:5] for name, case in STEP_CASES.items()}
    code = textwrap.dedent("""
        import json
        import qel
        cases = json.loads(CASES)
        qel.init([], 800, 600)
        qel.poll()
        dt = qel.deltaTime()
        out = {"dt": dt, "W": qel.getWindowWidth(), "H": qel.getWindowHeight(), "cases": {}}
        for name, (kind, (x, y), size, speed, steps) in cases.items():
            if kind == "circle":
                h = qel.createCircle(x, y, size, "#ff0000", speed)
                pos = h.center
            else:
                h = qel.createRectangle(x, y, size[0], size[1], "#ff0000", speed)
                pos = h.top_left
            trail = []
            for step in steps:
                getattr(h, step)()
                trail.append([pos.x, pos.y])
            # The engine copy moved too: hit-test the middle of the shape where it now is.
            mid = (pos.x, pos.y) if kind == "circle" else (pos.x + size[1] / 2, pos.y + size[0] / 2)
            out["cases"][name] = {"trail": trail, "hit": qel.isInside(h.id, *mid)}
        out["dt_after"] = qel.deltaTime()
        print("RESULT " + json.dumps(out))
    """).replace("CASES", repr(json.dumps(cases)))
    r = run_snippet(code, build_dir=build_dir)
    assert r.returncode == 0, r.output
    return result_of(r)


def test_frame_time_stays_fixed_without_polling(stepped):
    assert stepped["dt"] > 0
    assert stepped["dt_after"] == stepped["dt"]
    assert (stepped["W"], stepped["H"]) == (800, 600)


@pytest.mark.parametrize("name", list(STEP_CASES))
def test_step_move(stepped, name):
    dt, W, H = stepped["dt"], float(stepped["W"]), float(stepped["H"])
    expected = [list(map(float, f(dt, W, H))) for f in STEP_CASES[name][5]]
    got = stepped["cases"][name]
    assert got["trail"] == expected
    assert got["hit"] is True


@pytest.mark.parametrize("period", [0.001, 0.016], ids=["1ms", "16ms"])
def test_step_moves_cover_speed_per_second_however_often_the_loop_runs(run_qel, period):
    # Each loop steps right twice and down once; the rectangle goes up and left. However
    # often that happens, each direction covers the speed per second.
    r = run_ok(run_qel, f"""
        import json, time
        import qel
        qel.init([], 800, 600)
        c = qel.createCircle(100, 100, 10, "#ff0000", 100)
        r = qel.createRectangle(600, 500, 10, 10, "#ff0000", 100)
        qel.poll()
        time.sleep(0.02)
        qel.poll()  # draws, so the loop's first step covers only its own period
        start = time.monotonic()
        while time.monotonic() - start < 1.0:
            time.sleep({period})
            qel.poll()
            c.moveRight(); c.moveDown(); c.moveRight()
            r.moveUp(); r.moveLeft()
        elapsed = time.monotonic() - start
        out = {{"elapsed": elapsed, "circle": [c.center.x - 100, c.center.y - 100],
               "rect": [600 - r.top_left.x, 500 - r.top_left.y]}}
        print("RESULT " + json.dumps(out))
    """)
    out = result_of(r)
    expected = 100 * out["elapsed"]
    for moved in out["circle"] + out["rect"]:
        assert abs(moved - expected) < 10, out  # within a few frames; noise allowed


def test_unclamped_cases_really_move(stepped):
    # Guards the table: with a plausible frame time the speed-10 cases stay off the limits
    # and the speed -1e6 ones travel far past the opposite side.
    dt = stepped["dt"]
    assert 0 < dt * 10 < 80 and dt * 1e6 > 1000
    cases = stepped["cases"]
    assert cases["circle_up"]["trail"][0][1] < 300
    assert cases["circle_back_up"]["trail"][0][1] > 1000
    assert cases["circle_back_right"]["trail"][0][0] < -1000
    assert cases["rect_back_left"]["trail"][0][0] > 1000


def test_step_moves_need_the_engine(run_qel):
    r = run_ok(run_qel, """
        import qel
        c = qel.Circle(0, qel.Point2D(1, 2), 1, 1)
        r = qel.Rectangle(0, qel.Point2D(1, 2), 1, 1)
        for call in (c.moveUp, c.moveRight, c.move, r.moveDown, r.moveLeft, r.move, lambda: r.moveTo(5, 5)):
            try:
                call()
            except RuntimeError as e:
                assert "init()" in str(e), e
            else:
                raise AssertionError("moved without an engine")
        # A failed move leaves the handle as it was.
        assert (c.center.x, c.center.y, r.top_left.x, r.top_left.y) == (1, 2, 1, 2)
        print("done")
    """)
    assert r.stdout.endswith("done\n")


def test_circle_pushed_right_stops_wholly_inside(run_qel):
    r = run_ok(run_qel, """
        import json, time
        import numpy as np
        import qel
        from qel_testing import grab, pump
        qel.init([], 320, 240)
        c = qel.createCircle(100, 120, 30, "#ff0000", 300)
        pump(qel)
        xs = []
        for _ in range(300):
            time.sleep(0.01)
            qel.poll()
            c.moveRight()
            xs.append(c.center.x)
            if len(xs) > 1 and xs[-1] == xs[-2]:
                break
        pump(qel)
        img = grab().astype(int)
        red = (img[:, :, 0] > 200) & (img[:, :, 1] < 50) & (img[:, :, 2] < 50)
        cols = np.nonzero(red.any(axis=0))[0]
        rows = np.nonzero(red.any(axis=1))[0]
        out = {"x": xs[-1], "steps": len(xs), "count": int(red.sum()),
               "cols": [int(cols.min()), int(cols.max())], "rows": [int(rows.min()), int(rows.max())],
               "edge": img[120, 319].tolist(), "beyond_left": img[120, 257].tolist()}
        print("RESULT " + json.dumps(out))
    """)
    out = result_of(r)
    assert out["x"] == 290 and out["steps"] > 2
    assert out["cols"] == [260, 319]  # touches the right edge, starts one diameter left of it
    assert out["rows"] == [90, 149]
    assert abs(out["count"] - 3.14159 * 30 * 30) < 0.04 * 3.14159 * 30 * 30  # the whole disc shows
    assert near(out["edge"], (255, 0, 0))
    assert near(out["beyond_left"], CLEAR)


def test_step_moves_and_set_color_redraw(run_qel):
    r = run_ok(run_qel, """
        import json
        import qel
        from qel_testing import grab, pump
        qel.init([], 320, 240)
        out = {}
        def sample(key):
            pump(qel)
            img = grab()
            out[key] = [img[40, 40].tolist(), img[40, 300].tolist(), img[220, 300].tolist()]
        r = qel.createRectangle(20, 20, 40, 40, "#00ff00", 1e6)
        qel.poll()
        sample("start")
        r.moveRight()
        sample("right")
        r.moveDown()
        sample("down")
        r.setColor("#0000ff")
        sample("blue")
        for bad in ("#zz0000", "", "#1234567890", "blue"):
            try:
                r.setColor(bad)
            except (ValueError, IndexError) as e:
                out.setdefault("errors", []).append(type(e).__name__)
        sample("after_bad")
        out["where"] = [r.top_left.x, r.top_left.y]
        print("RESULT " + json.dumps(out))
    """)
    out = result_of(r)
    green, blue = (0, 255, 0), (0, 0, 255)
    assert out["where"] == [280, 200]
    assert out["errors"] == ["ValueError", "IndexError", "IndexError", "ValueError"]
    expected = {"start": (green, CLEAR, CLEAR), "right": (CLEAR, green, CLEAR),
                "down": (CLEAR, CLEAR, green), "blue": (CLEAR, CLEAR, blue), "after_bad": (CLEAR, CLEAR, blue)}
    for key, pixels in expected.items():
        for got, want in zip(out[key], pixels):
            assert near(got, want), f"{key}: {out[key]} expected {pixels}"


def test_a_step_after_a_pause_covers_one_frame_at_most(run_qel):
    # Frames of exactly 10 ms: a step five frames after the last one in its direction
    # still covers one frame's worth, as a held key would.
    r = run_ok(run_qel, """
        import json
        import qel
        qel.init([], 800, 600, offscreen=True)
        qel.setFixedStep(0.01)
        c = qel.createCircle(100, 100, 10, "#ff0000", 100)
        qel.nextFrame()
        c.moveRight()
        moves = [c.center.x]
        for _ in range(5):
            qel.nextFrame()
        c.moveRight()
        moves.append(c.center.x)
        print("RESULT " + json.dumps(moves))
    """, env={"DISPLAY": None})
    first, after_pause = result_of(r)
    assert abs(first - 101) < 1e-9 and abs(after_pause - 102) < 1e-9


# Every handle kind the module returns, made at a place, with a point inside it relative to
# its pos, and whether setColor takes any colour (the specified handles take "#rrggbb" only).
PROTOCOL = """
import os, tempfile
import qel
qel.init([], 320, 240, offscreen=True)
qel.setBackground("white")
qel.nextFrame()
WHITE = os.path.join(tempfile.mkdtemp(), "white.png")
qel.screenshot(WHITE)
qel.setBackground((3, 3, 3))
KINDS = {
    "Circle": (lambda: qel.createCircle(60, 60, 15, "#ffffff", 0), (0, 0), False),
    "Disc": (lambda: qel.createDisc(60, 60, 15, "gold"), (0, 0), True),
    "Rectangle": (lambda: qel.createRectangle(40, 40, 30, 30, "#ffffff", 0), (5, 5), False),
    "Rect": (lambda: qel.createRect(40, 40, 30, 30, "gold"), (5, 5), True),
    "Line": (lambda: qel.createLine(40, 60, 100, 60, 9, "gold"), (5, 0), True),
    "Polygon": (lambda: qel.createPolygon([(0, 0), (40, 0), (40, 40), (0, 40)], "gold"), (5, 5), True),
    "Sprite": (lambda: qel.createSprite(40, 40, WHITE, 30, 30), (5, 5), True),
    "Text": (lambda: qel.createText(40, 40, "\\u2588\\u2588", 40, "gold"), None, True),
    "Ellipse": (lambda: qel.createEllipse(60, 60, 20, 12, "gold", angle=30), (0, 0), True),
    "Rect:rounded": (lambda: qel.createRect(40, 40, 30, 30, "gold", radius=8, angle=10), (15, 15), True),
}

def count(rgb):
    qel.nextFrame()
    px = qel.readPixels()
    return sum(1 for i in range(0, len(px), 4)
               if all(abs(px[i + c] - rgb[c]) < 60 for c in range(3)))

def inside(h, offset):
    # Text: the middle of its box, which the two full blocks cover.
    if offset is None:
        return h.center
    return (h.x + offset[0], h.y + offset[1])
"""


def test_every_handle_kind_has_the_one_protocol(run_qel, renderer):
    run_ok(run_qel, PROTOCOL + """
RED, BLUE = (255, 0, 0), (0, 0, 255)
for name, (make, offset, anyColour) in KINDS.items():
    h = make()
    assert type(h).__name__ == name.split(":")[0], (name, type(h))
    assert h.alive and h.visible and h.layer == 0, name
    h.setColor("red" if anyColour else "#ff0000")
    assert count(RED) > 20 and h.color == (255, 0, 0, 255), (name, h.color)
    h.color = "blue"
    assert count(RED) == 0 and count(BLUE) > 20 and h.color == (0, 0, 255, 255), name
    h.color = (255, 0, 0)
    h.moveTo(200, 150)
    assert h.pos == (200, 150) and (round(h.x), round(h.y)) == (200, 150), (name, h.pos)
    at = inside(h, offset)
    assert qel.objectAt(*at) == h.id, (name, at)
    h.visible = False
    assert not h.visible and count(RED) == 0, name
    assert qel.objectAt(*at) == -1 and qel.objectsIn(0, 0, 320, 240) == [], name
    h.visible = True
    assert count(RED) > 20 and qel.objectAt(*at) == h.id, name
    h.moveBy(-10, 5)
    assert h.pos == (190, 155), (name, h.pos)
    h.pos = qel.Point2D(100, 90)
    h.x = 110
    h.y += 1
    assert h.pos == [110, 91], (name, h.pos)
    qel.moveTo(h.id, 50, 60)
    if name != "Text":  # a text's pos is its anchor point, its top-left here
        assert h.pos == (50, 60), (name, h.pos)
    h.layer = 3
    assert h.layer == 3, name
    if hasattr(h, "midbottom"):
        h.midbottom = (160, 200)
        assert h.midbottom == (160, 200), name
        left, top = h.topleft
        right, bottom = h.bottomright
        assert h.center == ((left + right) / 2, (top + bottom) / 2), name
        assert h.topright == (right, top) and h.midleft == (left, (top + bottom) / 2), name
        assert qel.objectAt(*h.center) == h.id, name
    cover = qel.createRect(0, 0, 320, 240, (0, 0, 0, 0))
    assert qel.collides(h, cover) and qel.overlapping(cover) == [h.id], name
    h.visible = False
    assert not qel.collides(h, cover) and qel.overlapping(cover) == qel.overlapping(h) == [], name
    assert cover.remove() and h.remove() and not h.alive and h.remove() is False, name
    print(name, "ok")
""", env={"QEL_RENDERER": renderer})


def test_removed_handles_raise_one_error_for_every_member(run_qel):
    r = run_ok(run_qel, PROTOCOL + """
import json
SHARED = ["x", "y", "pos", "color", "visible", "layer"]
OWN = {  # kind-own members that are not specified: read, then called with what
    "Circle": ["outline"], "Rectangle": ["angle", "outline", "center", "midtop"],
    "Line": ["points", "width", "angle"], "Polygon": ["points", "angle", "outline"],
    "Sprite": ["top_left", "width", "height", "angle", "tint", "center"],
    "Text": ["top_left", "width", "height", "text", "center"],
}
CALLS = {"moveTo": (1, 2), "moveBy": (1, 2), "setLayer": (1,)}
WRITES = {"x": 1, "y": 1, "layer": 1, "pos": (1, 2), "color": "red", "visible": True}
out = {}
for name, (make, offset, anyColour) in KINDS.items():
    h = make()
    h.remove()
    own = OWN.get(name, OWN.get(type(h).__mro__[1].__name__, []))
    messages = set()
    for attr in SHARED + own:
        for action in ("read", "write"):
            try:
                if action == "read":
                    getattr(h, attr)
                elif attr in SHARED:
                    setattr(h, attr, WRITES[attr])
                else:
                    continue
            except RuntimeError as e:
                messages.add(str(e))
            else:
                messages.add(f"{action} {attr} did not raise")
    calls = dict(CALLS, setColor=("red",)) if anyColour else dict(CALLS)
    if isinstance(h, qel.Rectangle):
        del calls["moveTo"]  # the record's own: it moves the handle's top_left, whatever the scene holds
    for method, args in calls.items():
        try:
            getattr(h, method)(*args)
        except RuntimeError as e:
            messages.add(str(e))
        else:
            messages.add(f"{method} did not raise")
    out[name] = [sorted(messages), h.id, h.alive, h.remove()]
# What Circle and Rectangle hold as records stays usable.
c = qel.createCircle(10, 10, 5, "#ffffff", 0)
c.remove()
c.setX(4)
c.setColor("#ff0000")
c.move()
out["record"] = [c.center.x, c.radius]
# A new engine: the old one's objects are gone.
d = qel.createDisc(10, 10, 5, "red")
qel.init([], 320, 240, offscreen=True)
try:
    d.pos
except RuntimeError as e:
    out["after init"] = [str(e), d.id, d.alive, d.remove()]
print("RESULT " + json.dumps(out))
""")
    out = result_of(r)
    assert out.pop("record") == [4, 5]
    message, ident, alive, removed = out.pop("after init")
    assert (message, alive, removed) == (f"Circle {ident} was removed", False, False)
    for name, (messages, ident, alive, removed) in out.items():
        kind = {"Disc": "Circle", "Rect": "Rectangle"}.get(name.split(":")[0], name)
        assert messages == [f"{kind} {ident} was removed"], (name, messages)
        assert (alive, removed) == (False, False), name


def test_point2d_is_a_pair(run_qel):
    run_ok(run_qel, """
        import qel
        p = qel.Point2D(100, 60.5)
        x, y = p
        assert (x, y) == (100, 60.5) and p[0] == 100 and p[-1] == 60.5 and len(p) == 2
        assert p == (100, 60.5) and p == [100, 60.5] and (100, 60.5) == p and p != (100, 61)
        assert p == qel.Point2D(100, 60.5) and p != (100, 60.5, 0) and p != "ab"
        assert hash(p) == hash((100, 60.5)) and {p: 1}[(100, 60.5)] == 1
        assert list(p) == [100.0, 60.5] and tuple(p) == (100.0, 60.5) and p[:1] == (100.0,)
        assert repr(p) == "(100, 60.5)"
        for bad in (2, -3):
            try:
                p[bad]
            except IndexError:
                pass
            else:
                raise AssertionError(bad)
        qel.init([], 320, 240, offscreen=True)
        x, y = qel.getCursor()
        r = qel.createRectangle(100, 60, 10, 10, "#ffffff", 0)
        assert r.top_left == (100, 60)
    """)
