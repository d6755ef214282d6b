"""Editing the scene: removing, resizing, layers, objectAt, the batch calls and reading the
frame back. Pixels come from the real window and are compared with readPixels every time."""
import re

import pytest

PRELUDE = """
import contextlib, ctypes, errno, os, random, subprocess, sys, threading, time
from array import array
import numpy as np
import qel
from qel_testing import grab, pump, window_id
CLEAR, RED, GREEN, BLUE = (3, 3, 3), (255, 0, 0), (0, 255, 0), (0, 0, 255)
YELLOW, MAGENTA, CYAN, WHITE = (255, 255, 0), (255, 0, 255), (0, 255, 255), (255, 255, 255)

def expect(img, colour, *points):
    for x, y in points:
        assert np.abs(img[y, x].astype(int) - colour).max() <= 1, f"pixel ({x}, {y}) is {img[y, x]}, not {colour}"

def refused(errors, call, *args):
    try:
        call(*args)
    except errors:
        return True
    return False

@contextlib.contextmanager
def muted():  # isInside reports through std::cout on fd 1, beneath sys.stdout
    libc, saved = ctypes.CDLL(None), os.dup(1)
    libc.fflush(None); os.dup2(os.open(os.devnull, os.O_WRONLY), 1)
    yield
    libc.fflush(None); os.dup2(saved, 1)
"""


def run_ok(run_qel, body, **kwargs):
    r = run_qel(PRELUDE + body, timeout=240, **kwargs)
    assert r.returncode == 0, r.output[-4000:]
    return r


EDITS = """
qel.init([], 320, 240)
scratch = sys.argv[1]
shot = os.path.join(scratch, "shot.png")
assert refused(RuntimeError, qel.readPixels) and refused(RuntimeError, qel.screenshot, shot), "read before a frame"

def frame():
    pump(qel)
    img = grab()
    rgba = np.frombuffer(qel.readPixels(), np.uint8).reshape(qel.getWindowHeight(), qel.getWindowWidth(), 4)
    wrong = np.argwhere((rgba != np.dstack([img, np.full(img.shape[:2], 255, np.uint8)])).any(axis=2))
    assert len(wrong) == 0, f"readPixels differs from the window at (y, x) {wrong[:5].tolist()}"
    return img

gone = qel.createCircle(40, 40, 20, "#ff0000", 0)
rect = qel.createRectangle(100, 20, 40, 60, "#00ff00", 0)      # x 100..160, y 20..60
disc = qel.createCircle(220, 50, 10, "#0000ff", 0)
still = qel.createCircle(280, 50, 20, "#ffff00", 0)
bar = qel.createRectangle(240, 90, 10, 60, "#ffff00", 0)       # x 240..300, y 90..100
# Overlapping pairs, the first of each created first: overlaps at (32, 132), (102, 132), (172, 132).
pairs = [(qel.createRectangle(x, 110, 30, 30, "#ff00ff", 0), qel.createRectangle(x + 15, 125, 30, 30, "#00ffff", 0))
         for x in (10, 80, 150)]
img = frame()
expect(img, RED, (40, 40))
expect(img, MAGENTA, (32, 132), (102, 132), (172, 132))

answers = (gone.remove(), gone.remove(), qel.removeObject(gone.id), qel.removeObject(2**32 - 1))
assert answers == (True, False, False, False), answers
rect.resize(30, 50); disc.resize(25); still.setRadius(5); bar.setWidth(5)
assert (rect.width, rect.height, disc.radius, still.radius, bar.width) == (30, 50, 25, 5, 5)
qel.setLayer(pairs[0][1].id, 2)   # created later, higher layer: above
pairs[1][0].setLayer(-1)          # created first, negative layer: below
time.sleep(0.02)
qel.poll()                        # the very next frame shows all of it
for img in (np.frombuffer(qel.readPixels(), np.uint8).reshape(240, 320, 4)[..., :3], frame()):
    expect(img, CLEAR, (40, 40), (150, 30), (130, 69), (129, 70), (245, 50), (220, 24))
    expect(img, GREEN, (129, 69), (100, 20))
    expect(img, BLUE, (244, 50), (220, 25), (235, 50))
    expect(img, YELLOW, (295, 50), (290, 95))   # setRadius and setWidth leave the drawing alone
    expect(img, CYAN, (32, 132), (102, 132))
    expect(img, MAGENTA, (172, 132))
assert [qel.objectAt(x + 22, 132) for x in (10, 80, 150)] == [pairs[0][1].id, pairs[1][1].id, pairs[2][0].id]

# Thousands of 3 x 3 squares below y 180; all but a few go, then more come.
rng = np.random.default_rng(3)
spots = [(int(x), 180 + int(y)) for x, y in rng.integers(0, [317, 57], size=(3000, 2))]
many = [qel.createRectangle(x, y, 3, 3, "#ffffff", 0).id for x, y in spots]
kept = set(range(0, 3000, 600))
for i, ident in enumerate(many):
    if i not in kept:
        assert qel.removeObject(ident) is True and qel.removeObject(ident) is False
        qel.moveTo(ident, 5, 185); qel.updateColor(ident, 0xff0000)
more = [(int(x), 180 + int(y)) for x, y in rng.integers(0, [317, 57], size=(40, 2))]
newer = [qel.createRectangle(x, y, 3, 3, "#ffffff", 0).id for x, y in more]
assert min(newer) > max(many), "an identifier was used again"
survivors = [(many[i], spots[i]) for i in sorted(kept)] + list(zip(newer, more))

def check_survivors():
    for ident, (x, y) in survivors:
        want = min(i for i, (u, v) in survivors if u <= x + 1.5 <= u + 3 and v <= y + 1.5 <= v + 3)
        assert qel.objectAt(x + 1.5, y + 1.5) == want, (ident, x, y)

check_survivors()
img = frame()
check_survivors()
mask = np.zeros((240, 320), bool)
for _, (x, y) in survivors:
    mask[y:y + 3, x:x + 3] = True
wrong = np.argwhere((img != CLEAR).any(axis=2)[180:] != mask[180:])
assert len(wrong) == 0, f"drawn where nothing is, or the reverse, at (y - 180, x) {wrong[:5].tolist()}"

subprocess.run(["xdotool", "windowsize", window_id(), "400", "300"], check=True, timeout=30)
for _ in range(250):
    time.sleep(0.02)
    qel.poll()
    if (qel.getWindowWidth(), qel.getWindowHeight()) == (400, 300):
        break
assert frame().shape[:2] == (300, 400)
qel.screenshot(shot)
from PIL import Image
png = np.array(Image.open(shot).convert("RGBA"))
assert (png == np.frombuffer(qel.readPixels(), np.uint8).reshape(300, 400, 4)).all()
os.remove(shot)
for path, error in ((os.path.join(scratch, "missing", "x.png"), FileNotFoundError), (scratch, IsADirectoryError)):
    assert refused(error, qel.screenshot, path), path
    assert os.listdir(scratch) == [], os.listdir(scratch)
try:
    qel.screenshot("/dev/full")
except OSError as e:
    assert e.errno == errno.ENOSPC, e
else:
    raise AssertionError("wrote to a full disk")
# A FIFO a thread of the script opens only once screenshot waits for a reader: the wait must
# not hold the interpreter (a deadlock ends the process here rather than at the timeout).
import faulthandler
faulthandler.dump_traceback_later(30, exit=True)
fifo = os.path.join(scratch, "fifo")
os.mkfifo(fifo)
got = []
reader = threading.Thread(target=lambda: (time.sleep(0.3), got.append(open(fifo, "rb").read())))
reader.start()
qel.screenshot(fifo)
reader.join()
faulthandler.cancel_dump_traceback_later()
assert got[0].startswith(b"\\x89PNG"), got[0][:8]
print("DONE", qel.getRenderer())
"""


def test_removing_resizing_layers_draw_and_read_back(run_qel, renderer, tmp_path):
    r = run_ok(run_qel, EDITS, env={"QEL_RENDERER": renderer}, args=[str(tmp_path)])
    assert f"DONE {renderer}" in r.stdout


PICKING = """
qel.init([], 320, 240)
qel.poll(); time.sleep(0.02); qel.poll()
W, H = qel.getWindowWidth(), qel.getWindowHeight()
# The step moves' limits follow a resize; setRadius and setWidth stay with the handle.
wide = qel.createRectangle(0, 0, 20, 10, "#ffffff", 1e9)
ball = qel.createCircle(50, 50, 5, "#ffffff", 1e9)
wide.resize(100, 30)
ball.resize(30)
for step in ("moveRight", "moveDown"):
    getattr(wide, step)(); getattr(ball, step)()
assert (wide.top_left.x, wide.top_left.y, ball.center.x, ball.center.y) == (W - 100, H - 30, W - 30, H - 30)
ball.setRadius(1); wide.setWidth(1)
assert [qel.objectAt(*p) for p in ((W - 100, H - 30), (W - 100.01, H - 30), (W - 45, H - 50), (W - 95, H - 25))] \
    == [wide.id, -1, ball.id, wide.id]
assert wide.remove() and ball.remove()

rng = random.Random(11)
shapes, removed, highest = {}, [], ball.id
coordinate = lambda extent: rng.randrange(-100, 2 * extent + 100) / 2   # half pixels: many exact edges
size = lambda: rng.randrange(-10, 100) / 2

def make():
    global highest
    x, y = coordinate(W), coordinate(H)
    if rng.random() < 0.5:
        h = qel.createCircle(x, y, size(), "#808080", 0)
    else:
        h = qel.createRectangle(x, y, size(), size(), "#808080", 0)
    assert h.id > highest, "an identifier was used again"
    highest = h.id
    shapes[h.id] = [h, 0]
    relayer(h.id, rng.choice((-2, -1, 0, 0, 0, 1, 3)))

def relayer(ident, layer):
    (shapes[ident][0].setLayer if rng.random() < 0.5 else lambda l: qel.setLayer(ident, l))(layer)
    shapes[ident][1] = layer

triangles = [qel.createTri() for _ in range(2)]
for _ in range(250):
    make()
print("BEGIN", flush=True)

def edit(kind):
    if kind == "poll":
        return qel.poll()
    for i in rng.sample(sorted(shapes), 25):
        h = shapes[i][0]
        if kind == "make":
            make()
        elif kind == "move":
            qel.moveTo(i, coordinate(W), coordinate(H))
        elif kind == "layer":
            relayer(i, rng.choice((-3, -1, 0, 2, 4)))
        elif kind == "resize":
            h.resize(size()) if hasattr(h, "radius") else h.resize(size(), size())
        else:
            assert (h.remove() if i % 2 else qel.removeObject(i)) is True
            del shapes[i]
            removed.append(i)
    for i in removed:  # none of these brings a removed object back
        qel.moveTo(i, W / 2, H / 2); qel.updateColor(i, 0); qel.setLayer(i, 9); qel.moveMany([i], [W / 2], [H / 2])

# One kind of edit between two comparisons, so each must reach objectAt by itself.
for kind in ("created", "move", "remove", "resize", "layer", "poll", "move", "remove", "make", "resize", "layer"):
    if kind != "created":
        edit(kind)
    points = [(coordinate(W), coordinate(H)) for _ in range(300)]
    points += [(h.center.x + h.radius, h.center.y) if hasattr(h, "radius") else (h.top_left.x, h.top_left.y)
               for h, _ in list(shapes.values())[:40]]
    order = sorted(shapes, key=lambda i: (-shapes[i][1], i))
    with muted():
        want = [next((i for i in order if qel.isInside(i, x, y)), -1) for x, y in points]
    got = [qel.objectAt(x, y) for x, y in points]
    wrong = [(p, g, w) for p, g, w in zip(points, got, want) if g != w]
    assert not wrong, f"after {kind}: {len(wrong)} points differ, (point, objectAt, brute force): {wrong[:5]}"
    assert not any(qel.isInside(i, x, y) for i in removed + triangles for x, y in points[:20])
print("DONE")
"""


def test_object_at_agrees_with_a_brute_force_walk_and_prints_nothing(run_qel):
    r = run_ok(run_qel, PICKING)
    assert "BEGIN\n" in r.stdout and r.stdout.endswith("DONE\n"), r.stdout[-2000:]
    # Past BEGIN only the creation calls print (their colour); objectAt, isInside on removed ids and triangles don't.
    after = r.stdout.split("BEGIN\n", 1)[1].splitlines()[:-1]
    stray = [line for line in after if not re.fullmatch(r"0x[0-9a-f]{6}", line)]
    assert not stray, stray[:10]


BATCHES = """
qel.init([], 320, 240)
qel.poll()
gone = qel.createRectangle(0, 0, 4, 4, "#ffffff", 0).id
qel.removeObject(gone)
# Column makers: array.array, NumPy, and a NumPy slice with a stride of two items.
arr, npa, same = (lambda c: lambda v: array(c, v)), (lambda t: lambda v: np.array(v, t)), (lambda v: v)
strided = lambda t: lambda v: np.repeat(np.array(v, t), 2)[::2]
kinds = [(list, list, list), (tuple, tuple, tuple), (arr("i"), arr("d"), arr("f")), (arr("l"), arr("f"), arr("d")),
         (arr("q"), same, same), (npa(np.int32), npa(np.float64), npa(np.float32)), (npa(np.uint32), same, same),
         (npa(np.int64), npa(np.float32), npa(np.float64)),
         (strided(np.int64), strided(np.float32), strided(np.float64))]
rows = [[qel.createRectangle(-50, -50, 4, 4, "#ffffff", 0).id for _ in range(4)] + [10**6, gone] for _ in kinds]
qel.objectAt(0, 0)  # so the moves alone must reach objectAt
for k, ((ids_of, xs_of, ys_of), ids) in enumerate(zip(kinds, rows)):
    xs, ys = [10.25 + 40 * j for j in range(6)], [10.5 + 14 * k] * 6
    qel.moveMany(ids_of(ids), xs_of(xs), ys_of(ys))
    for j in range(4):
        got = [qel.objectAt(xs[j], ys[j]), qel.objectAt(xs[j] + 4, ys[j] + 4), qel.objectAt(xs[j] - 0.01, ys[j])]
        assert got == [ids[j], ids[j], -1], (k, j, got)
    assert qel.objectAt(xs[5], ys[5]) == -1, "moveMany brought a removed object back"

probe = qel.createRectangle(300, 200, 10, 10, "#ffffff", 0).id
assert refused(ValueError, qel.moveMany, [probe, probe], [1, 2], [1])
assert refused(ValueError, qel.updateColors, [probe, probe], [0])
for ids, xs in (([probe, 1.0], [1, 1]), ([probe, -1], [1, 1]), ([probe, 2**32], [1, 1]), ([probe, "1"], [1, 1]),
                ("ab", [1, 1]), ([probe, None], [1, 1]), (None, [1]), (np.array([[probe, probe]]), [1, 1]),
                (np.array([probe, probe], np.float64), [1, 1]), (np.array([probe, -1]), [1, 1]),
                (np.array([probe, 2**32]), [1, 1]), ([probe, probe], [1, "2"]),
                ([probe, probe], [1, None])):
    assert refused((TypeError, ValueError), qel.moveMany, ids, xs, [1] * len(xs)), (ids, xs)
    assert qel.objectAt(300, 200) == probe, f"moveMany({ids!r}, {xs!r}) moved something"
for colours in ([0, 1.0], [0, 2**32], [0, "1"], np.array([0, 0], np.float32), np.array([[0, 0]])):
    assert refused((TypeError, ValueError), qel.updateColors, [probe, probe], colours), colours

# Colours as updateColor packs them: bits 24 to 31 ignored, uint32 0xFFFFFFFF is white.
cases = [(list, 0x123456), (tuple, 0x7F00FF00), (arr("I"), 0xFF00FFFF), (arr("q"), 0xAB102030),
         (npa(np.uint32), 0xFFFFFFFF), (npa(np.int64), 0x00FF80), (strided(np.int32), 0x0000FF)]
for i, (of, value) in enumerate(cases):
    batch, twin = (qel.createRectangle(10 + 30 * i, y, 10, 10, "#000000", 0).id for y in (150, 170))
    qel.updateColors(of([batch, 10**6, gone]), of([value, 0, 0]))
    qel.updateColor(twin, value - 2**32 if value >= 2**31 else value)
pump(qel)
img = grab()
expect(img, WHITE, (305, 205))
for i, (_, value) in enumerate(cases):
    expect(img, ((value >> 16) & 255, (value >> 8) & 255, value & 255), (15 + 30 * i, 155), (15 + 30 * i, 175))
"""


def test_batch_moves_and_colours_take_columns_and_refuse_bad_ones(run_qel):
    run_ok(run_qel, BATCHES)


def test_batch_calls_take_negative_numbers_of_every_signed_type_as_the_single_calls_do(run_qel):
    run_ok(run_qel, """
        qel.init([], 320, 240)
        values = [-1, -2**31 + 0x00FF00, -0x1000000 + 0x0000FF]
        for k, of in enumerate([lambda v: array("i", v), lambda v: array("l", v), lambda v: array("q", v),
                                lambda v: np.array(v, np.int64)]):
            batch, single = ([qel.createRectangle(10 + 30 * i, y + 40 * k, 10, 10, "#000000", 0).id
                              for i in range(3)] for y in (10, 25))
            qel.updateColors(of(batch), of(values))
            for ident, value in zip(single, values):
                qel.updateColor(ident, value)
            qel.moveMany(of([batch[0]]), of([-5 - k]), of([-7]))
            assert qel.objectAt(-5 - k, -7) == batch[0] and qel.objectAt(-5.5 - k, -7) == -1, k
            qel.moveTo(batch[0], 10, 10 + 40 * k)
        pump(qel)
        img = grab()
        for k in range(4):
            for y in (10 + 40 * k, 25 + 40 * k):
                expect(img, WHITE, (15, y + 5)); expect(img, GREEN, (45, y + 5)); expect(img, BLUE, (75, y + 5))
    """.replace("\n        ", "\n"))


def test_a_batch_call_made_while_a_column_is_read_keeps_its_own_values(run_qel):
    run_ok(run_qel, """
        qel.init([], 320, 240)
        outer, inner = (qel.createRectangle(-50, -50, 4, 4, "#000000", 0).id for _ in range(2))
        class Sneaky:  # a column whose reading makes a batch call of its own
            def __init__(self, call, values): self.call, self.values = call, values
            def __iter__(self): self.call(); return iter(self.values)
        qel.moveMany([outer], Sneaky(lambda: qel.moveMany([inner], [50], [50]), [10]), [10])
        assert (qel.objectAt(11, 11), qel.objectAt(51, 51)) == (outer, inner)
        qel.updateColors([outer], Sneaky(lambda: qel.updateColors([inner], ["blue"]), ["red"]))
        qel.updateColors([inner], Sneaky(lambda: qel.updateColors([outer, outer], [0xFF0000] * 2), [0x00FF00]))
        pump(qel)
        img = grab()
        expect(img, RED, (11, 11)); expect(img, GREEN, (51, 51))
    """.replace("\n        ", "\n"))
