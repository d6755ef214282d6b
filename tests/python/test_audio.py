"""Sounds and music, heard through OpenAL Soft's wave writer: each case runs in a fresh
interpreter whose mixed output goes to its own WAV file, and the test reads the samples."""
import os
import wave

import numpy as np
import pytest

from qel_testing import run_snippet

RATE = 48000


def write_wav(path, samples, rate=RATE):
    """Float samples (n,) mono or (n, 2) stereo in -1..1, as 16-bit PCM."""
    data = np.clip(np.asarray(samples, dtype=np.float64), -1, 1)
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1 if data.ndim == 1 else data.shape[1])
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes((data * 32767).round().astype("<i2").tobytes())
    return str(path)


# libsndfile's container and sample types (sndfile.h), to write what Python's wave cannot.
FLOAT_FORMATS = {"wav": 0x010006, "aiff": 0x020006, "au": 0x030006, "w64": 0x0B0006, "caf": 0x180006}
OGG_VORBIS, MP3 = 0x200060, 0x230082


def write_sound(path, samples, kind, rate=RATE):
    """Float samples (n,) or (n, channels) written by libsndfile as `kind`."""
    import ctypes

    class Info(ctypes.Structure):
        _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int), ("channels", ctypes.c_int),
                    ("format", ctypes.c_int), ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]
    sf = ctypes.CDLL("libsndfile.so.1")
    sf.sf_open.restype = ctypes.c_void_p
    data = np.ascontiguousarray(np.asarray(samples, np.float32).reshape(len(samples), -1))
    info = Info(0, rate, data.shape[1], kind, 0, 0)
    handle = ctypes.c_void_p(sf.sf_open(str(path).encode(), 0x20, ctypes.byref(info)))
    assert handle.value, f"libsndfile cannot write {path}"
    sf.sf_writef_float(handle, data.ctypes.data_as(ctypes.POINTER(ctypes.c_float)), ctypes.c_int64(len(data)))
    sf.sf_close(handle)
    return str(path)


def tone(freq, seconds, amplitude=0.5, rate=RATE):
    return amplitude * np.sin(2 * np.pi * freq * np.arange(int(seconds * rate)) / rate)


def audio_env(tmp_path, out=True):
    """OpenAL Soft writing its mix to out.wav (or, out=False, a wave writer that cannot open:
    no device at all)."""
    conf = tmp_path / "alsoft.conf"
    target = str(tmp_path / "out.wav") if out else ""
    conf.write_text("[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n"
                    f"frequency = {RATE}\nperiod_size = 512\nstereo-mode = speakers\nhrtf = false\n"
                    f"output-limiter = false\ndither = false\n[wave]\nfile = {target}\n")
    return {"ALSOFT_CONF": str(conf), "ALSOFT_DRIVERS": None}


def hear(build_dir, tmp_path, code):
    """Runs code with the wave writer; returns the written output as float (n, 2) and the
    numbers the code printed, one a line."""
    r = run_snippet("import qel, time\nassert qel.audioDevice() != 'none'\n" + code, build_dir,
                    env=audio_env(tmp_path), timeout=60)
    assert r.returncode == 0, r.output
    raw = (tmp_path / "out.wav").read_bytes()
    data = raw[raw.index(b"data") + 8:]
    data = data[:len(data) // 4 * 4]
    printed = [float(line) for line in r.stdout.split()]
    return np.frombuffer(data, "<i2").reshape(-1, 2) / 32767.0, printed


def spans(channel, gap=0.1):
    """The (start, end) in seconds of each sounding stretch, stretches apart by gap or more."""
    env = np.convolve(np.abs(channel), np.ones(240) / 240, mode="same")
    loud = np.nonzero(env > 0.02 * 0.637)[0]
    if not len(loud):
        return []
    cuts = np.nonzero(np.diff(loud) > gap * RATE)[0]
    starts, ends = np.r_[loud[0], loud[cuts + 1]], np.r_[loud[cuts], loud[-1]]
    return [(a / RATE, b / RATE) for a, b in zip(starts, ends)]


def peak_frequencies(channel, count):
    spectrum = np.abs(np.fft.rfft(channel * np.hanning(len(channel))))
    freqs = np.fft.rfftfreq(len(channel), 1 / RATE)
    found = []
    for i in np.argsort(spectrum)[::-1]:
        if all(abs(freqs[i] - f) > 20 for f in found):
            found.append(freqs[i])
        if len(found) == count:
            break
    return sorted(found)


def test_a_tone_is_heard_at_its_frequency_length_and_level(build_dir, tmp_path):
    src = write_wav(tmp_path / "a440.wav", tone(440, 0.5))
    out, _ = hear(build_dir, tmp_path, f"s = qel.loadSound({src!r})\nassert abs(s.duration - 0.5) < 1e-3\n"
                                    "v = s.play()\ntime.sleep(0.2)\nassert v.playing\ntime.sleep(0.6)\n"
                                    "assert not v.playing\n")
    [(start, end)] = spans(out[:, 0])
    assert abs((end - start) - 0.5) < 0.03
    part = out[int(start * RATE) + 2000:int(end * RATE) - 2000]
    assert abs(peak_frequencies(part[:, 0], 1)[0] - 440) < 3
    # Centre: each side at equal power, 0.5 / sqrt(2) peak.
    for c in (0, 1):
        assert abs(np.sqrt(2) * part[:, c].std() - 0.5 / np.sqrt(2)) < 0.02


def test_pan_mixing_and_stop(build_dir, tmp_path):
    a = write_wav(tmp_path / "a.wav", tone(440, 0.4))
    b = write_wav(tmp_path / "b.wav", tone(660, 0.4))
    out, [looped] = hear(build_dir, tmp_path, f"""
a, b = qel.loadSound({a!r}), qel.loadSound({b!r})
a.play(pan=-1.0); time.sleep(0.6)
a.play(volume=0.5); b.play(volume=0.5); time.sleep(0.6)
t = time.perf_counter(); v = b.play(loop=True); time.sleep(1.0); v.stop(); print(time.perf_counter() - t)
assert not v.playing; time.sleep(0.3)
""")
    left, right = spans(out[:, 0]), spans(out[:, 1])
    assert len(left) == 3 and len(right) == 2, (left, right)
    # pan=-1: the whole sound on the left, at its own level, nothing on the right.
    alone = out[int(left[0][0] * RATE) + 500:int(left[0][1] * RATE) - 500]
    assert abs(alone[:, 0].std() * np.sqrt(2) - 0.5) < 0.02 and alone[:, 1].std() < 0.002
    both = out[int(right[0][0] * RATE) + 500:int(right[0][1] * RATE) - 500, 0]
    assert peak_frequencies(both, 2) == pytest.approx([440, 660], abs=3)
    # A loop runs on until stop, which silences it within one mixing period (and our latency).
    assert -0.01 < right[1][1] - right[1][0] - looped < 0.05, (right, looped)


def test_music_loops_fades_and_ends(build_dir, tmp_path):
    beat = np.concatenate([tone(500, 0.1, 0.8), np.zeros(int(0.15 * RATE))])
    music = write_wav(tmp_path / "beat.wav", np.stack([beat, beat], axis=1))
    steady = write_wav(tmp_path / "steady.wav", tone(300, 3.0, 0.8))
    out, [fade_at] = hear(build_dir, tmp_path, f"""
qel.playMusic({music!r}); assert qel.musicPlaying(); time.sleep(1.1); qel.stopMusic(); time.sleep(0.3)
qel.playMusic({music!r}, loop=False); time.sleep(0.5); assert not qel.musicPlaying(); time.sleep(0.2)
t = time.perf_counter(); qel.playMusic({steady!r}); time.sleep(0.4); qel.stopMusic(fade_out=0.8)
print(time.perf_counter() - t); time.sleep(0.2)
assert qel.musicPlaying(); time.sleep(0.8); assert not qel.musicPlaying()
""")
    env = np.convolve(np.abs(out[:, 0]), np.ones(480) / 480, mode="same")
    loud = env > 0.2
    onsets = np.nonzero(loud[1:] & ~loud[:-1])[0] / RATE
    # Onsets of one play are 0.25 s apart (a beat), of two plays at least 0.3 s.
    runs = np.split(onsets, np.nonzero(np.diff(onsets) > 0.28)[0] + 1)
    assert [len(run) > 3 for run in runs] == [True, False, False] and len(runs[1]) == 1, onsets
    assert np.allclose(np.diff(runs[0]), 0.25, atol=0.01), onsets
    # The fade: loud before stopMusic, roughly halfway down midway, silent after it.
    fade_from = int((runs[2][0] + fade_at) * RATE)
    levels = [env[fade_from + int(t * RATE)] for t in (-0.1, 0.4, 0.95)]
    assert levels[0] > 0.3 and 0.3 * levels[0] < levels[1] < 0.7 * levels[0] and levels[2] < 0.01, levels


def test_without_a_device_everything_plays_into_the_void(build_dir, tmp_path):
    snd = write_wav(tmp_path / "t.wav", tone(440, 0.3))
    code = f"""
import warnings, qel, time
warnings.simplefilter("always")
with warnings.catch_warnings(record=True) as caught:
    print(qel.audioDevice(), qel.audioDevice())
    s = qel.loadSound({snd!r})
    assert s == qel.loadSound({os.path.relpath(snd, tmp_path)!r}) and s.path.endswith("t.wav")
    v = s.play(); assert v.playing; time.sleep(0.5); assert not v.playing
    # 32 voices: the 33rd play takes the oldest that does not loop.
    voices = [s.play(loop=(i == 0)) for i in range(32)]
    extra = s.play()
    print([v.playing for v in voices[:3]], extra.playing)
    voices[0].stop(); voices[1].volume = 0.5; voices[1].pan = 1.0
    print(voices[0].playing, voices[1].volume, voices[1].pan)
    # Paused, a voice keeps its place and is still held; resumed, it plays the rest.
    p = s.play(); p.pause(); time.sleep(0.4); held = p.playing; p.resume(); time.sleep(0.1)
    resumed = p.playing
    qel.playMusic({snd!r}, loop=False); qel.pauseMusic(); paused = qel.musicPlaying(); time.sleep(0.4)
    qel.resumeMusic(); print(held, resumed, paused, qel.musicPlaying())
    qel.setMasterVolume(0.3); time.sleep(0.6)
    print(qel.musicPlaying(), p.playing, len(caught), caught[0].category.__name__)
"""
    r = run_snippet(code, build_dir, env=audio_env(tmp_path, out=False), cwd=str(tmp_path))
    assert r.returncode == 0, r.output
    assert r.stdout.splitlines() == ["none none", "[True, False, True] True", "False 0.5 1.0",
                                     "True True False True", "False False 1 RuntimeWarning"]
    quiet = run_snippet("import qel, warnings\nwarnings.simplefilter('error')\nqel.setQuiet(True)\n"
                        "print(qel.audioDevice())", build_dir, env=audio_env(tmp_path, out=False))
    assert quiet.returncode == 0 and quiet.stdout == "none\n", quiet.output
    # Looking for a real device (ALSA, PulseAudio) prints nothing of the libraries' own.
    default = run_snippet("import qel\nqel.setQuiet(True)\nqel.audioDevice()", build_dir,
                          env={"ALSOFT_CONF": None, "ALSOFT_DRIVERS": None})
    assert default.returncode == 0 and "ALSA lib" not in default.stderr and "AL lib" not in default.stderr, default.output


def test_bad_files_and_values_are_refused(build_dir, tmp_path):
    (tmp_path / "text.wav").write_text("not a sound at all\n" * 10)
    whole = (tmp_path / "cut.wav")
    write_wav(whole, tone(440, 1.0))
    whole.write_bytes(whole.read_bytes()[:30000])
    with open(tmp_path / "huge.wav", "wb") as f:
        f.truncate((1 << 30) + 1)
    os.mkfifo(tmp_path / "fifo.wav")
    good = write_wav(tmp_path / "good.wav", tone(440, 0.1))
    code = f"""
import qel
for name in ("missing.wav", "text.wav", "cut.wav", "huge.wav", "fifo.wav", "."):
    for load in (qel.loadSound, qel.playMusic):
        if load is qel.playMusic and name == "cut.wav":
            continue  # streamed: it plays what there is
        try:
            load(name)
        except RuntimeError as e:
            print(str(e))
s = qel.loadSound({good!r})
for call in (lambda: s.play(volume=1.5), lambda: s.play(pan=-1.01), lambda: s.play(pitch=0),
             lambda: s.play(volume=float("nan")), lambda: qel.playMusic({good!r}, fade_in=-1),
             lambda: qel.stopMusic(fade_out=float("inf")), lambda: qel.setMasterVolume(-0.1),
             lambda: setattr(s.play(), "pan", 2)):
    try:
        call()
    except ValueError as e:
        print("ValueError", e)
try:
    s.play(volume="loud")
except TypeError:
    print("TypeError")
"""
    r = run_snippet(code, build_dir, env=audio_env(tmp_path, out=False), cwd=str(tmp_path))
    assert r.returncode == 0, r.output
    lines = r.stdout.splitlines()
    assert all(line.startswith(f"cannot load {name}: ") for line, name in zip(lines[:11], [
        "missing.wav", "missing.wav", "text.wav", "text.wav", "cut.wav", "huge.wav", "huge.wav",
        "fifo.wav", "fifo.wav", ".", "."])), lines
    assert "No such file" in lines[0] and "not a sound file" in lines[2] and "ended early" in lines[4]
    assert "too large" in lines[5] and "too large" in lines[6] and "not a regular file" in lines[7]
    assert lines[9].endswith("not a regular file") or "directory" in lines[9]
    assert lines[11:19] == [l for l in lines[11:19] if l.startswith("ValueError ")] and len(lines) == 20
    assert "volume must be from 0.0 to 1.0, not 1.5" in lines[11] and lines[19] == "TypeError"


def test_audio_needs_no_window_and_ends_cleanly_at_exit(build_dir, tmp_path, renderer):
    snd = write_wav(tmp_path / "t.wav", tone(440, 2.0))
    code = f"""
import atexit, os
# Registered before qel's own hook, so it runs after audio has stopped.
atexit.register(lambda: print("threads at exit", len(os.listdir("/proc/self/task"))))
import qel
s = qel.loadSound({snd!r}); v = s.play(loop=True); qel.playMusic({snd!r})
qel.init([], 64, 48, offscreen=True, quiet=True)
qel.createCircle(32, 24, 10, "#ff0000", 0); qel.poll()
qel.closeWindow()
print(v.playing, qel.musicPlaying(), qel.audioDevice())
keep = [s, v, s.play(loop=True)]  # collected after audio stops at exit
"""
    r = run_snippet(code, build_dir, env=dict(audio_env(tmp_path), QEL_RENDERER=renderer), timeout=60)
    assert r.returncode == 0 and r.stdout.splitlines()[-2:] == ["True True Wave File Writer", "threads at exit 1"], \
        r.output


def test_float_music_is_heard_and_a_paused_fade_holds(build_dir, tmp_path):
    floats = [write_sound(tmp_path / f"f.{ext}", tone(440, 0.3, 0.8), kind) for ext, kind in FLOAT_FORMATS.items()]
    steady = write_wav(tmp_path / "steady.wav", tone(300, 5.0, 0.8))
    out, printed = hear(build_dir, tmp_path, f"""
for f in {floats!r}:
    qel.playMusic(f, loop=False); time.sleep(0.5)
qel.playMusic({steady!r}, fade_in=2.0); time.sleep(0.5); qel.pauseMusic(); time.sleep(0.6); qel.resumeMusic()
time.sleep(0.5); qel.stopMusic(fade_out=1.0); time.sleep(0.3); qel.pauseMusic(); time.sleep(0.6); qel.resumeMusic()
time.sleep(0.2); print(int(qel.musicPlaying())); time.sleep(1.0); print(int(qel.musicPlaying()))
""")
    heard = spans(out[:, 0])
    # Floating-point files sound as music as they do as sounds, each for its 0.3 s.
    assert len(heard) >= 7 and all(abs(b - a - 0.3) < 0.05 for a, b in heard[:5]), heard
    # Paused at a quarter of the fade-in, the music comes back at a quarter, not where the
    # clock would have taken it; a paused fade-out goes on after resuming.
    env = np.convolve(np.abs(out[:, 0]), np.ones(480) / 480, mode="same")
    before, after = env[int((heard[5][1] - 0.02) * RATE)], env[int((heard[6][0] + 0.03) * RATE)]
    assert 0.7 < after / before < 1.4, (before, after)
    assert printed == [1, 0], printed


def test_files_rewritten_padded_looped_short_and_a_forked_child(build_dir, tmp_path):
    # The exit hook must not wait on the parent's audio threads. Under the sanitizers the child
    # leaves without its exit handlers: LeakSanitizer cannot stop threads a fork left behind
    # and reports false leaks, or waits on them.
    child_exit = "os._exit(0)" if os.environ.get("QEL_SANITIZED") else "sys.exit(0)"
    first = write_wav(tmp_path / "again.wav", tone(440, 0.1))
    write_sound(tmp_path / "whole.ogg", tone(440, 2.0), OGG_VORBIS)
    ogg = (tmp_path / "whole.ogg").read_bytes()
    (tmp_path / "padded.ogg").write_bytes(ogg + bytes(5000))
    (tmp_path / "cut.ogg").write_bytes(ogg[:len(ogg) * 2 // 3])
    blip = write_sound(tmp_path / "blip.mp3", tone(440, 1 / RATE), MP3)
    short = write_wav(tmp_path / "short.wav", tone(440, 0.1))
    code = f"""
import os, sys, time, wave, qel
s = qel.loadSound({first!r}); v = s.play(); del s
time.sleep(0.4)
with wave.open({first!r}, "wb") as w:
    w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(8000))
print("again", qel.loadSound({first!r}).duration, v.playing)
print("padded", qel.loadSound("padded.ogg").duration)
try:
    qel.loadSound("cut.ogg")
except RuntimeError as e:
    print("cut", e)
# A short loop plays from memory once read (re-reading an MP3 of one sample took a second a
# block): it goes on though its file is emptied meanwhile.
qel.playMusic({blip!r}, loop=True)
qel.playMusic({short!r}, loop=True)
time.sleep(0.3)
os.truncate({short!r}, 0)
time.sleep(1.0)
print("blip", qel.musicPlaying())
keep = qel.loadSound("padded.ogg"); looping = keep.play(loop=True)
pid = os.fork()
if pid == 0:
    try:
        keep.play()
    except RuntimeError as e:
        print("child", "forked" in str(e), looping.playing, flush=True)
    {child_exit}
for _ in range(200):
    if os.waitpid(pid, os.WNOHANG)[0]:
        print("child exited"); break
    time.sleep(0.05)
else:
    os.kill(pid, 9); print("child hung")
print("parent", looping.playing, qel.musicPlaying())
"""
    r = run_snippet(code, build_dir, env=audio_env(tmp_path, out=False), cwd=str(tmp_path), timeout=60)
    assert r.returncode == 0, r.output
    lines = r.stdout.splitlines()
    assert lines[:2] == ["again 0.5 False", "padded 2.0"], lines
    assert lines[2].startswith("cut cannot load cut.ogg: ") and "600" not in lines[2], lines
    assert lines[3:] == ["blip True", "child True False", "child exited", "parent True True"], lines
