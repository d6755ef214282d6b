"""init's window options and the functions that change the window later, checked on the real
window under Xvfb (no window manager: geometry as xwininfo reports it, properties as xprop
does): title, resize hints, icon, full screen, cursor, present mode; all of them accepted
without effect offscreen."""
import json
import textwrap

import numpy as np
from PIL import Image

SCREEN = [1280, 1024]  # conftest's Xvfb

HELPERS = """
import json, subprocess, sys, time
import numpy as np
import qel, qel_testing

def xprop(wid, *names):
    return subprocess.run(["xprop", "-id", wid, *names], capture_output=True, text=True, timeout=30,
                          env=qel_testing.tool_env()).stdout

def geometry(wid):
    info = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True, timeout=30,
                          env=qel_testing.tool_env()).stdout
    return info.split("-geometry", 1)[1].strip()

def frame_shape():
    return [qel.getWindowWidth(), qel.getWindowHeight(), len(qel.readPixels()) // 4]

def wait_for_size(w, h):
    for _ in range(200):
        time.sleep(0.02)
        qel.poll()
        if (qel.getWindowWidth(), qel.getWindowHeight()) == (w, h):
            return

def pixel(x, y):
    rgba = np.frombuffer(qel.readPixels(), np.uint8).reshape(qel.getWindowHeight(), qel.getWindowWidth(), 4)
    return rgba[y, x, :3].tolist()

def raised(call):
    try:
        call()
    except Exception as e:
        return [type(e).__name__, str(e)]

out = {}
"""


def _run(run_qel, code, **kwargs):
    code = HELPERS + textwrap.dedent(code) + '\nprint("OUT " + json.dumps(out))\n'
    r = run_qel(code, timeout=120, **kwargs)
    assert r.returncode == 0, r.output[-3000:]
    lines = [line for line in r.stdout.splitlines() if line.startswith("OUT ")]
    assert lines, r.output[-3000:]
    return r.stdout, json.loads(lines[-1][4:])


def test_title_icon_cursor_and_resize_hints(run_qel, tmp_path):
    # Every other column clear: the 2:1 shrink must keep the colour and halve the alpha.
    icon = np.zeros((300, 512, 4), np.uint8)
    icon[:, ::2] = (200, 30, 90, 255)
    Image.fromarray(icon, "RGBA").save(tmp_path / "icon.png")
    (tmp_path / "text.png").write_text("not a picture")
    _, out = _run(run_qel, """
        folder = sys.argv[1]
        out["before_init"] = raised(lambda: qel.setTitle("x"))
        qel.init([], 320, 240, title="Fenêtre", resizable=True, icon=folder + "/icon.png")
        qel_testing.pump(qel, 2)
        wid = qel_testing.window_id("Fenêtre")
        out["names"] = xprop(wid, "WM_NAME", "_NET_WM_NAME")
        out["hints"] = xprop(wid, "WM_NORMAL_HINTS")
        out["icon"] = xprop(wid, "-f", "_NET_WM_ICON", "32c", "_NET_WM_ICON").split("=", 1)[1].split(",")[:3]
        qel.setTitle(title="Zweiter Titel")
        qel.setCursorVisible(visible=False)
        qel_testing.pump(qel, 2)
        qel.setCursorVisible(True)
        out["renamed"] = xprop(wid, "_NET_WM_NAME")
        out["nul_title"] = raised(lambda: qel.setTitle("a\\0b"))
        out["bytes_title"] = raised(lambda: qel.setTitle(b"\\xff\\xfe"))
        # A bad icon is refused before the running window is replaced.
        out["missing_icon"] = raised(lambda: qel.init([], 320, 240, icon=folder + "/missing.png"))
        out["text_icon"] = raised(lambda: qel.init([], 320, 240, title="Other", icon=folder + "/text.png"))
        out["still_open"] = [qel_testing.window_id("Zweiter Titel") == wid, qel.shouldClose()]
        qel.closeWindow()
        out["closed"] = [raised(lambda: qel.setTitle("x")), raised(lambda: qel.setFullscreen(True)),
                         raised(lambda: qel.setCursorVisible(True))]
        # Offscreen: every option and function accepted, nothing changes.
        qel.init([], 64, 48, offscreen=True, title="Off", resizable=True, fullscreen=True, vsync=False,
                 icon=folder + "/icon.png")
        qel.setTitle("Off 2")
        qel.setFullscreen(True)
        qel.setCursorVisible(False)
        qel.poll()
        out["offscreen"] = frame_shape()
    """, args=(str(tmp_path),))
    assert out["before_init"] == ["RuntimeError", "qel.init() must be called first"]
    assert 'WM_NAME(STRING) = "Fen\\352tre"' in out["names"] or 'WM_NAME(STRING) = "Fenêtre"' in out["names"], out
    assert '_NET_WM_NAME(UTF8_STRING) = "Fenêtre"' in out["names"], out
    assert "minimum size" not in out["hints"] and "maximum size" not in out["hints"], out
    # Width, height, then the first pixel as ARGB.
    assert [int(v) for v in out["icon"]] == [256, 150, (128 << 24) | (200 << 16) | (30 << 8) | 90], out
    assert '"Zweiter Titel"' in out["renamed"]
    assert out["nul_title"] == ["ValueError", "a window title cannot contain NUL characters"]
    assert out["bytes_title"] == ["ValueError", "a title must be UTF-8 text"]
    assert out["missing_icon"][0] == "RuntimeError" and "missing.png: No such file" in out["missing_icon"][1]
    assert out["text_icon"][0] == "RuntimeError" and "text.png: not a PNG, JPEG or GIF" in out["text_icon"][1]
    assert out["still_open"] == [True, False]
    assert out["closed"] == [["RuntimeError", "the window is closed: call qel.init() to open a new one"]] * 3
    assert out["offscreen"] == [64, 48, 64 * 48]


def test_resize_and_full_screen_draw_at_the_new_size(run_qel, renderer):
    stdout, out = _run(run_qel, """
        qel.init([], 320, 240, resizable=True, vsync=False)
        qel_testing.pump(qel, 2)
        wid = qel_testing.window_id()
        subprocess.run(["xdotool", "windowmove", "--sync", wid, "100", "80"], check=True, timeout=30)
        subprocess.run(["xdotool", "windowsize", wid, "500", "400"], check=True, timeout=30)
        wait_for_size(500, 400)
        qel.createRectangle(470, 370, 20, 20, "#00ff00", 0)
        qel_testing.pump(qel, 2)
        out["resized"] = frame_shape() + [pixel(480, 380), geometry(wid)]
        qel.setFullscreen(True)
        out["switched"] = [qel.getWindowWidth(), qel.getWindowHeight()]
        qel.createCircle(1200, 1000, 10, "#ff0000", 0)
        qel_testing.pump(qel, 2)
        out["full"] = frame_shape() + [pixel(1200, 1000), geometry(wid)]
        qel.setFullscreen(False)
        qel_testing.pump(qel, 2)
        out["back"] = frame_shape() + [pixel(480, 380), geometry(wid)]
        # Made full screen by init: the monitor's size from the start, windowed in the middle.
        print("REINIT")
        qel.init([], 320, 240, fullscreen=True)
        out["init_full"] = [qel.getWindowWidth(), qel.getWindowHeight()]
        qel_testing.pump(qel, 2)
        wid = qel_testing.window_id()
        out["init_full"] += frame_shape() + [geometry(wid)]
        qel.setFullscreen(False)
        qel_testing.pump(qel, 2)
        out["init_back"] = frame_shape() + [geometry(wid)]
    """, env={"QEL_RENDERER": renderer})
    w, h = SCREEN
    vsync_off, vsync_on = stdout.split("REINIT")
    assert "Present mode: Immediate" in vsync_off and "V-Sync" not in vsync_off
    assert "Present mode: V-Sync" in vsync_on
    assert out["resized"] == [500, 400, 500 * 400, [0, 255, 0], "500x400+100+80"]
    assert out["switched"] == SCREEN
    assert out["full"] == [w, h, w * h, [255, 0, 0], f"{w}x{h}+0+0"]
    assert out["back"] == [500, 400, 500 * 400, [0, 255, 0], "500x400+100+80"]
    assert out["init_full"] == [w, h, w, h, w * h, f"{w}x{h}+0+0"]
    assert out["init_back"] == [320, 240, 320 * 240, f"320x240+{(w - 320) // 2}+{(h - 240) // 2}"]
