#!/usr/bin/env python3
"""Audio figures: a soak of many short plays, the latency from play to the first sample
written, and the frame rate of a moving-shapes scene with and without music.

    QEL_BUILD_DIR=build scripts/with-display.sh /usr/bin/python3 bench/audio.py \
        [--plays 10000] [--shapes 10000] [--seconds 3] [--rounds 3] [--json]

Each part runs in its own interpreter with OpenAL Soft's wave writer as the device (an
alsoft.conf in a temporary folder, OpenAL's default period of 1,024 frames), so the output
is real mixing at the real rate, written to a file. Latency: the child watches the file grow
after each play and times the first loud sample's arrival; and, since the writer starts with
the context (at the first audio call), a sample's place in the output is its index over the
rate, which gives where the sound landed in the output's own time. The same watch times a
ten-minute music file from playMusic to its first sample written. The frame rates are medians over rounds
that alternate silence and music in one run, unpaced (setFrameRate(0)); the ratio is what
to read. The soak's first line is before any audio call.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import textwrap

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("QEL_BUILD_DIR", os.path.join(ROOT, "build"))
RATE = 48000

CONF = """[general]
drivers = wave
channels = stereo
sample-type = int16
frequency = {rate}
[wave]
file = {out}
"""

COMMON = """
import math, os, struct, sys, time, wave
import qel

def write_tone(path, freq, seconds, rate=48000):
    with wave.open(path, "wb") as w:
        w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
        w.writeframes(b"".join(struct.pack("<h", int(16000 * math.sin(2 * math.pi * freq * i / rate)))
                               for i in range(int(seconds * rate))))

def rss_kib():
    with open("/proc/self/status") as f:
        return int(next(line for line in f if line.startswith("VmRSS")).split()[1])

def threads():
    return len(os.listdir("/proc/self/task"))
"""

SOAK = COMMON + """
folder, plays = sys.argv[1], int(sys.argv[2])
names = []
for k in range(8):
    names.append(os.path.join(folder, f"blip{k}.wav"))
    write_tone(names[-1], 300 + 100 * k, 0.02 + 0.005 * k)
figures = [{"plays": 0, "rss_kib": rss_kib(), "threads": threads()}]
qel.audioDevice()
for i in range(plays):
    # Load, play and drop: sounds, voices and buffers come and go.
    qel.loadSound(names[i % len(names)]).play(volume=0.2, pan=(i % 21 - 10) / 10)
    if i % 50 == 0:
        time.sleep(0.005)
    if i in (plays // 10, plays - 1):
        figures.append({"plays": i + 1, "rss_kib": rss_kib(), "threads": threads()})
print(__import__("json").dumps(figures))
"""

LATENCY = COMMON + """
import json
folder = sys.argv[1]
tone = os.path.join(folder, "tone.wav")
write_tone(tone, 1000, 0.05)
start = time.perf_counter()
qel.audioDevice()  # the writer's first sample is written about now
opened = time.perf_counter() - start
s = qel.loadSound(tone)
out = open(os.path.join(folder, "out.wav"), "rb")
played, written = [], []
for k in range(20):
    time.sleep(0.15 + 0.01 * k)  # not in step with the mixing period
    out.seek(0, 2)
    t = time.perf_counter()
    s.play()
    played.append(t - start)
    # Watch the file grow until a loud sample of this play is in it.
    seen = b""
    while time.perf_counter() - t < 1.0:
        seen += out.read()
        frames = len(seen) // 4
        loud = [i for i in range(0, frames * 2, 2)
                if abs(struct.unpack_from("<h", seen, 2 * i)[0]) > 2000]
        if loud:
            written.append(time.perf_counter() - t)
            break
        time.sleep(0.0005)
# Music: a ten-minute file, from the call to its first sample written.
long_music = os.path.join(folder, "long.wav")
period = b"".join(struct.pack("<hh", v, v) for v in (int(12000 * math.sin(2 * math.pi * i / 100)) for i in range(100)))
with wave.open(long_music, "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(period * (441 * 600))
time.sleep(0.3)
out.seek(0, 2)
t = time.perf_counter()
qel.playMusic(long_music)
music_call = time.perf_counter() - t
seen, music_written = b"", None
while music_written is None and time.perf_counter() - t < 2.0:
    seen += out.read()
    if any(abs(v) > 2000 for v in struct.unpack_from("<%dh" % (len(seen) // 2), seen)):
        music_written = time.perf_counter() - t
    time.sleep(0.0005)
qel.stopMusic()
time.sleep(0.1)
print(json.dumps({"opened": opened, "played": played, "written": written, "music_call": music_call,
                  "music_written": music_written}))
"""

FRAMES = COMMON + """
import json, random
folder, shapes, seconds, rounds = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4])
music = os.path.join(folder, "music.wav")
with wave.open(music, "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(b"".join(struct.pack("<hh", int(9000 * math.sin(i / 9)), int(9000 * math.sin(i / 7)))
                           for i in range(44100 * 4)))
qel.init([], 800, 600, quiet=True)
qel.setFrameRate(0)  # unpaced: the frame rate is what the machine reaches
rng = random.Random(1)
ids = [qel.createCircle(rng.uniform(20, 780), rng.uniform(20, 580), 10, "#336699", 0).id for _ in range(shapes)]
xs = [rng.uniform(20, 780) for _ in ids]
ys = [rng.uniform(20, 580) for _ in ids]

def fps():
    frames, t0 = 0, time.perf_counter()
    while time.perf_counter() - t0 < seconds:
        for i in range(len(xs)):
            xs[i] = (xs[i] + 1.7) % 780 + 10
        qel.moveMany(ids, xs, ys)
        qel.nextFrame()
        frames += 1
    return frames / (time.perf_counter() - t0)

fps()  # warm-up
quiet, loud = [], []
for _ in range(rounds):
    quiet.append(fps())
    qel.playMusic(music)
    loud.append(fps())
    qel.stopMusic()
print(json.dumps({"silent": quiet, "music": loud}))
qel.closeWindow()
"""


def run(code, folder, *args):
    out = os.path.join(folder, "out.wav")
    conf = os.path.join(folder, "alsoft.conf")
    with open(conf, "w") as f:
        f.write(CONF.format(rate=RATE, out=out))
    env = dict(os.environ, PYTHONPATH=BUILD, ALSOFT_CONF=conf)
    env.pop("ALSOFT_DRIVERS", None)
    proc = subprocess.run(["/usr/bin/python3", "-c", textwrap.dedent(code), folder, *map(str, args)],
                          capture_output=True, text=True, env=env, timeout=900)
    if proc.returncode != 0:
        sys.exit(f"child failed:\n{proc.stdout}\n{proc.stderr}")
    return json.loads(proc.stdout.strip().splitlines()[-1]), out


def first_samples(path, played, threshold=2000):
    """Where each play's sound starts in the written output, in seconds from the start."""
    import numpy as np
    raw = open(path, "rb").read()
    data = raw[raw.index(b"data") + 8:]
    samples = np.abs(np.frombuffer(data[:len(data) // 4 * 4], "<i2").reshape(-1, 2)[:, 0].astype(int))
    onsets = []
    for t in played:
        after = np.nonzero(samples[int(t * RATE):] > threshold)[0]
        onsets.append((int(t * RATE) + after[0]) / RATE if len(after) else float("nan"))
    return onsets


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--plays", type=int, default=10000)
    parser.add_argument("--shapes", type=int, default=10000)
    parser.add_argument("--seconds", type=float, default=3.0)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--json", action="store_true")
    args = parser.parse_args()
    result = {"load_average": os.getloadavg()}
    with tempfile.TemporaryDirectory() as folder:
        result["soak"], _ = run(SOAK, folder, args.plays)
    with tempfile.TemporaryDirectory() as folder:
        timing, out = run(LATENCY, folder)
        onsets = first_samples(out, timing["played"])
        placed = [(o - t) * 1000 for o, t in zip(onsets, timing["played"])]
        written = [w * 1000 for w in timing["written"]]
        result["latency_ms"] = {"written_median": statistics.median(written), "written_max": max(written),
                                "placed_median": statistics.median(placed), "plays": len(written),
                                "device_open_ms": timing["opened"] * 1000,
                                "music_call": timing["music_call"] * 1000,
                                "music_written": (timing["music_written"] or float("nan")) * 1000}
    with tempfile.TemporaryDirectory() as folder:
        frames, _ = run(FRAMES, folder, args.shapes, args.seconds, args.rounds)
        silent, music = statistics.median(frames["silent"]), statistics.median(frames["music"])
        result["frames"] = {"shapes": args.shapes, "fps_silent": silent, "fps_music": music,
                            "music_over_silent": music / silent}
    if args.json:
        print(json.dumps(result, indent=1))
        return
    print("load average: %.2f %.2f %.2f" % result["load_average"])
    for f in result["soak"]:
        print(f"soak: after {f['plays']:>6} plays  rss {f['rss_kib']} KiB  threads {f['threads']}")
    lat = result["latency_ms"]
    print(f"latency play -> its first sample in the written file: median {lat['written_median']:.1f} ms, "
          f"max {lat['written_max']:.1f} ms over {lat['plays']} plays; in the output's own time it starts "
          f"{lat['placed_median']:.1f} ms after the call (the device opened in {lat['device_open_ms']:.1f} ms)")
    print(f"music, a ten-minute WAV: playMusic returned in {lat['music_call']:.1f} ms, its first sample was "
          f"written {lat['music_written']:.1f} ms after the call")
    fr = result["frames"]
    print(f"moving shapes ({fr['shapes']} circles): {fr['fps_silent']:.1f} fps silent, {fr['fps_music']:.1f} fps "
          f"with music, ratio {fr['music_over_silent']:.3f}")


if __name__ == "__main__":
    main()
