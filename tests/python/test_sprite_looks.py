"""Sprites turned, scaled, flipped, seen through, tinted and drawn texel by texel, against a
reference drawn here with NumPy; frames, sheets and animated GIFs; bad input refused."""
import json
import re

import numpy as np
from PIL import Image

W, H = 240, 200
BG = np.array([3, 3, 3], float)


NAMED = {"topleft": (0, 0), "center": (0.5, 0.5)}


def reference(pic, x, y, angle=0.0, anchor="center", scale=(1.0, 1.0), flipX=False, flipY=False,
              tint=(255, 255, 255, 255), opacity=1.0, smooth=True, size=None, frame=None):
    """The frame a sprite of `pic` (RGBA) draws over the background, and where it can be
    compared (pixel centres clear of the sprite's edges and, unfiltered, of texel edges), and
    which pixel centres lie on an edge."""
    if frame is not None:
        fx0, fy0, fw, fh = frame
        pic = pic[fy0:fy0 + fh, fx0:fx0 + fw]
    ph, pw = pic.shape[:2]
    w, h = size or (pw, ph)
    ax, ay = (NAMED[anchor][0] * w, NAMED[anchor][1] * h) if isinstance(anchor, str) else anchor
    scale = (scale, scale) if np.isscalar(scale) else scale
    sx, sy = scale[0] * (-1 if flipX else 1), scale[1] * (-1 if flipY else 1)
    if isinstance(tint, str):
        tint = tuple(int(tint[i:i + 2], 16) for i in (1, 3, 5)) + (255,)
    t = np.radians(angle)
    c, s = np.round(np.cos(t), 12), np.round(np.sin(t), 12)
    X, Y = np.meshgrid(np.arange(W) + 0.5, np.arange(H) + 0.5)
    dx, dy = X - (x + ax), Y - (y + ay)
    qx, qy = (c * dx + s * dy) / sx + ax, (-s * dx + c * dy) / sy + ay
    inside = (qx >= 0) & (qx < w) & (qy >= 0) & (qy < h)
    u, v = qx * pw / w, qy * ph / h
    pre = pic[..., :3].astype(float) / 255 * (pic[..., 3:] / 255)
    pre = np.concatenate([pre, pic[..., 3:] / 255], axis=2)
    if smooth:
        su, sv = np.clip(u - 0.5, 0, pw - 1), np.clip(v - 0.5, 0, ph - 1)
        bx, by = np.floor(su).astype(int), np.floor(sv).astype(int)
        fx, fy = (su - bx)[..., None], (sv - by)[..., None]
        bx1, by1 = np.minimum(bx + 1, pw - 1), np.minimum(by + 1, ph - 1)
        top = pre[by, bx] * (1 - fx) + pre[by, bx1] * fx
        colour = top * (1 - fy) + (pre[by1, bx] * (1 - fx) + pre[by1, bx1] * fx) * fy
        clear = np.ones_like(inside)
    else:
        colour = pre[np.clip(np.floor(v), 0, ph - 1).astype(int), np.clip(np.floor(u), 0, pw - 1).astype(int)]
        clear = (np.abs(u - np.round(u)) > 1e-3) & (np.abs(v - np.round(v)) > 1e-3)
    alpha = round(tint[3] * opacity) / 255
    colour = colour * np.array([tint[0] / 255 * alpha, tint[1] / 255 * alpha, tint[2] / 255 * alpha, alpha])
    out = np.where(inside[..., None], colour[..., :3] + (1 - colour[..., 3:]) * BG / 255, BG / 255) * 255
    edge = np.minimum.reduce([qx * abs(sx), (w - qx) * abs(sx), qy * abs(sy), (h - qy) * abs(sy)])
    near = np.abs(edge) <= 1e-2
    return out, inside, ~near & clear, near


# (properties, where the sprite goes); the picture is 8 by 6, pixel (x, y) of the frame.
CASES = [
    ({"flipX": True}, (10, 10)),
    ({"flipY": True}, (30, 10)),
    ({"scale": (-1, 1)}, (50, 10)),
    ({"angle": 90}, (70, 10)),
    ({"angle": 180}, (90, 10)),
    ({"angle": 45}, (110, 10)),
    ({"angle": -30, "anchor": "topleft", "scale": 2}, (140, 20)),
    ({"scale": (2, -1.5)}, (180, 20)),
    ({"scale": 3, "smooth": False}, (10, 40)),
    ({"angle": 30, "scale": 2.5, "smooth": False}, (50, 50)),
    ({"opacity": 0.5}, (100, 50)),
    ({"tint": (255, 128, 0, 200)}, (120, 50)),
    ({"anchor": (2, 1), "angle": 90, "tint": "#80ff40"}, (150, 60)),
    ({"frame": (2, 1, 4, 3), "scale": 2}, (180, 60)),
    ({"size": (20, 9), "angle": 15}, (20, 100)),
]

DRAW = """
import json, sys, numpy as np, qel, qel_testing
cases = json.loads(sys.argv[2])
qel.init([], %d, %d, offscreen=True)
looks = []
for props, (x, y) in cases:
    size = props.pop("size", (0, 0))
    s = qel.createSprite(x, y, sys.argv[1], *size, frame=props.pop("frame", None))
    for name, value in props.items():
        setattr(s, name, value)
    looks.append([s.angle, s.anchor, s.scale, s.flipX, s.flipY, s.opacity, s.tint, s.smooth])
qel_testing.pump(qel, 2)
open(sys.argv[3], "wb").write(qel.readPixels())
print(json.dumps(looks))
""" % (W, H)


def test_turned_scaled_flipped_tinted_sprites_match_the_reference(run_qel, tmp_path, renderer):
    rng = np.random.default_rng(11)
    pic = np.concatenate([rng.integers(0, 256, (6, 8, 3)), np.full((6, 8, 1), 255)], 2).astype(np.uint8)
    pic[2:4, 5, 3] = 120  # seen through: premultiplied blending shows
    Image.fromarray(pic, "RGBA").save(tmp_path / "pic.png")
    r = run_qel(DRAW, args=[str(tmp_path / "pic.png"), json.dumps(CASES), str(tmp_path / "px")],
                env={"QEL_RENDERER": renderer}, timeout=60)
    assert r.returncode == 0, r.output[-3000:]
    drawn = np.frombuffer((tmp_path / "px").read_bytes(), np.uint8).reshape(H, W, 4)[..., :3].astype(float)
    covered = np.zeros((H, W), bool)
    for i, (props, (x, y)) in enumerate(CASES):
        expected, inside, compared, near = reference(pic, x, y, **props)
        assert not (covered & inside).any() and inside.sum() > 20, f"case {i} overlaps another"
        covered |= inside | near
        worst = np.abs(drawn - expected).max(axis=2)[compared & inside]
        assert worst.max() <= 2, (i, props, worst.max())
    assert (drawn[~covered] == BG).all()
    looks = json.loads(r.stdout.strip().splitlines()[-1])
    assert looks[13][1] == [2.0, 1.5] and looks[7][2] == [2.0, -1.5] and looks[12][6] == [128, 255, 64, 255]
    assert looks[9][7] is False and looks[0][3] is True and looks[10][5] == 0.5 and looks[12][1] == [2.0, 1.0]


HUGE = """
import sys, numpy as np, qel, qel_testing
qel.init([], 64, 48, offscreen=True)
s = qel.createSprite(20, 30, sys.argv[1])
s.anchor, s.angle = (2.5, 1.5), 30
for scale in (1e6, 1e9, 1e20):
    s.scale = scale
    qel_testing.pump(qel, 2)
    px = np.frombuffer(qel.readPixels(), np.uint8).reshape(48, 64, 4)[..., :3]
    print(scale, np.unique(px.reshape(-1, 3), axis=0).tolist())
"""


def test_a_turned_sprite_far_larger_than_the_frame_fills_it(run_qel, tmp_path, renderer):
    # Its anchor lies on the centre of texel (2, 1): that texel fills the frame, however far its edges are.
    pic = np.random.default_rng(4).integers(0, 256, (6, 8, 3), dtype=np.uint8)
    Image.fromarray(pic).save(tmp_path / "pic.png")
    r = run_qel(HUGE, args=[str(tmp_path / "pic.png")], env={"QEL_RENDERER": renderer}, timeout=60)
    assert r.returncode == 0, r.output[-3000:]
    lines = r.stdout.strip().splitlines()[-3:]
    assert all(line.split(" ", 1)[1] == str([pic[1, 2].tolist()]) for line in lines), lines


def gif(width, height, frames):
    """A GIF written by hand: palette index i is (i, 255 - i, 7i mod 256), 255 transparent where
    a frame says so; frames are (left, top, indices, disposal, centiseconds)."""
    import struct

    def lzw(indices):
        # A clear code before every 250 indices keeps every code 9 bits wide.
        data, acc, bits = bytearray(), 0, 0
        codes = []
        for i in range(0, len(indices), 250):
            codes += [256, *indices[i:i + 250]]
        for code in codes + [257]:
            acc |= code << bits
            bits += 9
            while bits >= 8:
                data.append(acc & 255)
                acc, bits = acc >> 8, bits - 8
        data += bytes([acc]) if bits else b""
        return bytes([8]) + b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255]
                                     for i in range(0, len(data), 255)) + b"\0"
    palette = b"".join(bytes([i, 255 - i, 7 * i % 256]) for i in range(256))
    out = b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, 0, 0) + palette
    for left, top, indices, disposal, delay in frames:
        out += b"\x21\xF9\x04" + bytes([disposal << 2 | 1]) + struct.pack("<H", delay) + b"\xff\0"
        out += b"\x2C" + struct.pack("<HHHHB", left, top, indices.shape[1], indices.shape[0], 0)
        out += lzw([int(i) for i in indices.ravel()])
    return out + b";"


def gif_canvases(width, height, frames):
    """The canvas after each frame, as the disposal rules say (RGBA, transparent at first)."""
    canvas, shown = np.zeros((height, width, 4), np.uint8), []
    for left, top, indices, disposal, _ in frames:
        before = canvas.copy()
        h, w = indices.shape
        area = canvas[top:top + h, left:left + w]
        colours = np.stack([indices, 255 - indices, 7 * indices % 256, np.full_like(indices, 255)], 2)
        area[indices != 255] = colours[indices != 255]
        shown.append(canvas.copy())
        if disposal == 2:
            area[:] = 0
        elif disposal == 3:
            canvas = before
    return shown


FRAMES = """
import os, sys, numpy as np, qel, qel_testing
D = sys.argv[1]
W, H = 160, 60
qel.init([], W, H, offscreen=True)
canvases = np.load(os.path.join(D, "canvases.npy"))
pic = np.load(os.path.join(D, "pic.npy"))
def seen(x, y, rgba):
    qel_testing.pump(qel, 2, 0.01)
    px = np.frombuffer(qel.readPixels(), np.uint8).reshape(H, W, 4)[y:y + rgba.shape[0], x:x + rgba.shape[1], :3]
    a = rgba[..., 3:] / 255
    return (np.abs(px - np.round(rgba[..., :3] * a + 3 * (1 - a))) <= 1).all()
def refused(call, error):
    try:
        call()
    except error as e:
        return str(e)
    raise AssertionError("accepted")

sheet = qel.loadSheet(os.path.join(D, "anim.gif"))
assert len(sheet) == 4 and sheet.delays == [0.1, 0.2, 0.05, 0.0], sheet.delays
anim = qel.createSprite(10, 10, sheet)
for i in range(len(sheet)):
    anim.setFrame(sheet, i)
    assert seen(10, 10, canvases[i]) and (anim.width, anim.height) == (6, 4), i
still = qel.createSprite(20, 10, os.path.join(D, "anim.gif"))
assert seen(20, 10, canvases[0])

png = os.path.join(D, "pic.png")
cut = qel.loadSheet(png, 5, 5)
assert len(cut) == 8 and cut[1] == (5, 0, 5, 5) and cut[-1] == (15, 5, 5, 5) and cut.frame(-8) == (0, 0, 5, 5)
assert cut.delays == [0.0] * 8 and len(qel.loadSheet(png)) == 1
part = qel.createSprite(40, 10, png, frame=(5, 5, 5, 5))
ident = part.id
assert (part.width, part.height) == (5, 5) and seen(40, 10, pic[5:10, 5:10])
part.setFrame(cut, -6)
assert seen(40, 10, pic[0:5, 10:15])
part.setFrame((0, 0, 20, 10))
assert (part.width, part.height) == (20, 10) and seen(40, 10, pic)
part.setImage(sheet, frame=2)
assert (part.id, part.width, part.height) == (ident, 6, 4) and seen(40, 10, canvases[2])
sized = qel.createSprite(70, 10, png, 12, 0)
sized.setImage(os.path.join(D, "anim.gif"))
assert (sized.width, sized.height) == (12, 4)
keyed = qel.createSprite(90, 10, os.path.join(D, "magenta.png"), colorKey="#ff00ff")
plain = qel.createSprite(90, 30, os.path.join(D, "magenta.png"))
magenta = np.load(os.path.join(D, "magenta.npy"))
hidden = magenta.copy()
hidden[(magenta[..., :3] == [255, 0, 255]).all(2), 3] = 0
assert seen(90, 10, hidden) and seen(90, 30, magenta) and not seen(90, 10, magenta)
plain.setImage(os.path.join(D, "magenta.png"), colorKey=(255, 0, 255))
assert seen(90, 30, hidden)

errors = [refused(call, error) for call, error in [
    (lambda: cut[8], IndexError), (lambda: cut.frame(-9), IndexError), (lambda: part.setFrame(cut, 8), IndexError),
    (lambda: part.setFrame(cut), TypeError), (lambda: part.setFrame((16, 0, 5, 5)), ValueError),
    (lambda: part.setFrame((0, 0, 0, 5)), ValueError), (lambda: part.setFrame((1.5, 0, 2, 2)), TypeError),
    (lambda: part.setFrame((0, 0, 2)), ValueError), (lambda: qel.createSprite(0, 0, png, frame=(0, 8, 5, 5)), ValueError),
    (lambda: qel.loadSheet(png, 30, 5), ValueError), (lambda: qel.loadSheet(png, 5), TypeError),
    (lambda: qel.loadSheet(png, 0, 5), ValueError), (lambda: qel.loadSheet(png, colorKey="nope"), ValueError),
    (lambda: qel.loadSheet(os.path.join(D, "cut.gif")), RuntimeError)]]
for name, value, error in (("opacity", 1.5, ValueError), ("angle", float("nan"), ValueError), ("scale", "x", TypeError),
                           ("anchor", "middle", ValueError), ("tint", "nocolour", ValueError),
                           ("scale", (1, 2, 3), ValueError)):
    refused(lambda: setattr(part, name, value), error)
# A setter's wrong type names the property and its parameter, as a method's would.
assert "opacity(): incompatible" in refused(lambda: setattr(part, "opacity", "x"), TypeError)
assert "(self: qel.Sprite, value: float)" in refused(lambda: setattr(part, "angle", None), TypeError)
assert "frame 8 is not in a sheet of 8 frames" in errors[0] and "12 by 8 pixels" in errors[4], errors
assert "cut.gif: truncated or corrupt GIF data" in errors[13], errors[13]
assert part.width == 6 and part.remove()
assert refused(lambda: setattr(part, "angle", 10), RuntimeError) == f"Sprite {ident} was removed"
refused(lambda: part.angle, RuntimeError)
print("DONE")
"""


def test_frames_sheets_gifs_and_colour_keys(run_qel, tmp_path):
    frames = [(0, 0, np.full((4, 6), 10), 1, 10), (1, 1, np.full((2, 3), 20), 2, 20),
              (4, 0, np.array([[30, 255], [30, 30]]), 3, 5), (0, 2, np.full((2, 2), 40), 0, 0)]
    frames[0][2][0, 0] = 255
    data = gif(6, 4, frames)
    (tmp_path / "anim.gif").write_bytes(data)
    (tmp_path / "cut.gif").write_bytes(data[:len(data) - 25])
    np.save(tmp_path / "canvases.npy", np.array(gif_canvases(6, 4, frames)))
    rng = np.random.default_rng(2)
    pic = np.concatenate([rng.integers(0, 256, (10, 20, 3)), np.full((10, 20, 1), 255)], 2).astype(np.uint8)
    Image.fromarray(pic, "RGBA").save(tmp_path / "pic.png")
    np.save(tmp_path / "pic.npy", pic)
    magenta = pic[:6, :8].copy()
    magenta[1:3, 2:6, :3] = (255, 0, 255)
    Image.fromarray(magenta, "RGBA").save(tmp_path / "magenta.png")
    np.save(tmp_path / "magenta.npy", magenta)
    r = run_qel(FRAMES, args=[str(tmp_path)], timeout=60)
    assert r.returncode == 0 and "DONE" in r.stdout, r.output[-3000:]
