"""Draws the demo's picture, star.png: a 32x32 golden star with a pale heart on a transparent
background. Standard library only; run it again after changing the drawing.

    python3 demo/make_art.py
"""
import math
import os
import struct
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


if __name__ == "__main__":
    outline, heart = star(15.5, 0.45), star(7, 0.45)
    rows = [b"".join(pixel(x, y, outline, heart) for x in range(SIZE)) for y in range(SIZE)]
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "star.png")
    with open(path, "wb") as out:
        out.write(png(SIZE, SIZE, rows))
    print("wrote", path)
