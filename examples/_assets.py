"""The examples' pictures and sounds, drawn and synthesised here with the standard library.

Nothing is downloaded: `ensure()` writes the PNG and WAV files into examples/assets/ the
first time an example asks for them, and returns their paths by name.
"""
import math
import os
import struct
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
FOLDER = os.path.join(HERE, "assets")
RATE = 22050  # samples a second: plenty for these sounds, and small files


# --- Pictures --------------------------------------------------------------------------------

class Canvas:
    """An RGBA picture in a list, painted by shapes; transparent to begin with."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [(0, 0, 0, 0)] * (width * height)

    def paint(self, inside, colour):
        """Sets every pixel whose centre `inside(x, y)` holds."""
        colour = tuple(colour) + (255,) * (4 - len(colour))
        for y in range(self.height):
            for x in range(self.width):
                if inside(x + 0.5, y + 0.5):
                    self.pixels[y * self.width + x] = colour

    def rect(self, x, y, w, h, colour):
        self.paint(lambda px, py: x <= px < x + w and y <= py < y + h, colour)

    def disc(self, cx, cy, r, colour):
        self.paint(lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r, colour)

    def polygon(self, points, colour):
        def inside(px, py):  # even-odd rule: a ray to the right crosses an odd number of edges
            odd = False
            for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
                if (y0 > py) != (y1 > py) and px < x0 + (py - y0) * (x1 - x0) / (y1 - y0):
                    odd = not odd
            return odd
        self.paint(inside, colour)

    def png(self):
        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
        rows = (b"\0" + bytes(v for p in self.pixels[y * self.width:(y + 1) * self.width] for v in p)
                for y in range(self.height))  # filter byte 0: each row as it is
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)  # 8-bit RGBA
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def ship():
    """The player's ship, 32x32, nose up (angle 0 in qel points up)."""
    c = Canvas(32, 32)
    c.polygon([(16, 1), (29, 29), (16, 22), (3, 29)], (90, 200, 255))
    c.polygon([(16, 8), (21, 20), (16, 17), (11, 20)], (230, 245, 255))
    c.rect(13, 24, 6, 4, (255, 150, 40))  # the engine's glow
    return c


def enemy():
    """A red saucer, 28x28, the same from every side."""
    c = Canvas(28, 28)
    c.disc(14, 14, 13, (200, 40, 60))
    c.disc(14, 14, 8, (255, 120, 110))
    c.disc(14, 14, 3, (60, 0, 20))
    return c


def hero():
    """The platformer's hero: six 24x32 frames side by side (0 stands, 1-4 run, 5 jumps)."""
    c = Canvas(24 * 6, 32)
    # How far each foot reaches forward (+) or back (-) in each frame, and the arm swing.
    strides = [(0, 0), (5, -4), (2, -1), (-4, 5), (-1, 2), (4, -3)]
    for frame, (front, back) in enumerate(strides):
        x0 = frame * 24
        lift = -3 if frame == 5 else 0  # the jump frame tucks its legs up
        c.rect(x0 + 9 + back, 24 + lift, 4, 8 + lift, (60, 60, 140))  # back leg, darker
        c.rect(x0 + 11 + front, 24 + lift, 4, 8 + lift, (80, 80, 200))  # front leg
        c.rect(x0 + 7, 12, 10, 13, (230, 80, 60))  # body: a red shirt
        c.rect(x0 + 12 + front // 2, 14, 3, 8, (250, 200, 160))  # an arm
        c.disc(x0 + 12, 7, 6, (250, 200, 160))  # head
        c.rect(x0 + 6, 0, 12, 4, (90, 50, 20))  # hair
        c.rect(x0 + 14, 5, 2, 2, (20, 20, 20))  # an eye, facing right
    return c


# --- Sounds ----------------------------------------------------------------------------------

def tone(start_hz, end_hz, seconds, level=0.5, wave_shape=math.sin):
    """A sound sliding from one pitch to another, fading out towards its end."""
    n, phase, out = int(seconds * RATE), 0.0, []
    for i in range(n):
        phase += 2 * math.pi * (start_hz + (end_hz - start_hz) * i / n) / RATE
        out.append(level * wave_shape(phase) * min(1.0, i / 100) * (1 - i / n))
    return out


def square(phase):
    return 1.0 if math.sin(phase) >= 0 else -1.0


def noise_burst(seconds, level=0.6):
    """An explosion: noise (from a small fixed generator, so files repeat) that dies away."""
    n, seed, out = int(seconds * RATE), 12345, []
    for i in range(n):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        out.append(level * (seed / 0x3FFFFFFF - 1) * (1 - i / n) ** 2)
    return out


def tune():
    """The platformer's music: eight bars of a bouncy square-wave line over a bass, looping."""
    notes = [0, 4, 7, 12, 7, 4, 0, 4, 5, 9, 12, 9, 7, 4, 2, -1]  # semitones above A3
    beat, out = 0.2, []
    for bar in range(2):
        for k, semis in enumerate(notes):
            hz = 220 * 2 ** (semis / 12)
            melody = tone(hz, hz, beat, 0.15, square)
            bass = tone(110 * 2 ** ((notes[k - k % 4]) / 12), 110, beat, 0.2)
            out += [a + b for a, b in zip(melody, bass)]
    return out


def write_wav(path, samples):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", round(32767 * max(-1.0, min(1.0, v)))) for v in samples))


# What each file is made of: a Canvas for .png, a list of samples for .wav.
MAKERS = {
    "ship.png": ship,
    "enemy.png": enemy,
    "hero.png": hero,
    "bounce.wav": lambda: tone(440, 440, 0.06, 0.4, square),
    "brick.wav": lambda: tone(880, 1320, 0.1, 0.4, square),
    "lose.wav": lambda: tone(400, 100, 0.5, 0.4),
    "laser.wav": lambda: tone(1500, 300, 0.12, 0.3, square),
    "boom.wav": lambda: noise_burst(0.4),
    "jump.wav": lambda: tone(300, 700, 0.15, 0.3, square),
    "music.wav": tune,
}


def ensure():
    """Makes any missing file in examples/assets/ and returns {name: path} for all of them."""
    os.makedirs(FOLDER, exist_ok=True)
    paths = {}
    for name, make in MAKERS.items():
        path = paths[name] = os.path.join(FOLDER, name)
        if os.path.exists(path):
            continue
        # Written under a temporary name and renamed, so two examples starting at once never
        # read half a file.
        part = f"{path}.{os.getpid()}.part"
        made = make()
        if name.endswith(".png"):
            with open(part, "wb") as out:
                out.write(made.png())
        else:
            write_wav(part, made)
        os.replace(part, path)
    return paths


if __name__ == "__main__":
    for name, path in ensure().items():
        print(path)
