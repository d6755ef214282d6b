"""Arguments are checked before anything runs: values that do not convert exactly (signs,
ranges, floats for ints, non-text for text, wrong counts, keywords) raise TypeError naming
the function; identifiers take the full unsigned 32-bit range, and text takes str or bytes."""
import json
import textwrap

import pytest

# (label, expression, function named in the message)
REJECTED = [
    ("moveTo_negative_id", "qel.moveTo(-1, 0, 0)", "moveTo"),
    ("moveTo_id_too_big", "qel.moveTo(4294967296, 0, 0)", "moveTo"),
    ("isInside_id_too_big", "qel.isInside(4294967296, 0, 0)", "isInside"),
    ("updateColor_id_too_big", "qel.updateColor(4294967296, 0)", "updateColor"),
    ("updateColor_colour_uint32", "qel.updateColor(tri, 4294967295)", "updateColor"),
    ("updateColor_colour_above_int32", "qel.updateColor(tri, 2147483648)", "updateColor"),
    ("updateColor_colour_below_int32", "qel.updateColor(tri, -2147483649)", "updateColor"),
    ("updateColor_float_colour", "qel.updateColor(0, 1.5)", "updateColor"),
    ("updateColor_float_id", "qel.updateColor(float(tri), 0)", "updateColor"),
    ("isInside_float_id", "qel.isInside(1.0, 0, 0)", "isInside"),
    ("isInside_text_coordinate", "qel.isInside(0, 'a', 0)", "isInside"),
    ("init_float_width", "qel.init([], 800.0, 600)", "init"),
    ("init_float_height", "qel.init([], 800, 600.5)", "init"),
    ("init_tuple_not_list", "qel.init((), 800, 600)", "init"),
    ("init_too_few", "qel.init([], 800)", "init"),
    ("poll_extra", "qel.poll(1)", "poll"),
    ("getData_extra", "qel.getData(None)", "getData"),
    ("createTri_extra", "qel.createTri(0)", "createTri"),
    ("moveTo_too_few", "qel.moveTo(0, 0)", "moveTo"),
    ("moveTo_too_many", "qel.moveTo(0, 0, 0, 0)", "moveTo"),
    ("moveTo_keywords", "qel.moveTo(id=0, x=0, y=0)", "moveTo"),
    ("moveTo_int_beyond_float", "qel.moveTo(mover.id, 10 ** 400, 0)", "moveTo"),
    ("moveTo_float_id", "qel.moveTo(float(mover.id), 0, 0)", "moveTo"),
    ("createCircle_no_speed", "qel.createCircle(0, 0, 1, '#ff0000')", "createCircle"),
    ("createCircle_int_colour", "qel.createCircle(0, 0, 1, 5, 0)", "createCircle"),
    ("createRectangle_none_colour", "qel.createRectangle(0, 0, 1, 1, None, 0)", "createRectangle"),
    ("createRectangle_text_size", "qel.createRectangle(0, 0, '1', 1, '#ff0000', 0)", "createRectangle"),
    ("buttonDown_int", "qel.buttonDown(5)", "buttonDown"),
    ("buttonClicked_none", "qel.buttonClicked(None)", "buttonClicked"),
    ("buttonComboDown_mixed", "qel.buttonComboDown(['up', 3])", "buttonComboDown"),
    ("buttonComboDown_bare_text", "qel.buttonComboDown('up')", "buttonComboDown"),
    ("buttonComboDown_none", "qel.buttonComboDown(None)", "buttonComboDown"),
    ("Circle_text_id", "qel.Circle('a', qel.Point2D(0, 0), 1, 1)", "__init__"),
    ("Circle_negative_id", "qel.Circle(-1, qel.Point2D(0, 0), 1, 1)", "__init__"),
    ("Circle_tuple_centre", "qel.Circle(1, (0, 0), 1, 1)", "__init__"),
    ("Circle_too_few", "qel.Circle(1, qel.Point2D(0, 0), 1)", "__init__"),
    ("Rectangle_with_speed", "qel.Rectangle(5, qel.Point2D(0, 0), 10, 20, 3)", "__init__"),
    ("Rectangle_text_height", "qel.Rectangle(5, qel.Point2D(0, 0), 'h', 20)", "__init__"),
    ("Point2D_text", "qel.Point2D('1', 2)", "__init__"),
    ("Point2D_one", "qel.Point2D(1)", "__init__"),
    ("setColor_int", "handle.setColor(5)", "setColor"),
    ("setX_text", "handle.setX('1')", "setX"),
    ("setRadius_missing", "handle.setRadius()", "setRadius"),
    ("rect_moveTo_too_few", "box.moveTo(1)", "moveTo"),
    ("point_x_text", "setattr(qel.Point2D(0, 0), 'x', 'a')", None),
]

# (label, expression, expected repr of the value)
ACCEPTED = [
    ("moveTo_max_id", "qel.moveTo(4294967295, 0, 0)", "None"),
    ("isInside_max_id", "qel.isInside(4294967295, 0, 0)", "False"),
    ("updateColor_max_id", "qel.updateColor(4294967295, 0)", "None"),
    ("updateColor_int32_max", "qel.updateColor(tri, 2147483647)", "None"),
    ("updateColor_tri_id", "qel.updateColor(tri, 0x112233)", "None"),
    ("box_still_in_place", "qel.isInside(box.id, 15, 25)", "True"),
    ("ints_for_floats", "qel.createRectangle(1, 2, 3, 4, '#00ff00', 5).top_left", "(1, 2)"),
    ("bytes_colour", "qel.createCircle(1.5, 2, 3, b'#ff0000', 0).center", "(1.5, 2)"),
    ("bytes_set_colour", "handle.setColor(b'#0000ff')", "None"),
    ("buttonDown_bytes", "qel.buttonDown(b'up')", "False"),
    ("buttonClicked_bytes", "qel.buttonClicked(b'mouseLeft')", "False"),
    ("buttonComboDown_mixed_text", "qel.buttonComboDown([b'up', 'down'])", "False"),
    ("buttonComboDown_tuple", "qel.buttonComboDown(('left', 'right'))", "False"),
    ("Circle_max_id", "qel.Circle(4294967295, qel.Point2D(0, 0), 1, 1)", "Circle<4294967295>"),
    ("Point2D_ints", "qel.Point2D(1, 2)", "(1, 2)"),
    # moveTo converts the usual argument types itself; every kind must place alike.
    ("moveTo_floats", "(qel.moveTo(mover.id, 50.0, 60.0), qel.isInside(mover.id, 50, 60), "
     "qel.isInside(mover.id, 49.9, 60))", "(None, True, False)"),
    ("moveTo_ints", "(qel.moveTo(mover.id, 70, 80), qel.isInside(mover.id, 70, 80), "
     "qel.isInside(mover.id, 70, 79.9))", "(None, True, False)"),
    ("moveTo_float_subclass", "(qel.moveTo(mover.id, Real(90.5), Real(100.5)), qel.isInside(mover.id, 90.5, 100.5), "
     "qel.isInside(mover.id, 90.4, 100.5))", "(None, True, False)"),
    ("moveTo_bool_id", "qel.moveTo(False, 1.0, 2.0)", "None"),
    ("moveTo_doc", "qel.moveTo.__doc__.splitlines()[0]", repr("moveTo(id: int, x: float, y: float, /) -> None")),
]

SNIPPET = """
import json
import sys
import qel

cases = json.loads(CASES)
# Text list items may be str or bytes.
qel.init(["first", b"second"], 320, 240)
tri = qel.createTri()
box = qel.createRectangle(10, 20, 40, 30, "#ff0000", 0)
handle = qel.createCircle(100, 100, 20, "#ff0000", 0)
mover = qel.createRectangle(0, 0, 10, 10, "#00ff00", 0)
Real = type("Real", (float,), {})
out = {}
for label, expression in cases:
    try:
        value = eval(expression)
    except Exception as error:
        out[label] = {"error": type(error).__name__, "message": str(error)}
    else:
        out[label] = {"value": repr(value)}
# Nothing rejected above may have touched the engine.
out["engine_alive"] = qel.isInside(box.id, 40, 60)
sys.stdout.write("RESULT " + json.dumps(out) + "\\n")
"""


@pytest.fixture(scope="module")
def outcomes(build_dir):
    from qel_testing import run_snippet

    cases = [(label, expression) for label, expression, _ in REJECTED + ACCEPTED]
    r = run_snippet(textwrap.dedent(SNIPPET).replace("CASES", repr(json.dumps(cases))), build_dir=build_dir)
    assert r.returncode == 0, r.output
    lines = [line for line in r.stdout.splitlines() if line.startswith("RESULT ")]
    assert lines, r.output
    out = json.loads(lines[-1][len("RESULT "):])
    assert out.pop("engine_alive") is True
    return out


@pytest.mark.parametrize("label, expression, function", REJECTED, ids=[c[0] for c in REJECTED])
def test_rejected_with_type_error(outcomes, label, expression, function):
    got = outcomes[label]
    assert got.get("error") == "TypeError", f"{expression} gave {got}"
    if function == "__init__":
        assert got["message"].startswith("__init__(): incompatible constructor arguments"), got["message"]
    elif function is not None:
        assert got["message"].startswith(f"{function}(): incompatible function arguments"), got["message"]
    assert "Invoked with:" in got["message"]


@pytest.mark.parametrize("label, expression, value", ACCEPTED, ids=[c[0] for c in ACCEPTED])
def test_accepted(outcomes, label, expression, value):
    assert outcomes[label] == {"value": value}, expression


def test_arguments_are_checked_before_the_engine_is_needed(run_qel):
    # Without init, a bad call still reports its arguments, not the missing engine.
    r = run_qel("""
        import qel
        for call in (lambda: qel.moveTo(-1, 0, 0), lambda: qel.createCircle(0, 0, 1, 5, 0),
                     lambda: qel.isInside(1.0, 0, 0)):
            try:
                call()
            except TypeError as e:
                print("incompatible function arguments" in str(e))
        try:
            qel.moveTo(4294967295, 0, 0)
        except RuntimeError as e:
            print("init()" in str(e))
    """)
    assert r.returncode == 0, r.output
    assert r.stdout == "True\nTrue\nTrue\nTrue\n"


def test_paths_are_taken_as_open_takes_them(run_qel, tmp_path):
    r = run_qel("""
        import os, pathlib, sys, qel
        from PIL import Image
        D = sys.argv[1]
        FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
        pic = os.path.join(D, "pic.png")
        Image.new("RGB", (3, 2), "red").save(pic)
        qel.init([], 64, 48, offscreen=True, quiet=True)
        qel.poll()
        for call in (lambda: qel.createSprite(0, 0, pic + "\\0x"), lambda: qel.screenshot(pic + "\\0"),
                     lambda: qel.createText(0, 0, "a", 12, "red", font=FONT + "\\0"),
                     lambda: qel.init([], 64, 48, offscreen=True, icon=pic + "\\0")):
            try:
                call()
                print("accepted")
            except ValueError as e:
                print(e)
        # bytes and names that are not UTF-8 (os.listdir gives them with surrogate escapes).
        odd = os.path.join(D, os.fsdecode(b"\\xff.png"))
        qel.screenshot(os.fsencode(odd))
        print([qel.createSprite(0, 0, p).width for p in (os.fsencode(pic), odd, pathlib.Path(odd))],
              sorted(os.listdir(D)) == ["pic.png", os.path.basename(odd)])
        try:
            qel.createSprite(0, 0, odd + ".missing")
        except RuntimeError as e:
            print("\\\\xff.png.missing" in str(e))
    """, args=[str(tmp_path)])
    assert r.returncode == 0, r.output
    assert r.stdout.splitlines() == ["embedded null byte"] * 4 + ["[3.0, 64.0, 64.0] True", "True"], r.output


def test_text_with_lone_surrogates_draws_the_replacement_as_bad_bytes_do(run_qel):
    r = run_qel("""
        import numpy as np, qel
        qel.init([], 200, 120, offscreen=True, quiet=True)
        texts = [qel.createText(0, 40 * i, t, 20, "white") for i, t in enumerate(["a\\ud800b", b"a\\xffb", "x"])]
        texts[2].setText("a\\udfffb")
        qel.poll()
        px = np.frombuffer(qel.readPixels(), np.uint8).reshape(120, 200, 4)
        w, h = int(texts[1].width), int(texts[1].height)
        boxes = [px[40 * i:40 * i + h, :w + 2] for i in range(3)]
        print(all((t.width, t.height) == (w, h) for t in texts), all((b == boxes[1]).all() for b in boxes))
    """)
    assert r.returncode == 0, r.output
    assert r.stdout == "True True\n", r.output
