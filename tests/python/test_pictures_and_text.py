"""Sprites and text with both renderers: pictures drawn texel for pixel on whole pixels, scaled bilinearly and
blended over what is below; text laid out in the text colour inside its box; bad files and
arguments refused; one upload per picture and per glyph; the two renderers agree."""
import json
import os
import re

import numpy as np
import pytest
from PIL import Image

BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# Snippets get the pictures' folder as their first argument; frame() is what is on screen.
PRELUDE = """
import os, sys, numpy as np, qel, qel_testing
from PIL import Image
D = sys.argv[1]
W, H = 320, 240
BG = np.array([3, 3, 3])  # the clear colour
qel.init([], W, H)
def frame():
    qel_testing.pump(qel, 4)
    return np.frombuffer(qel.readPixels(), np.uint8).reshape(H, W, 4)[:, :, :3].astype(int)
def picture(name):
    return np.array(Image.open(os.path.join(D, name)).convert("RGB")).astype(int)
def box(handle, px):
    x, y = int(handle.top_left.x), int(handle.top_left.y)
    return px[y:y + int(handle.height), x:x + int(handle.width)]
def edges(handle):
    x, y = handle.top_left.x, handle.top_left.y
    return [x, y, x + handle.width, y + handle.height]
"""


def make_pictures(folder):
    rng = np.random.default_rng(3)
    Image.fromarray(rng.integers(0, 256, (30, 40, 3), dtype=np.uint8)).save(folder / "noise.png")
    smooth = np.add.outer(np.arange(32) * 6, np.arange(48) * 4)[..., None] + np.array([0, 40, 90])
    Image.fromarray((smooth % 256).astype(np.uint8)).save(folder / "photo.jpg", quality=90)
    Image.fromarray(np.array([[0, 255], [255, 0]], np.uint8)).convert("RGB").save(folder / "checker.png")
    # Left half 200,100,50 at alpha 128; right half magenta at alpha 0, which must not show.
    half = np.zeros((20, 20, 4), np.uint8)
    half[:, :10] = (200, 100, 50, 128)
    half[:, 10:] = (255, 0, 255, 0)
    Image.fromarray(half, "RGBA").save(folder / "half.png")
    # Opaque but for see-through corners: only its middle rows hide what is below.
    soft = np.concatenate([rng.integers(0, 256, (16, 16, 3), dtype=np.uint8), np.full((16, 16, 1), 255, np.uint8)], 2)
    for y in (*range(3), *range(13, 16)):
        soft[y, :3, 3] = soft[y, 13:, 3] = 0
    Image.fromarray(soft, "RGBA").save(folder / "soft.png")


def ok(result, code):
    """The run finished; else the snippet's failing line and the end of its output."""
    if result.returncode != 0 or "DONE" not in result.stdout:
        lines = [int(n) for n in re.findall(r'File "<string>", line (\d+)', result.stderr)]
        failing = code.splitlines()[lines[-1] - 1].strip() if lines else ""
        raise AssertionError(f"snippet failed at: {failing}\n{result.output[-3000:]}")
    return result


SPRITES = PRELUDE + """
noise = picture("noise.png")
s_png = qel.createSprite(10, 10, os.path.join(D, "noise.png"))
s_jpg = qel.createSprite(60, 10, os.path.join(D, "photo.jpg"))
s_big = qel.createSprite(120, 10, os.path.join(D, "checker.png"), 64, 64)
s_wide = qel.createSprite(200, 10, os.path.join(D, "checker.png"), width=64)
s_half = qel.createSprite(10, 100, os.path.join(D, "half.png"))
under = qel.createRectangle(0, 90, 40, 60, "#2060a0", 0)  # created later: below the sprite
cover = qel.createRectangle(200, 100, 20, 20, "#00ff00", 0)  # created first: above the sprite
s_hidden = qel.createSprite(190, 90, os.path.join(D, "noise.png"))
for x, y in ((-20, 200), (300, 220)):  # partly outside the window
    qel.createSprite(x, y, os.path.join(D, "noise.png"))
assert (s_png.id, s_png.top_left.x, s_png.top_left.y, s_png.width, s_png.height) == (0, 10, 10, 40, 30)
assert (s_big.width, s_big.height, s_wide.width, s_wide.height) == (64, 64, 64, 2)
px = frame()
assert (px == qel_testing.grab()).all(), "readPixels differs from the window"
assert (px[10:40, 10:50] == noise).all()
jpeg_error = np.abs(px[10:42, 60:108] - picture("photo.jpg")).max()
assert jpeg_error <= 4, jpeg_error
# Bilinear: texel centres at (i + 0.5) / 32 - 0.5, clamped to the picture.
u = np.clip((np.arange(64) + 0.5) / 32 - 0.5, 0, 1)
ramp = 255 * (np.outer(1 - u, u) + np.outer(u, 1 - u))
assert np.abs(px[10:74, 120:184] - ramp[..., None]).max() <= 1, np.abs(px[10:74, 120:184] - ramp[..., None]).max()
assert abs(px[42, 152, 0] - 127.5) <= 1 and px[10, 120, 0] == 0 and px[10, 183, 0] == 255
assert np.abs(px[10:12, 200:264, 0] - [u * 255, (1 - u) * 255]).max() <= 1 and (px[12:14, 200:264] == BG).all()
# Straight alpha over the rectangle below; the transparent half shows it unchanged.
d, a = np.array([0x20, 0x60, 0xa0]), 128 / 255
assert np.abs(px[100:120, 10:20] - (np.array([200, 100, 50]) * a + d * (1 - a))).max() <= 1
assert (px[100:120, 20:30] == d).all()
assert (px[100:120, 200:220] == [0, 255, 0]).all() and (px[90:100, 190:230] == noise[:10]).all()
assert (px[200:230, 0:20] == noise[:, 20:]).all() and (px[220:240, 300:320] == noise[:20, :20]).all()
assert qel.isInside(s_big.id, 183.9, 73.9) and not qel.isInside(s_big.id, 184.5, 20)
assert (qel.objectAt(130, 20), qel.objectAt(205, 105), qel.objectAt(195, 95)) == (s_big.id, cover.id, s_hidden.id)

# Pictures that overflow the first atlas sheet: a larger one replaces it, keeping what it held.
bigs = [qel.createSprite(400, 0, os.path.join(D, "big%d.png" % i)) for i in range(3)]
s_png.moveTo(250.4, 149.6)  # at its own size a picture lands on whole pixels, texel for pixel
qel.moveTo(s_jpg.id, 250, 190)
s_half.setLayer(-1)
qel.setLayer(s_hidden.id, 1)
s_big.resize(0, 0)  # 0: the picture's own size, as in createSprite
assert (s_big.width, s_big.height) == (2, 2)
for bad in ((-1, 5), (5, float("inf"))):
    try:
        s_big.resize(*bad)
        raise AssertionError(bad)
    except ValueError:
        pass
s_big.resize(32, 16)
px = frame()
assert (s_png.top_left.x, s_png.top_left.y, s_big.width, s_big.height) == (250.4, 149.6, 32, 16)
assert (px[150:180, 250:290] == noise).all() and (px[10:40, 10:50] == BG).all()
assert np.abs(px[190:222, 250:298] - picture("photo.jpg")).max() <= 4
assert (px[100:120, 10:30] == d).all()
assert (px[90:120, 190:230] == noise).all()
assert (px[10, 120, 0], px[25, 151, 0], px[10, 151, 0]) == (0, 0, 255) and (px[26:74, 120:184] == BG).all() \
    and (px[10:26, 152:184] == BG).all()
assert qel.removeObject(s_png.id) and s_wide.remove() and not s_wide.remove()
bigs[2].moveTo(20, 0)  # created last: below everything else
px = frame()
big = picture("big2.png")
assert (px[150:180, 250:290] == big[150:180, 230:270]).all() and (px[10:12, 200:264] == big[10:12, 180:244]).all()
assert (px[130:190, 60:240] == big[130:190, 40:220]).all()
print("DONE")
"""


def test_sprites_draw_pictures_blend_and_follow_their_handles(run_qel, tmp_path, renderer):
    make_pictures(tmp_path)
    rng = np.random.default_rng(6)
    for i in range(3):
        Image.fromarray(rng.integers(0, 256, (300, 300, 3), dtype=np.uint8)).save(tmp_path / f"big{i}.png")
    r = ok(run_qel(SPRITES, args=[str(tmp_path)], env={"QEL_RENDERER": renderer}, timeout=90), SPRITES)
    block = "Rectangle Check:\n\tClick: (183.9, 73.9)\n\tLeft: 120\n\tRight: 184\n\tTop: 10\n\tBottom: 74\n"
    assert block in r.stdout


GROWN = PRELUDE + """
qel.createSprite(10, 10, os.path.join(D, "noise.png"))
before = frame()
qel.createSprite(0, 0, os.path.join(D, "wide.png"))  # replaces the atlas sheet before any frame draws it
after = np.frombuffer(qel.readPixels(), np.uint8).reshape(H, W, 4)[:, :, :3].astype(int)
assert (after == before).all() and (after[10:40, 10:50] == picture("noise.png")).all()
qel.screenshot(os.path.join(D, "shot.png"))
assert (picture("shot.png") == before).all()
print("DONE")
"""


def test_the_last_frame_reads_back_after_the_atlas_grew(run_qel, tmp_path, renderer):
    make_pictures(tmp_path)
    Image.new("RGB", (600, 600), (9, 90, 200)).save(tmp_path / "wide.png")
    ok(run_qel(GROWN, args=[str(tmp_path)], env={"QEL_RENDERER": renderer}, timeout=60), GROWN)


ERRORS = PRELUDE + """
for name in sys.argv[2:]:
    try:
        qel.createSprite(5, 5, os.path.join(D, name))
        print("CREATED", name)
    except RuntimeError as e:
        print("REFUSED", name, "|", e)
fonts = [dict(font=os.path.join(D, "missing.ttf")), dict(font=os.path.join(D, "text.png")), dict(font=D),
         dict(font=os.path.join(D, "vast.ttf"))]
for kwargs in fonts:
    try:
        qel.createText(5, 5, "x", 200, "#ffffff", **kwargs)
        print("CREATED", kwargs)
    except RuntimeError as e:
        print("REFUSED font |", e)
for call in (lambda: qel.createSprite(5, 5, os.path.join(D, "noise.png"), -1),
             lambda: qel.createSprite(5, 5, os.path.join(D, "noise.png"), 10, float("nan")),
             lambda: qel.createText(5, 5, "x", 0, "#ffffff"), lambda: qel.createText(5, 5, "x", -3, "#ffffff"),
             lambda: qel.createText(5, 5, "x", 0.999, "#ffffff")):
    try:
        call()
        print("CREATED by a bad argument")
    except ValueError:
        pass
# Nothing was created, and the atlas still takes and draws pictures.
s = qel.createSprite(10, 10, os.path.join(D, "noise.png"))
assert s.id == 0, s.id
assert (frame()[10:40, 10:50] == picture("noise.png")).all()
# Text that cannot be laid out (a glyph too large) leaves the old text drawn.
# Its dot is some 1150 by 1870 pixels, about (1945, 10946) from the corner: the window is inside it.
label = qel.createText(-1785, -10826, ".", 100, "#ffffff", font=os.path.join(D, "vast.ttf"))
shown, size = frame(), (label.width, label.height)
try:
    label.setText("W.")
    raise AssertionError("laid out")
except RuntimeError:
    pass
assert (frame() == shown).all() and (label.width, label.height) == size and (shown[50:] == 255).all()
# Huge pictures and glyphs are refused before they are decoded or rendered.
import resource
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss >> 10
# AddressSanitizer's quarantine and shadow memory hold more.
assert peak < (600 if os.environ.get("QEL_SANITIZED") != "1" else 1200), f"{peak} MiB at the peak"
print("DONE")
"""


def vast_pictures(folder):
    """A PNG and a JPEG of a few bytes that declare 16384 by 16384 pixels, and DejaVu Sans made
    to draw 128 times larger than its em (units per em 16)."""
    import struct
    import zlib

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", 16384, 16384, 8, 0, 0, 0, 0)
    (folder / "vast.png").write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                                      chunk(b"IDAT", zlib.compress(b"\0" * 100)) + chunk(b"IEND", b""))
    Image.new("L", (8, 8)).save(folder / "vast.jpg")
    jpeg = bytearray((folder / "vast.jpg").read_bytes())
    sof = jpeg.index(b"\xff\xc0")
    jpeg[sof + 5:sof + 9] = struct.pack(">HH", 16384, 16384)
    (folder / "vast.jpg").write_bytes(jpeg)
    (folder / "vast.gif").write_bytes(b"GIF89a" + struct.pack("<HHBBB", 16384, 16384, 0x80, 0, 0) + bytes(6) + b";")
    # A 1 by 1 canvas with a frame of 65535 by 65535 pixels, its data a few bytes.
    (folder / "tall.gif").write_bytes(b"GIF89a" + struct.pack("<HHBBB", 1, 1, 0x80, 0, 0) + bytes(6) + b"," +
                                      struct.pack("<HHHHB", 0, 0, 65535, 65535, 0) + b"\x02\x02\x44\x01\x00;")
    font = bytearray(open("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "rb").read())
    tables = struct.unpack(">H", font[4:6])[0]
    for i in range(tables):
        tag, _, offset, _ = struct.unpack(">4sIII", font[12 + 16 * i:28 + 16 * i])
        if tag == b"head":
            font[offset + 18:offset + 20] = struct.pack(">H", 16)
    (folder / "vast.ttf").write_bytes(font)


def test_bad_pictures_fonts_and_sizes_raise_and_create_nothing(run_qel, tmp_path, renderer):
    make_pictures(tmp_path)
    rng = np.random.default_rng(4)
    Image.fromarray(rng.integers(0, 256, (64, 64, 3), dtype=np.uint8)).save(tmp_path / "whole.png")
    Image.fromarray(rng.integers(0, 256, (64, 64, 3), dtype=np.uint8)).save(tmp_path / "whole.jpg")
    Image.fromarray(rng.integers(0, 256, (64, 64, 3), dtype=np.uint8)).save(tmp_path / "whole.gif")
    for name in ("whole.png", "whole.jpg", "whole.gif"):
        data = (tmp_path / name).read_bytes()
        (tmp_path / ("cut-" + name)).write_bytes(data[:len(data) // 2])
    (tmp_path / "text.png").write_text("hello, not a picture\n")
    (tmp_path / "empty.png").write_bytes(b"")
    (tmp_path / "folder.png").mkdir()
    os.mkfifo(tmp_path / "pipe.png")
    Image.new("RGB", (16385, 1)).save(tmp_path / "wide.png")
    vast_pictures(tmp_path)
    reasons = {"missing.png": "No such file", "folder.png": "not a regular file", "pipe.png": "not a regular file",
               "cut-whole.png": "PNG data", "cut-whole.jpg": "JPEG data", "cut-whole.gif": "GIF data",
               "text.png": "not a PNG, JPEG or GIF", "empty.png": "not a PNG, JPEG or GIF",
               "wide.png": "larger than the device's largest image", "vast.png": "larger than the largest picture",
               "vast.jpg": "larger than the largest picture", "vast.gif": "larger than the largest picture",
               "tall.gif": "a frame of 65535 by 65535 pixels"}
    r = ok(run_qel(ERRORS, args=[str(tmp_path), *reasons], env={"QEL_RENDERER": renderer}, timeout=60), ERRORS)
    refused = dict(re.findall(r"^REFUSED (\S+) \| (.*)$", r.stdout, re.M))
    for name, reason in reasons.items():
        assert str(tmp_path / name) in refused.get(name, "") and reason in refused[name], (name, refused.get(name))
    fonts = re.findall(r"^REFUSED font \| (.*)$", r.stdout, re.M)
    assert len(fonts) == 4 and all(p in m for p, m in zip(["missing.ttf", "text.png", str(tmp_path), "vast.ttf"], fonts)), fonts
    assert "a glyph is" in fonts[3] and "larger than" in fonts[3], fonts[3]
    assert "CREATED" not in r.stdout


TEXT = PRELUDE + """
import pathlib
C = np.array([255, 204, 0])
def ink(area, colour=C):
    # Pixels of the text colour at some coverage over the clear colour; all others must be BG.
    lit = np.any(area != BG, axis=2)
    k = np.argmax(np.abs(colour - BG))
    cover = (area[..., k] - BG[k]) / (colour[k] - BG[k])
    assert np.abs(area - (BG + cover[..., None] * (colour - BG))).max() <= 2, "text not in its colour"
    return lit.sum()
words = qel.createText(10, 10, "Ünïcödé Ωμέγα Жизнь", 24, "#ffcc00")
one = qel.createText(10, 50, "Ab", 24, "#ffcc00")
two = qel.createText(60, 50, "Ab\\nAb", 24, "#ffcc00")
empty = qel.createText(200, 200, "", 24, "#ffcc00")
# The last two are missing from DejaVu Sans; U+0905 is three bytes led by 0xE0.
letters = [qel.createText(10 + 30 * i, 120, c, 24, "#ffcc00") for i, c in enumerate("ЖΩé中\u0905")]
regular = qel.createText(10, 160, "Bold", 24, "#ffcc00")
bold = qel.createText(80, 160, "Bold", 24, "#ffcc00", font=pathlib.Path(sys.argv[2]))
lay = qel.createText(200, 160, "Lay", 24, "#ffcc00")
rect = qel.createRectangle(195, 155, 40, 60, "#202080", 0)  # below the text, created after it
assert (empty.width, empty.height) == (0, 0) and words.width > 150 and words.height >= 24
assert two.width == one.width and two.height in (2 * one.height - 1, 2 * one.height), (one.height, two.height)
oh = int(one.height)
px = frame()
outside = np.ones((H, W), bool)
for h in [words, one, two, regular, bold] + letters:
    assert ink(box(h, px)) > 20, h
    outside[int(h.top_left.y):int(h.top_left.y + h.height), int(h.top_left.x):int(h.top_left.x + h.width)] = False
outside[150:200, 190:260] = False
assert (px[outside] == BG).all(), "drawn outside the text boxes"
assert (box(two, px)[:oh] == box(one, px)).all()
assert any((box(two, px)[k:k + oh] == box(one, px)).all() for k in range(oh - 1, oh + 2)), "second line"
glyphs = [box(h, px) for h in letters]
assert glyphs[3].shape == glyphs[4].shape and (glyphs[3] == glyphs[4]).all(), "missing-glyph boxes differ"
assert all(g.shape != glyphs[3].shape or (g != glyphs[3]).any() for g in glyphs[:3])
assert all(h.width <= 28 for h in letters), [h.width for h in letters]  # one glyph each
assert ink(box(bold, px)) > ink(box(regular, px)) and bold.width > regular.width
assert (px[155:195, 195:255] != [0x20, 0x20, 0x80]).any()
old = box(letters[3], px).copy()

words.setText("Ab")
assert (words.width, words.height) == (one.width, one.height)
one.setColor("#00ffff")
letters[3].moveTo(250, 10)
lay.setLayer(-1)
assert bold.remove() and not bold.remove()
px = frame()
assert (box(words, px) == box(two, px)[:oh]).all() and (px[10:40, 10 + int(one.width):200] == BG).all()
assert ink(box(one, px), np.array([0, 255, 255])) > 20
assert (box(letters[3], px) == old).all() and (px[120:150, 100:130] == BG).all()
assert (px[155:195, 195:255] == [0x20, 0x20, 0x80]).all() and (px[160:200, 80:190] == BG).all()
print("DONE")
"""


def test_text_draws_in_its_box_and_follows_its_handle(run_qel, tmp_path, renderer):
    ok(run_qel(TEXT, args=[str(tmp_path), BOLD], env={"QEL_RENDERER": renderer}, timeout=90), TEXT)


TEXT_OPTIONS = PRELUDE + """
def lit(h, px):
    return int(np.any(box(h, px) != BG, axis=2).sum())
def drawn_only_in(handles, px):
    outside = np.ones((H, W), bool)
    for h in handles:
        outside[int(h.top_left.y):int(h.top_left.y + h.height) + 1, int(h.top_left.x):int(h.top_left.x + h.width) + 1] = False
    return (px[outside] == BG).all()
regular = qel.createText(10, 10, "Wide", 24, "white")
bold = qel.createText(10, 40, "Wide", 24, "white", bold=True)
italic = qel.createText(10, 70, "Wide", 24, "white", italic=True)
both = qel.createText(10, 100, "Wide", 24, "white", bold=True, italic=True)
named = qel.createText(110, 40, "Wide", 24, "white", font=sys.argv[2])
assert bold.width > regular.width and (bold.width, bold.height) == (named.width, named.height)
mid = qel.createText(200, 180, "Mid", 24, "white", anchor="center")
corner = qel.createText(300, 230, "Br", 24, "white", anchor="bottomright")
offset = qel.createText(150, 150, "Off", 24, "white", anchor=(5, 7))
assert (mid.top_left.x + mid.width / 2, mid.top_left.y + mid.height / 2) == (200, 180)
assert (corner.top_left.x + corner.width, corner.top_left.y + corner.height) == (300, 230)
assert (offset.top_left.x, offset.top_left.y) == (145, 143)
odd = qel.createText(10, 200, "a\\ud800b", 12, "white")
assert odd.text == "a\\ufffdb" and mid.text == "Mid"
px = frame()
assert (box(bold, px) == box(named, px)).all(), "bold is not DejaVu Sans Bold"
assert lit(bold, px) > lit(regular, px)
assert all((box(a, px).shape != box(b, px).shape) or (box(a, px) != box(b, px)).any()
           for a, b in [(regular, italic), (bold, both), (italic, both)])
assert drawn_only_in([regular, bold, italic, both, named, mid, corner, offset, odd], px)

# New text and a new size keep the anchor point where it was.
mid.setText("Much wider")
assert mid.text == "Much wider" and mid.top_left.x + mid.width / 2 == 200
corner.setSize(48)
assert corner.height > 40 and (corner.top_left.x + corner.width, corner.top_left.y + corner.height) == (300, 230)
offset.setSize(12)
assert (offset.top_left.x, offset.top_left.y) == (145, 143) and offset.height < 20
mid.moveTo(160, 60)
assert mid.top_left.y + mid.height / 2 == 60
for bad in [0, 1e9, float("nan")]:
    try:
        corner.setSize(bad)
        raise AssertionError(bad)
    except ValueError:
        pass
assert corner.height > 40
px = frame()
assert drawn_only_in([regular, bold, italic, both, named, mid, corner, offset, odd], px)
assert lit(corner, px) > 3 * lit(offset, px)

for kwargs, error in [(dict(bold=True, font=sys.argv[2]), ValueError), (dict(anchor="middle"), ValueError),
                      (dict(anchor=(1, 2, 3)), ValueError), (dict(anchor=3), TypeError)]:
    try:
        qel.createText(0, 0, "x", 12, "white", **kwargs)
        raise AssertionError(kwargs)
    except error as e:
        assert str(e)
print("DONE")
"""


def test_text_anchors_styles_sizes_and_its_text(run_qel, tmp_path, renderer):
    ok(run_qel(TEXT_OPTIONS, args=[str(tmp_path), BOLD], env={"QEL_RENDERER": renderer}, timeout=90), TEXT_OPTIONS)


FONT_FILES = PRELUDE + """
import resource
os.chdir(os.path.join(D, "regular"))
regular = qel.createText(10, 10, "Wide", 24, "#ffffff", font="f.ttf")
os.chdir(os.path.join(D, "bold"))
bold = qel.createText(10, 60, "Wide", 24, "#ffffff", font="f.ttf")
assert bold.width > regular.width, (regular.width, bold.width)
before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss >> 10
spellings = ["." + "/." * i + "/f.ttf" for i in range(200)]
same = [qel.createText(10, 60, "Wide", 24, "#ffffff", font=name) for name in spellings]
assert all((t.width, t.height) == (bold.width, bold.height) for t in same)
grown = (resource.getrusage(resource.RUSAGE_SELF).ru_maxrss >> 10) - before
assert grown < 40, f"200 spellings of one font file took {grown} MiB"
print("DONE")
"""


def test_a_font_is_known_by_its_file_not_its_spelling(run_qel, tmp_path):
    for folder, font in (("regular", "DejaVuSans.ttf"), ("bold", "DejaVuSans-Bold.ttf")):
        (tmp_path / folder).mkdir()
        (tmp_path / folder / "f.ttf").symlink_to("/usr/share/fonts/truetype/dejavu/" + font)
    ok(run_qel(FONT_FILES, args=[str(tmp_path)], timeout=60), FONT_FILES)


UPLOADS = PRELUDE + """
import time
n, frames = int(sys.argv[2]), int(sys.argv[3])
strings = ["Score 0123", "Score 4567", "Lives 89", "Level 3"]
qel.createText(0, 200, "".join(strings), 40, "#ffffff")  # every glyph in the atlas
label = qel.createText(0, 0, strings[0], 40, "#ffffff")
sprites = [qel.createSprite(i % 20 * 15, 50 + i // 20 * 15, os.path.join(D, "square.png")) for i in range(n)]
frame()
for f in range(frames):
    label.setText(strings[f % 4])
    time.sleep(0.017)
    qel.poll()
assert (frame()[50:150, 0:100] == picture("square.png")).all()
print("DONE")
"""


def test_pictures_and_glyphs_are_uploaded_once(run_qel, build_dir, tmp_path, renderer):
    # 200 copies of the picture, or 200 labels' glyphs, would fill the first atlas sheet several times.
    square = np.random.default_rng(5).integers(0, 256, (100, 100, 3), dtype=np.uint8)
    Image.fromarray(square).save(tmp_path / "square.png")
    preload = " ".join(filter(None, [os.environ.get("LD_PRELOAD"), os.path.join(build_dir, "libvk_alloc_counter.so")]))
    counts = []
    for n, frames in ((1, 10), (200, 200)):
        r = ok(run_qel(UPLOADS, args=[str(tmp_path), str(n), str(frames)],
                       env={"LD_PRELOAD": preload, "QEL_RENDERER": renderer}, timeout=120), UPLOADS)
        counts.append(int(re.search(r"vk-alloc-counter: allocations=(\d+)", r.stderr).group(1)))
    assert counts[1] == counts[0], f"1 sprite, 10 frames: {counts[0]} allocations; 200 and 200: {counts[1]}"


RECLAIMED = PRELUDE + """
import resource
kept = qel.createSprite(300, 0, os.path.join(D, "kept.png"))  # used throughout: keeps its place
label = qel.createText(0, 200, "Kept", 20, "#ffffff")
for i in range(70):
    s = qel.createSprite(0, 0, os.path.join(D, "p%d.png" % i))
    qel.poll()
    px = np.frombuffer(qel.readPixels(), np.uint8).reshape(H, W, 4)[:, :, :3].astype(int)
    assert (px[100, 100] == [i, 255 - i, 7]).all() and (px[0:20, 300:320] == [0, 0, 255]).all(), i
    assert s.remove()
first = frame()[200:220].copy()
for size in range(110):
    qel.createText(0, 0, "ABCDEFGHIJ", 450 + 5 * size, "#ffffff").remove()
assert (frame()[200:220] == first).all() and (first != BG).any()
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss >> 10
# AddressSanitizer holds freed memory in quarantine and keeps shadow memory besides.
assert peak < (800 if os.environ.get("QEL_SANITIZED") != "1" else 2048), f"{peak} MiB at the peak"
print("DONE")
"""


@pytest.fixture(scope="module")
def many_pictures(tmp_path_factory):
    # Each alone fills a sheet of 2048: without reuse the atlas would need 70 of them.
    folder = tmp_path_factory.mktemp("many")
    for i in range(70):
        Image.new("RGB", (2000, 2000), (i, 255 - i, 7)).save(folder / f"p{i}.png", compress_level=1)
    Image.new("RGB", (20, 20), (0, 0, 255)).save(folder / "kept.png")
    return folder


def test_atlas_places_nothing_shows_are_used_again(run_qel, many_pictures, renderer):
    ok(run_qel(RECLAIMED, args=[str(many_pictures)], env={"QEL_RENDERER": renderer}, timeout=300), RECLAIMED)


# One sprite shown each picture in turn: each it leaves is one user fewer, so its place is taken back.
SWAPPED = PRELUDE + """
import resource
s = qel.createSprite(0, 0, os.path.join(D, "kept.png"), 200, 200)
for i in range(70):
    s.setImage(os.path.join(D, "p%d.png" % i), frame=(0, 0, 40, 40))
    qel.poll()
    px = np.frombuffer(qel.readPixels(), np.uint8).reshape(H, W, 4)[:, :, :3].astype(int)
    assert (px[100, 100] == [i, 255 - i, 7]).all() and (s.width, s.height) == (200, 200), i
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss >> 10
assert peak < (800 if os.environ.get("QEL_SANITIZED") != "1" else 2048), f"{peak} MiB at the peak"
print("DONE")
"""


def test_a_sprite_shown_other_pictures_lets_the_old_ones_go(run_qel, many_pictures):
    ok(run_qel(SWAPPED, args=[str(many_pictures)], env={"QEL_RENDERER": "tiles"}, timeout=300), SWAPPED)


SCENE = PRELUDE + """
import json
boxes = [edges(qel.createSprite(164.3, 52.6, os.path.join(D, "soft.png"), 64, 128)),
         edges(qel.createText(20, 20, "Héllo, Ωμέγα!", 28, "#ffffff")),
         edges(qel.createSprite(140.25, 30.5, os.path.join(D, "half.png"), 40, 30))]
qel.createCircle(160, 120, 60, "#c03030", 0)
boxes += [edges(qel.createSprite(30, 80, os.path.join(D, "noise.png"))),
          edges(qel.createSprite(100.5, 150.75, os.path.join(D, "checker.png"), 50, 37)),
          edges(qel.createSprite(230.5, 140.25, os.path.join(D, "photo.jpg")))]
qel.createRectangle(0, 60, 100, 320, "#30a050", 0)
label = qel.createText(200.5, 130.25, "qel\\ntext", 12, "#102030")
label.setLayer(1)
boxes.append(edges(label))
np.save(sys.argv[2], frame())
print("BOXES", json.dumps(boxes))
print("DONE")
"""
# Pixels may differ where their centre lies this close to an edge: the rasteriser snaps
# vertices to 1/256 px, the compute pass does not.
EDGE = 1.0 / 256 + 1e-6


def test_raster_and_tiles_draw_the_same_sprites_and_text(run_qel, tmp_path):
    make_pictures(tmp_path)
    shots = {}
    for renderer in ("raster", "tiles"):
        out = str(tmp_path / (renderer + ".npy"))
        r = ok(run_qel(SCENE, args=[str(tmp_path), out], env={"QEL_RENDERER": renderer}, timeout=60), SCENE)
        shots[renderer] = np.load(out)
        boxes = json.loads(re.search(r"^BOXES (.*)$", r.stdout, re.M).group(1))  # the same in both runs
    diff = np.abs(shots["raster"] - shots["tiles"]).max(axis=2)
    ys, xs = np.nonzero(diff > 1)
    boxes += [(0, 60, 320, 160), (100, 60, 220, 180)]  # the rectangle, the circle's square
    cx, cy = xs + 0.5, ys + 0.5
    near = np.abs(np.hypot(cx - 160, cy - 120) - 60) <= EDGE
    for left, top, right, bottom in boxes:
        inside_x, inside_y = (cx >= left - EDGE) & (cx <= right + EDGE), (cy >= top - EDGE) & (cy <= bottom + EDGE)
        near |= (inside_y & ((np.abs(cx - left) <= EDGE) | (np.abs(cx - right) <= EDGE)))
        near |= (inside_x & ((np.abs(cy - top) <= EDGE) | (np.abs(cy - bottom) <= EDGE)))
    far = ~near
    assert not far.any(), f"{far.sum()} pixels differ by more than 1 away from edges, e.g. " + json.dumps(
        [(int(x), int(y), int(diff[y, x])) for x, y in zip(xs[far][:5], ys[far][:5])])


# Faults found by these tests, kept until the engine is fixed.
ONE_PICTURE = PRELUDE + """
qel.createSprite(0, 0, os.path.join(D, sys.argv[2]))
px = frame()
assert (px[0, :] == [int(v) for v in sys.argv[3:]]).all(), px[0, :4].tolist()
print("DONE")
"""


def test_a_16_bit_png_draws_like_its_8_bit_twin(run_qel, tmp_path):
    Image.fromarray(np.full((4, 320), 32768, np.uint16)).save(tmp_path / "grey16.png")
    ok(run_qel(ONE_PICTURE, args=[str(tmp_path), "grey16.png", "128", "128", "128"], timeout=60), ONE_PICTURE)


def test_a_cmyk_jpeg_draws_as_pillow_converts_it(run_qel, tmp_path):
    # Pillow writes Adobe's inverted CMYK; (255 - c) * (255 - k) / 255 is 46, 190, 131.
    Image.new("CMYK", (320, 4), (200, 30, 100, 40)).save(tmp_path / "cmyk.jpg", "JPEG")
    ok(run_qel(ONE_PICTURE, args=[str(tmp_path), "cmyk.jpg", "46", "190", "131"], timeout=60), ONE_PICTURE)


def test_a_picture_of_the_largest_image_size_draws(run_qel, tmp_path):
    Image.new("RGB", (16384, 1), (255, 0, 0)).save(tmp_path / "widest.png")
    ok(run_qel(ONE_PICTURE, args=[str(tmp_path), "widest.png", "255", "0", "0"], timeout=60), ONE_PICTURE)


OVERHANG = PRELUDE + """
t = qel.createText(100, 100, "jaf", 40, "#ffffff")
px = frame()
outside = np.any(px != BG, axis=2)
outside[100:100 + int(t.height), 100:100 + int(t.width)] = False
assert not outside.any(), np.argwhere(outside)[:, ::-1].tolist()
print("DONE")
"""


def test_glyphs_overhanging_their_advance_stay_in_the_box(run_qel, tmp_path):
    ok(run_qel(OVERHANG, args=[str(tmp_path)], timeout=60), OVERHANG)
