"""Files for a page's examples to open by plain names, as a reader's own game folder has them.

A page's hidden ``testsetup`` calls ``enter()``, which makes a fresh folder holding a picture
``alien.png`` (16 by 16, green), a short sound ``hit.wav`` and a longer tune ``song.wav``, and
makes it the working folder; its ``testcleanup`` calls ``leave()`` to go back.
"""
import math
import os
import struct
import tempfile
import wave

_before = []


def _tone(path, seconds, hertz):
    rate = 22050
    with wave.open(path, "wb") as f:
        f.setnchannels(1)
        f.setsampwidth(2)
        f.setframerate(rate)
        f.writeframes(b"".join(struct.pack("<h", int(6000 * math.sin(2 * math.pi * hertz * i / rate)))
                               for i in range(int(seconds * rate))))


def enter():
    from PIL import Image

    folder = tempfile.mkdtemp(prefix="qel-docs-")
    _before.append(os.getcwd())
    os.chdir(folder)
    Image.new("RGBA", (16, 16), "green").save("alien.png")
    _tone("hit.wav", 0.1, 880)
    _tone("song.wav", 1.0, 220)
    return folder


def leave():
    os.chdir(_before.pop())
