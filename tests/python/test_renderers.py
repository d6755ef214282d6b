"""Both renderers draw the same pixels: the same scenes are drawn with each and compared
pixel by pixel; a pixel may differ only where its centre lies within 1/256 px of an edge of
some shape (the rasteriser snaps vertices to 1/256 px, the compute pass does not)."""
import json
import os
import random

import numpy as np
import pytest

# How close to an edge a pixel centre may be and still differ.
EDGE = 1.0 / 256 + 1e-6

SCENE = """
import json, subprocess, sys, time
import numpy as np
import qel, qel_testing
scene = json.loads(sys.argv[1])
out = sys.argv[2]
qel.init([], 400, 300)

def create(shapes):
    handles = []
    for s in shapes:
        if s[0] == "circle":
            handles.append(qel.createCircle(s[1], s[2], s[3], s[4], 0).id)
        elif s[0] == "rect":
            handles.append(qel.createRectangle(s[1], s[2], s[4], s[3], s[5], 0).id)
        elif s[0] == "tri":
            handles.append(qel.createTri())
        else:
            qel.loadGameObjects()
            handles.append(None)
    return handles

def frames(count):
    # Exactly `count` frames: each poll comes after the frame interval, so each draws.
    drawn = 0
    for _ in range(count):
        time.sleep(0.018)
        qel.poll()
        drawn += qel.deltaTime() >= 0.0166
    time.sleep(0.15)  # the last present lands
    return drawn

def shot(name):
    np.save(out + "-" + name + ".npy", qel_testing.grab())

ids = create(scene["shapes"])
drawn = frames(scene["frames"])
shot("created")
for index, x, y in scene["moves"]:
    qel.moveTo(ids[index], x, y)
for index, colour in scene["colours"]:
    qel.updateColor(ids[index], colour)
drawn += frames(3)
shot("changed")
if scene["resize"]:
    subprocess.run(["xdotool", "windowsize", qel_testing.window_id(), *map(str, scene["resize"])],
                   check=True, timeout=30)
    for _ in range(200):
        time.sleep(0.02)
        qel.poll()
        if [qel.getWindowWidth(), qel.getWindowHeight()] == scene["resize"]:
            break
    frames(3)
    shot("resized")
print("DRAWN", drawn, qel.getRenderer())
"""


def random_shapes(rng, count, width, height):
    shapes = []
    for _ in range(count):
        colour = "#%06x" % rng.randrange(1 << 24)
        x = rng.uniform(-30, width + 10)
        y = rng.uniform(-30, height + 10)
        if rng.random() < 0.5:
            shapes.append(["circle", x, y, rng.uniform(0.5, 40), colour])
        else:
            shapes.append(["rect", x, y, rng.uniform(-20, 80), rng.uniform(-20, 60), colour])
    return shapes


def scenes():
    rng = random.Random(7)
    fixed = [
        # Overlaps in both creation orders, exact and fractional edges, the two triangles.
        ["circle", 100, 100, 30, "#ff0000"], ["rect", 100, 80, 80, 40, "#0000ff"],
        ["rect", 200.25, 180.5, 80.125, 50.75, "#00ff00"], ["circle", 280.3, 205.7, 30.4, "#ffff00"],
        ["circle", 50, 250, 0, "#ffffff"], ["circle", 60, 260, -5, "#ffffff"], ["rect", 5, 5, 0, 10, "#ffffff"],
        ["tri"], ["demo"], ["rect", -50, -50, 1000, 1000, "#202020"],
    ]
    moves = [[0, 210.5, 150.25], [1, 20, 30], [3, 399.5, 299.5], [11, 101.75, 75.125]]
    colours = [[1, 0x00ffff], [2, -1], [12, 0x123456]]
    yield "fixed", {"shapes": fixed[:9] + random_shapes(rng, 40, 400, 300) + fixed[9:], "frames": 5,
                    "moves": moves, "colours": colours, "resize": None}
    many = random_shapes(rng, 400, 400, 300)
    yield "many", {"shapes": many, "frames": 3,
                   "moves": [[i, rng.uniform(0, 400), rng.uniform(0, 300)] for i in range(0, 400, 3)],
                   "colours": [[i, rng.randrange(1 << 24)] for i in range(0, 400, 5)], "resize": [500, 350]}


def corners(shape):
    f = np.float32
    if shape[0] == "circle":
        _, x, y, r, _ = shape
        left, top = x - r, y - r
        return f(left), f(top), f(left + 2 * r), f(top + 2 * r)
    _, x, y, w, h, _ = shape
    return f(x), f(y), f(x + w), f(y + h)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = np.clip(((px - ax) * dx + (py - ay) * dy) / length, 0, 1) if length else 0
    return np.hypot(px - (ax + t * dx), py - (ay + t * dy))


def triangle_pixels(model, rotation, width, height):
    """A triangle's corners in window pixels, as the engine places them."""
    c, s = np.cos(rotation, dtype=np.float32), np.sin(rotation, dtype=np.float32)
    t = [np.float32(2) * c, np.float32(2) * s, -np.float32(0.5) * s, np.float32(0.5) * c]
    out = []
    for px, py in model:
        clip_x = t[0] * np.float32(px) + t[2] * np.float32(py) + np.float32(0.2)
        clip_y = t[1] * np.float32(px) + t[3] * np.float32(py)
        out.append(((clip_x + 1) * width / 2, (clip_y + 1) * height / 2))
    return out


def rotation_after(frames):
    r = np.float32(1.5707964)
    for _ in range(frames):
        r = np.float32(r + np.float32(0.01))
        r = np.float32(r - np.floor(r / np.float32(6.2831855)) * np.float32(6.2831855))
    return r


def edge_distance(shapes, px, py, frames, width, height):
    best = np.full(px.shape, np.inf)
    for shape in shapes:
        if shape[0] in ("tri", "demo"):
            model = [(0, -1), (1, 1), (-1, 1)] if shape[0] == "tri" else [(0, -0.5), (0.5, 0.5), (-0.5, 0.5)]
            v = triangle_pixels(model, rotation_after(frames), width, height)
            for a, b in ((v[0], v[1]), (v[1], v[2]), (v[2], v[0])):
                best = np.minimum(best, segment_distance(px, py, *a, *b))
            continue
        left, top, right, bottom = (float(v) for v in corners(shape))
        if shape[0] == "circle":
            cx, cy, r = (left + right) / 2, (top + bottom) / 2, (right - left) / 2
            best = np.minimum(best, np.abs(np.hypot(px - cx, py - cy) - r))
        for a, b in (((left, top), (right, top)), ((right, top), (right, bottom)),
                     ((right, bottom), (left, bottom)), ((left, bottom), (left, top))):
            best = np.minimum(best, segment_distance(px, py, *a, *b))
    return best


@pytest.mark.parametrize("name, scene", list(scenes()), ids=[name for name, _ in scenes()])
def test_raster_and_tiles_draw_the_same_pixels(run_qel, tmp_path, name, scene):
    images = {}
    for renderer in ("raster", "tiles"):
        prefix = str(tmp_path / renderer)
        r = run_qel(SCENE, args=[json.dumps(scene), prefix], env={"QEL_RENDERER": renderer}, timeout=120)
        assert r.returncode == 0, r.output[-3000:]
        drawn = [line for line in r.stdout.splitlines() if line.startswith("DRAWN")]
        assert drawn == [f"DRAWN {scene['frames'] + 3} {renderer}"], r.stdout[-500:]
        images[renderer] = {phase: np.load(prefix + "-" + phase + ".npy")
                            for phase in ("created", "changed", "resized") if os.path.exists(prefix + "-" + phase + ".npy")}
    assert images["raster"].keys() == images["tiles"].keys()

    changed = [list(s) for s in scene["shapes"]]
    for index, x, y in scene["moves"]:
        changed[index][1:3] = [x, y]
    phases = {"created": (scene["shapes"], scene["frames"]), "changed": (changed, scene["frames"] + 3),
              "resized": (changed, None)}
    for phase, raster in images["raster"].items():
        tiles = images["tiles"][phase]
        assert raster.shape == tiles.shape, phase
        ys, xs = np.nonzero(np.any(raster != tiles, axis=2))
        if len(xs) == 0:
            continue
        shapes, frames = phases[phase]
        height, width = raster.shape[:2]
        distance = edge_distance(shapes, xs + 0.5, ys + 0.5, frames, width, height)
        far = distance > EDGE
        assert not far.any(), (f"{phase}: {far.sum()} of {len(xs)} differing pixels lie away from every edge, "
                               f"e.g. {list(zip(xs[far][:5], ys[far][:5], distance[far][:5]))}")


def test_renderer_choice_and_the_compute_shader_file(run_qel, build_dir, tmp_path):
    # The default on this CPU driver, an unknown name, and a missing or broken compute shader:
    # each a clear error from init that names what is wrong, after which init works again.
    for name in os.listdir(build_dir):
        if name.startswith("qel.") and name.endswith(".so"):
            os.symlink(os.path.join(build_dir, name), tmp_path / name)
    shaders = tmp_path / "qelDataFiles" / "shaders"
    os.makedirs(shaders)
    for name in os.listdir(os.path.join(build_dir, "qelDataFiles", "shaders")):
        os.symlink(os.path.join(build_dir, "qelDataFiles", "shaders", name), shaders / name)
    r = run_qel(f"""
        import os, json, qel
        shader = {str(shaders / "tiles-comp.spv")!r}
        out = {{}}
        def attempt(name):
            try:
                qel.init([], 100, 100)
                out[name] = qel.getRenderer()
            except RuntimeError as e:
                out[name] = "error: " + str(e)
        attempt("default")
        os.environ["QEL_RENDERER"] = "gpu"
        attempt("unknown")
        os.environ["QEL_RENDERER"] = "tiles"
        os.rename(shader, shader + ".away")
        attempt("missing")
        with open(shader, "wb") as f:
            f.write(open({os.path.join(build_dir, "qelDataFiles", "shaders", "tri-vert.spv")!r}, "rb").read())
        attempt("vertex shader as compute")
        os.remove(shader)
        os.rename(shader + ".away", shader)
        attempt("restored")
        print("RESULT " + json.dumps(out))
    """, env={"PYTHONPATH": os.pathsep.join([str(tmp_path), os.path.dirname(os.path.abspath(__file__))]),
              "QEL_RENDERER": None}, validation=True, timeout=120)
    assert r.returncode == 0, r.output[-3000:]
    out = json.loads([line for line in r.stdout.splitlines() if line.startswith("RESULT ")][-1][7:])
    assert out["default"] == "tiles"
    assert out["unknown"].startswith('error: QEL_RENDERER is "gpu"')
    assert out["missing"] == f"error: failed to open file: {shaders}/tiles-comp.spv"
    assert out["vertex shader as compute"].startswith(f"error: failed to create shader module: {shaders}/tiles-comp.spv")
    assert out["restored"] == "tiles"


DEMO_SCENE = """
import json, os, sys, time
import numpy as np
sys.path.insert(0, os.path.join(sys.argv[1], "demo"))
import demo, qel
offscreen = sys.argv[2] == "offscreen"
qel.init([], demo.WIDTH, demo.HEIGHT, offscreen=offscreen)
game = demo.Game(seed=7)
for step in range(6):
    time.sleep(0.02)
    qel.poll()
    if step == 2:
        game.stars.fall(0.5)
        game.point("caught")
np.save(sys.argv[3], np.frombuffer(qel.readPixels(), np.uint8).reshape(demo.HEIGHT, demo.WIDTH, 4))
state = {"renderer": qel.getRenderer(), "close": qel.shouldClose(), "held": qel.buttonDown("left"),
         "cursor": [qel.getCursor().x, qel.getCursor().y]}
qel.closeWindow()
state["closed"] = qel.shouldClose()
try:
    qel.poll()
except RuntimeError as e:
    state["poll"] = str(e)
print("RESULT " + json.dumps(state))
"""


def test_offscreen_draws_the_windowed_pixels_without_a_display(run_qel, tmp_path, renderer):
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    images, states = {}, {}
    for mode, env in (("window", {}), ("offscreen", {"DISPLAY": None, "WAYLAND_DISPLAY": None})):
        path = str(tmp_path / (mode + ".npy"))
        r = run_qel(DEMO_SCENE, args=[root, mode, path], env={"QEL_RENDERER": renderer, **env}, timeout=120)
        assert r.returncode == 0, r.output[-3000:]
        states[mode] = json.loads(r.stdout.split("RESULT ", 1)[1])
        images[mode] = np.load(path)
        if mode == "offscreen":
            # No surface: the start-up trace lacks only what a surface would add.
            assert "Present mode" not in r.stdout and "Device count: 1" in r.stdout
    assert states["offscreen"] == {"renderer": renderer, "close": False, "held": False, "cursor": [-1.0, -1.0],
                                   "closed": True, "poll": "the window is closed: call qel.init() to open a new one"}
    assert states["window"]["closed"] is False
    r = run_qel("""
        import qel
        try:
            qel.init([], 30000, 100, offscreen=True)
        except RuntimeError as e:
            print("REFUSED", e)
    """, env={"QEL_RENDERER": renderer, "DISPLAY": None})
    assert "REFUSED cannot draw 30000 by 100 pixels: the device's largest image is" in r.stdout, r.output[-2000:]
    # The score, the badge and the stars are there, and every pixel is the windowed one.
    assert len(np.unique(images["offscreen"].reshape(-1, 4), axis=0)) > 20
    assert np.array_equal(images["offscreen"], images["window"])


def test_tiles_splits_a_frame_with_more_tiles_than_one_dispatch_counts(run_qel):
    # 4096 by 4096 is 65,536 tiles, one more than the largest dispatch along x.
    r = run_qel("""
        import qel
        qel.init([], 4096, 4096, offscreen=True)
        qel.createRectangle(0, 0, 4096, 4096, "#20c040", 0)
        qel.poll()
        px = qel.readPixels()
        print("CORNERS", list(px[:3]), list(px[-4:-1]))
    """, env={"QEL_RENDERER": "tiles", "DISPLAY": None}, validation=True, timeout=300)
    assert r.returncode == 0, r.output
    assert not r.validation_messages(), r.validation_messages()
    assert "CORNERS [32, 192, 64] [32, 192, 64]" in r.stdout, r.output
