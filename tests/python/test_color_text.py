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
