"""Rebuilding the swap chain when the window is resized from outside: the new size takes
over, a long busy session stays clean under validation, and a shader that cannot be read
during a rebuild is reported while the previous pipeline keeps drawing."""
import json
import os
import shutil
import textwrap

from qel_testing import HERE

# Polls until the drawing area reports the new size (the swap chain is rebuilt on the way).
WAIT_FOR_SIZE = """
def wait_for_size(w, h, limit=200):
    for _ in range(limit):
        time.sleep(0.02)
        qel.poll()
        if (qel.getWindowWidth(), qel.getWindowHeight()) == (w, h):
            return True
    return False
"""


def _code(*parts):
    return "".join(textwrap.dedent(part) for part in parts)


def _result(r):
    assert r.returncode == 0, r.output
    lines = [line for line in r.stdout.splitlines() if line.startswith("RESULT ")]
    assert lines, r.output
    return json.loads(lines[-1][len("RESULT "):])


def test_outside_resize_draws_at_the_new_size(run_qel):
    r = run_qel(_code("""
        import json, subprocess, time
        import qel, qel_testing
        from qel_testing import grab, pump
    """, WAIT_FOR_SIZE, """
        out = {}
        qel.init([], 320, 240)
        pump(qel)
        print("RESIZE")
        subprocess.run(["xdotool", "windowsize", qel_testing.window_id(), "500", "400"], check=True, timeout=30)
        out["resized"] = wait_for_size(500, 400)
        out["size"] = [qel.getWindowWidth(), qel.getWindowHeight()]
        out["mode"] = json.loads(qel.getData())["selectedPresentMode"]
        w, h = qel.getWindowWidth(), qel.getWindowHeight()
        # Beyond the old 320x240 area, placed from the new size.
        qel.createCircle(0.8 * w, 0.75 * h, 25, "#ff0000", 0)
        qel.createRectangle(w - 60, h - 40, 40, 60, "#0000ff", 0)
        pump(qel)
        img = grab()
        out["shape"] = list(img.shape)
        for name, (x, y) in {"circle": (400, 300), "rect": (470, 380), "corner": (499, 0),
                             "off_circle": (400, 270)}.items():
            out[name] = [int(v) for v in img[y, x]]
        print("RESULT " + json.dumps(out))
    """))
    out = _result(r)
    assert out["resized"], out
    assert out["size"] == [500, 400]
    assert out["mode"] == "FIFO_KHR"
    after = r.stdout.split("RESIZE", 1)[1]
    assert "Present mode: V-Sync" in after
    assert out["shape"] == [400, 500, 3]
    assert out["circle"] == [255, 0, 0]
    assert out["rect"] == [0, 0, 255]
    assert all(abs(v - 3) <= 2 for v in out["corner"] + out["off_circle"]), out


def test_busy_session_with_a_rebuild_is_clean_under_validation(run_qel):
    r = run_qel("""
        import json, subprocess, time
        import qel, qel_testing
        qel.init([], 400, 300)
        qel.loadGameObjects()
        circles = [qel.createCircle(40 + 60 * i, 60, 20, "#ff0000", 0) for i in range(4)]
        rects = [qel.createRectangle(40 + 80 * i, 150, 30, 50, "#00ff00", 0) for i in range(3)]
        qel.createTri()
        frames = 0
        for n in range(300):
            for i, c in enumerate(circles):
                qel.moveTo(c.id, 40 + 60 * i + n % 50, 60 + n % 30)
                qel.updateColor(c.id, (n * 4097 + i * 77) & 0xFFFFFF)
            for i, rect in enumerate(rects):
                qel.moveTo(rect.id, 40 + 80 * i, 150 + n % 40)
                qel.updateColor(rect.id, (n * 131 + i) & 0xFFFFFF)
            if n == 150:
                subprocess.run(["xdotool", "windowsize", qel_testing.window_id(), "480", "360"], check=True, timeout=30)
            time.sleep(0.017)
            qel.poll()
        # Proof that the layer really was loaded into this process.
        with open("/proc/self/maps") as maps:
            layer = "libVkLayer_khronos_validation" in maps.read()
        print("RESULT " + json.dumps({"layer": layer, "size": [qel.getWindowWidth(), qel.getWindowHeight()]}))
    """, validation=True, timeout=240)
    out = _result(r)
    assert out["layer"], "the validation layer was not loaded"
    assert out["size"] == [480, 360]


def test_unreadable_shader_during_rebuild_keeps_the_previous_pipeline(run_qel, build_dir, tmp_path):
    for name in os.listdir(build_dir):
        if name.startswith("qel.") and name.endswith(".so"):
            shutil.copy2(os.path.join(build_dir, name), tmp_path / name)
    shutil.copytree(os.path.join(build_dir, "qelDataFiles"), tmp_path / "qelDataFiles")
    shader = tmp_path / "qelDataFiles" / "shaders" / "tri-vert.spv"
    assert shader.exists()

    r = run_qel(f"""
        import json, os, subprocess, time
        import qel, qel_testing
        from qel_testing import grab, pump
        shader = {str(shader)!r}
        out = {{"errors": []}}
        qel.init([], 320, 240)
        circle = qel.createCircle(60, 60, 20, "#ff0000", 0)
        pump(qel)
        os.rename(shader, shader + ".away")
        subprocess.run(["xdotool", "windowsize", qel_testing.window_id(), "400", "300"], check=True, timeout=30)
        for _ in range(100):
            time.sleep(0.02)
            try:
                qel.poll()
            except RuntimeError as e:
                out["errors"].append(str(e))
                break
        os.rename(shader + ".away", shader)
        for _ in range(10):
            time.sleep(0.02)
            qel.poll()
        out["size"] = [qel.getWindowWidth(), qel.getWindowHeight()]
        qel.createRectangle(340, 250, 30, 40, "#0000ff", 0)
        qel.moveTo(circle.id, 200, 150)
        pump(qel)
        img = grab()
        out["shape"] = list(img.shape)
        out["circle"] = [int(v) for v in img[150, 200]]
        out["rect"] = [int(v) for v in img[265, 360]]
        out["old_spot"] = [int(v) for v in img[60, 60]]
        print("RESULT " + json.dumps(out))
    """, env={"PYTHONPATH": os.pathsep.join([str(tmp_path), HERE])})
    out = _result(r)
    assert f"Loading shaders from: {tmp_path}/qelDataFiles/shaders" in r.stdout
    assert out["errors"] == [f"failed to open file: {tmp_path}/qelDataFiles/shaders/tri-vert.spv"]
    assert out["size"] == [400, 300]
    assert out["shape"] == [300, 400, 3]
    assert out["circle"] == [255, 0, 0]
    assert out["rect"] == [0, 0, 255]
    assert all(abs(v - 3) <= 2 for v in out["old_spot"]), out


def test_window_beyond_the_largest_image_fails_each_poll_until_resized_back(run_qel):
    r = run_qel(_code("""
        import json, subprocess, time
        import qel, qel_testing
        from qel_testing import grab, pump
    """, WAIT_FOR_SIZE, """
        out = {"errors": []}
        qel.init([], 320, 240)
        qel.createCircle(100, 100, 20, "#ff0000", 0)
        pump(qel)
        wid = qel_testing.window_id()
        subprocess.run(["xdotool", "windowsize", wid, "20000", "20000"], check=True, timeout=10)
        for _ in range(40):
            time.sleep(0.02)
            try:
                qel.poll()
            except RuntimeError as e:
                out["errors"].append(str(e))
        subprocess.run(["xdotool", "windowsize", wid, "300", "200"], check=True, timeout=10)
        out["recovered"] = wait_for_size(300, 200)
        pump(qel)
        out["pixel"] = [int(v) for v in grab()[100, 100]]
        print("RESULT " + json.dumps(out))
    """), validation=True)
    out = _result(r)
    # Every poll after the resize tries again and fails again, naming the cause.
    assert len(out["errors"]) >= 30, out
    assert all("exceed the device's largest image" in e for e in out["errors"]), out["errors"][:3]
    assert out["recovered"] and out["pixel"] == [255, 0, 0]
