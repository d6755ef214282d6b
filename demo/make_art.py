"""Draws the demo's pictures, star.png: a 32x32 golden star with a pale heart on a transparent
background, and twinkle.png: four frames of it with a heart that swells and shrinks, and makes its sounds: catch.wav, a short rising chime, and music.wav, a calm
loop. Standard library only; run it again after changing the drawing or the tunes.

    python3 demo/make_art.py
"""
import math
import os
import struct
import wave
import zlib

SIZE, SAMPLES = 32, 4  # pixels a side; samples a side within a pixel, for smooth edges
GOLD, HEART = (0xFF, 0xC8, 0x3D), (0xFF, 0xF1, 0xA8)


def star(radius, inner):
    """The ten corners of a five-pointed star centred in the picture, one point straight up."""
    c = SIZE / 2
    return [(c + r * math.sin(i * math.pi / 5), c + 1 - r * math.cos(i * math.pi / 5))
            for i, r in enumerate([radius, radius * inner] * 5)]


def inside(x, y, polygon):
    """Even-odd rule: a ray to the right crosses the edges an odd number of times."""
    odd = False
    for (x0, y0), (x1, y1) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            odd = not odd
    return odd


def pixel(x, y, outline, heart):
    """RGBA of one pixel: coverage from SAMPLES x SAMPLES points, the heart's colour where most
    of them fall inside the heart (so each pixel has one of the two colours, exact)."""
    points = [(x + (i + 0.5) / SAMPLES, y + (j + 0.5) / SAMPLES) for i in range(SAMPLES) for j in range(SAMPLES)]
    covered = sum(inside(px, py, outline) for px, py in points)
    in_heart = sum(inside(px, py, heart) for px, py in points)
    colour = HEART if 2 * in_heart > len(points) else GOLD
    return bytes(colour) + bytes([round(255 * covered / len(points))])


def png(width, height, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + row for row in rows)  # filter 0 on every row
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


RATE = 22050  # samples a second: plenty for these tones, and small files


def note(freq, seconds, level, attack=0.01):
    """A soft tone: sine with a little of its octave, a quick rise and an exponential fall."""
    n = int(seconds * RATE)
    return [level * min(1.0, i / (attack * RATE)) * math.exp(-3.0 * i / n) *
            (0.8 * math.sin(2 * math.pi * freq * i / RATE) + 0.2 * math.sin(4 * math.pi * freq * i / RATE))
            for i in range(n)]


def catch_sound():
    """Two quick notes a fifth apart, the second higher: a small reward."""
    return note(880, 0.07, 0.6) + note(1320, 0.13, 0.6)


def music():
    """Four bars of a slow arpeggio over a low root, made to loop: each bar ends where it
    began, at silence."""
    chords = [(220.0, 261.6, 329.6), (174.6, 220.0, 261.6), (196.0, 246.9, 293.7), (220.0, 261.6, 329.6)]
    beat = 0.25
    out = []
    for root, third, fifth in chords:
        bar = [0.0] * int(8 * beat * RATE)
        for k, freq in enumerate([root, third, fifth, 2 * root, fifth, third, root, third]):
            start = int(k * beat * RATE)
            for i, v in enumerate(note(freq * 2, beat, 0.25)):
                bar[start + i] += v
        for i, v in enumerate(note(root / 2, 8 * beat, 0.3, attack=0.05)):
            bar[i] += v
        out += bar
    return out


def write_wav(path, samples):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", round(32767 * max(-1.0, min(1.0, v)))) for v in samples))
    print("wrote", path)


if __name__ == "__main__":
    outline, heart = star(15.5, 0.45), star(7, 0.45)
    rows = [b"".join(pixel(x, y, outline, heart) for x in range(SIZE)) for y in range(SIZE)]
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "star.png")
    with open(path, "wb") as out:
        out.write(png(SIZE, SIZE, rows))
    print("wrote", path)
    # The bonus star's four frames side by side: its heart swells and shrinks as it twinkles.
    frames = [(outline, star(r, 0.45)) for r in (5, 7.5, 10, 7.5)]
    sheet = [b"".join(pixel(x, y, o, h) for o, h in frames for x in range(SIZE)) for y in range(SIZE)]
    with open(os.path.join(os.path.dirname(path), "twinkle.png"), "wb") as out:
        out.write(png(SIZE * len(frames), SIZE, sheet))
    here = os.path.dirname(path)
    write_wav(os.path.join(here, "catch.wav"), catch_sound())
    write_wav(os.path.join(here, "music.wav"), music())
