"""Colour text as scripts pass it: the line it prints, and the colour a circle gets (read
back from the window) or the exception it raises."""
import json
import textwrap

import pytest

from qel_testing import run_snippet

# text, printed line (None: nothing), expected pixel or (exception type, message)
VALID = [
    ("#ff8800", "0xff8800", (255, 136, 0)),
    ("#FF8800", "0xff8800", (255, 136, 0)),
    ("#f80", "0xf80", (0, 15, 128)),
    ("ff8800", "0xf8800", (0x0F, 0x88, 0x00)),
    ("#ff8800zz", "0xff8800zz", (255, 136, 0)),
    ("#12345678", "0x12345678", (0x34, 0x56, 0x78)),
    ("#00000000ff", "0x00000000ff", (0, 0, 255)),
    ("#ffffffff", "0xffffffff", (255, 255, 255)),
    ("red", "0xed", (0, 0, 237)),
]
INVALID = [
    ("#", "0x", "ValueError", "invalid stoul argument"),
    ("#zz", "0xzz", "ValueError", "invalid stoul argument"),
    ("# ff", "0x ff", "ValueError", "invalid stoul argument"),
    ("0xff0000", "0xxff0000", "ValueError", "invalid stoul argument"),
    ("#100000000", "0x100000000", "IndexError", "stoul argument out of range"),
    ("", None, "IndexError", "invalid string position"),
    ("blue", "0xlue", "ValueError", "invalid stoul argument"),
]

# Circles of radius 10 on a 40-pixel grid, one per valid row.
def _spot(i):
    return 30 + 40 * (i % 8), 30 + 40 * (i // 8)


SNIPPET = """
import json
import qel
from qel_testing import grab, pump

valid = {valid!r}
invalid = {invalid!r}
spots = {spots!r}
out = {{"valid": [], "invalid": [], "updates": {{}}}}
qel.init([], 400, 300)

# Each call's printed line follows its marker in stdout.
for i, text in enumerate(valid):
    print("ROW valid", i)
    x, y = spots[i]
    qel.createCircle(x, y, 10, text, 0)
for i, text in enumerate(invalid):
    print("ROW invalid", i)
    try:
        qel.createCircle(200, 200, 10, text, 0)
        out["invalid"].append(None)
    except Exception as e:
        out["invalid"].append([type(e).__name__, str(e)])
print("ROW end")

pump(qel)
img = grab()
out["valid"] = [[int(v) for v in img[y, x]] for x, y in spots[:len(valid)]]

# Packed integers and handle recolouring, each on its own circle.
def centre(c):
    return [int(v) for v in img[int(c.center.y), int(c.center.x)]]

a = qel.createCircle(50, 250, 10, "#000000", 0)
b = qel.createCircle(90, 250, 10, "#000000", 0)
c = qel.createCircle(130, 250, 10, "#000000", 0)
d = qel.createCircle(170, 250, 10, "#00ff00", 0)
e = qel.createCircle(210, 250, 10, "#00ff00", 0)
qel.updateColor(a.id, 0xFF8800)
qel.updateColor(b.id, 0x1FF8800)
qel.updateColor(c.id, -1)
try:
    qel.updateColor(c.id, 4294967295)
except TypeError as err:
    out["updates"]["too_big"] = type(err).__name__
for bad in ("#zz", "", "#100000000"):
    try:
        d.setColor(bad)
    except (ValueError, IndexError) as err:
        out["updates"].setdefault("setColor_errors", []).append(type(err).__name__)
e.setColor("#0000ff")
pump(qel)
img = grab()
for name, circle in (("a", a), ("b", b), ("c", c), ("d", d), ("e", e)):
    out["updates"][name] = centre(circle)
print("RESULT " + json.dumps(out))
"""


def _printed_lines(stdout):
    """Maps each marker to the lines printed between it and the next marker."""
    lines = {}
    current = None
    for line in stdout.splitlines():
        if line.startswith("ROW ") or line.startswith("RESULT "):
            current = line
            lines[current] = []
        elif current is not None:
            lines[current].append(line)
    return lines


@pytest.fixture(scope="module")
def colour_run(build_dir):
    code = SNIPPET.format(valid=[row[0] for row in VALID], invalid=[row[0] for row in INVALID],
                          spots=[_spot(i) for i in range(len(VALID))])
    r = run_snippet(textwrap.dedent(code), build_dir=build_dir)
    assert r.returncode == 0, r.output
    result = [line for line in r.stdout.splitlines() if line.startswith("RESULT ")]
    assert result, r.output
    return json.loads(result[-1][len("RESULT "):]), _printed_lines(r.stdout)


def _close(actual, expected, tol=1):
    return all(abs(a - e) <= tol for a, e in zip(actual, expected))


@pytest.mark.parametrize("i, text, line, pixel", [(i, *row) for i, row in enumerate(VALID)],
                         ids=[repr(row[0]) for row in VALID])
def test_valid_colour_text(colour_run, i, text, line, pixel):
    out, printed = colour_run
    assert printed[f"ROW valid {i}"] == [line]
    assert _close(out["valid"][i], pixel), f"{text!r} drew {out['valid'][i]}, expected {pixel}"


@pytest.mark.parametrize("i, text, line, kind, message", [(i, *row) for i, row in enumerate(INVALID)],
                         ids=[repr(row[0]) for row in INVALID])
def test_invalid_colour_text(colour_run, i, text, line, kind, message):
    out, printed = colour_run
    assert printed[f"ROW invalid {i}"] == ([] if line is None else [line])
    assert out["invalid"][i] == [kind, message]


def test_packed_colours_and_handle_set_color(colour_run):
    out, _ = colour_run
    updates = out["updates"]
    assert _close(updates["a"], (255, 136, 0)), updates
    # Bits above the low 24 are ignored.
    assert _close(updates["b"], (255, 136, 0)), updates
    assert _close(updates["c"], (255, 255, 255)), updates
    assert updates["too_big"] == "TypeError"
    assert updates["setColor_errors"] == ["ValueError", "IndexError", "IndexError"]
    # A rejected text leaves the colour as it was.
    assert _close(updates["d"], (0, 255, 0)), updates
    assert _close(updates["e"], (0, 0, 255)), updates


# The colour syntax of the added functions: (colour, expected RGB), all opaque.
SYNTAX = [("#f80", (255, 136, 0)), ("#FF8800", (255, 136, 0)), ("#10203040", None), ("Orange", (255, 165, 0)),
          ("REBECCAPURPLE", (102, 51, 153)), ((1, 2, 3), (1, 2, 3)), ([4, 5, 6, 255], (4, 5, 6))]
# (call, the colour it is given): each raises ValueError naming the colour.
REFUSED = [("qel.setBackground(c)", "purpel"), ("qel.setBackground(c)", "#ffff"), ("qel.setBackground(c)", 0x1000000),
           ("qel.setBackground(c)", -1), ("qel.setBackground(c)", True), ("qel.setBackground(c)", b"#fff"),
           ("qel.updateColor(box, c)", (1, 2)), ("qel.updateColor(box, c)", (256, 0, 0)),
           ("qel.updateColor(box, c)", (True, 0, 0)), ("qel.updateColor(box, c)", [1.0, 0, 0]),
           ("label.setColor(c)", None), ("qel.createText(0, 0, 'x', 9, c)", "nope"),
           ("qel.updateColors([box, box], ['red', c])", "nope")]

SYNTAX_SNIPPET = """
import json, time
import numpy as np
import qel
syntax, refused = {syntax!r}, {refused!r}
qel.init([], 200, 100, offscreen=True, background=0x102030)
def frame():
    for _ in range(3):
        time.sleep(0.02)
        qel.poll()
    return np.frombuffer(qel.readPixels(), np.uint8).reshape(100, 200, 4)
boxes = [qel.createRectangle(10 + 20 * i, 10, 10, 10, "#000000", 0).id for i in range(len(syntax))]
print("QUIET")
for box, (colour, _) in zip(boxes, syntax):
    qel.updateColor(box, colour)
box = boxes[0]
label = qel.createText(10, 50, "\\u2588", 20, colour=(0, 0, 255))
errors = []
for call, c in refused:
    try:
        eval(call)
        errors.append(None)
    except ValueError as e:
        errors.append(str(e))
try:
    qel.createText(0, 0, "x", 9, "red", colour="red")
except TypeError as e:
    errors.append(str(e))
img = frame()
print("LOUD")
print("RESULT " + json.dumps({{"boxes": [[int(v) for v in img[15, 15 + 20 * i]] for i in range(len(syntax))],
                               "label": [int(v) for v in img[int(label.top_left.y + label.height / 2), 15]],
                               "background": [int(v) for v in img[90, 190]], "errors": errors}}))
"""


def test_colour_syntax_of_the_added_functions(build_dir):
    r = run_snippet(textwrap.dedent(SYNTAX_SNIPPET.format(syntax=SYNTAX, refused=REFUSED)), build_dir=build_dir)
    assert r.returncode == 0, r.output
    assert r.stdout.split("QUIET\n")[1].startswith("LOUD\n"), "a colour in the added syntax echoed a line"
    out = json.loads(r.stdout.split("RESULT ")[1])
    for (colour, rgb), got in zip(SYNTAX, out["boxes"]):
        # #10203040 over the background 0x102030 is that colour.
        assert _close(got, rgb or (16, 32, 48)), (colour, got)
    assert _close(out["label"], (0, 0, 255)) and _close(out["background"], (16, 32, 48)), out
    # Refused text leaves the colours as they were: the first box is still "#f80".
    assert _close(out["boxes"][0], (255, 136, 0))
    for (call, colour), message in zip(REFUSED, out["errors"]):
        assert message is not None and repr(colour) in message and "0xRRGGBB" in message, (call, colour, message)
    assert "both color and colour" in out["errors"][-1]
