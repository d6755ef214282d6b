"""Keyboard, mouse and cursor queries, driven through the real window under Xvfb.

Input is injected with xdotool's XTEST path (plain `keydown`/`mousedown` after focusing
the window and moving the pointer over it), which is what a real keyboard produces.
Each snippet records what it saw in a dict and prints it as one JSON line; the X server
is shared by the whole session, so every snippet lets go of all keys and buttons and puts
the pointer back at the screen centre when it ends.
"""
import json

import pytest

PRELUDE = """
import json, subprocess, time
import qel, qel_testing

KEYS = ("Up", "Down", "w", "a", "space")
seen = {}

def xdo(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, timeout=30)

def settle(frames=8):
    # Events only arrive inside poll(), and the X server needs a moment to deliver them.
    time.sleep(0.05)
    qel_testing.pump(qel, frames=frames)

def cursor():
    point = qel.getCursor()
    return [point.x, point.y]

def release_all():
    for key in KEYS:
        subprocess.run(["xdotool", "keyup", key], timeout=30)
    for button in (1, 3):
        subprocess.run(["xdotool", "mouseup", str(button)], timeout=30)
    subprocess.run(["xdotool", "mousemove", "640", "512"], timeout=30)

release_all()
qel.init([], 400, 300)
settle()
WID = qel_testing.window_id()
xdo("windowmove", "--sync", WID, 200, 150)
xdo("mousemove", "--window", WID, 20, 20)
xdo("windowfocus", "--sync", WID)
settle()
try:
"""

EPILOGUE = """
finally:
    release_all()
print("SEEN " + json.dumps(seen))
"""


def run_input(run_qel, body):
    lines = body.strip("\n").splitlines()
    indent = min(len(line) - len(line.lstrip()) for line in lines if line.strip())
    body = "\n".join("    " + line[indent:] for line in lines)
    r = run_qel(PRELUDE + body + EPILOGUE, timeout=90)
    assert r.returncode == 0, r.output
    marked = [line for line in r.stdout.splitlines() if line.startswith("SEEN ")]
    assert marked, r.output
    return json.loads(marked[-1][len("SEEN "):])


def test_key_press_release_and_click(run_qel):
    seen = run_input(run_qel, """
        seen["before"] = qel.buttonDown("up")
        xdo("keydown", "Up")
        time.sleep(0.2)
        seen["not_polled_yet"] = qel.buttonDown("up")
        settle()
        seen["held"] = qel.buttonDown("up")
        seen["clicked_while_held"] = qel.buttonClicked("up")
        seen["other_arrow"] = qel.buttonDown("down")
        xdo("keyup", "Up")
        settle()
        seen["released"] = qel.buttonDown("up")
        seen["clicked"] = [qel.buttonClicked("up"), qel.buttonClicked("up")]

        # A release followed by a new press before anyone asks: the press clears it.
        xdo("keydown", "Up"); settle(4)
        xdo("keyup", "Up"); settle(4)
        xdo("keydown", "Up"); settle()
        seen["clicked_after_repress"] = qel.buttonClicked("up")
        xdo("keyup", "Up"); settle()
        seen["clicked_after_second_release"] = [qel.buttonClicked("up"), qel.buttonClicked("up")]
    """)
    assert seen == {
        "before": False, "not_polled_yet": False, "held": True, "clicked_while_held": False,
        "other_arrow": False, "released": False, "clicked": [True, False],
        "clicked_after_repress": False, "clicked_after_second_release": [True, False],
    }


def test_key_held_before_first_query_is_ignored_until_pressed_again(run_qel):
    seen = run_input(run_qel, """
        xdo("keydown", "Down")
        settle()
        seen["first_query"] = qel.buttonDown("down")
        settle()
        seen["still_held"] = qel.buttonDown("down")
        xdo("keyup", "Down"); settle()
        seen["released"] = qel.buttonDown("down")
        # The release happened while tracked, so it counts as a click.
        seen["clicked"] = qel.buttonClicked("down")
        xdo("keydown", "Down"); settle()
        seen["pressed_again"] = qel.buttonDown("down")
    """)
    assert seen == {"first_query": False, "still_held": False, "released": False,
                    "clicked": True, "pressed_again": True}


def test_auto_repeat_changes_nothing(run_qel):
    # Xvfb auto-repeats held keys (about 25 repeats per second after 660 ms); GLFW
    # reports those as repeats. Extra XTEST presses of the held key are repeats too.
    seen = run_input(run_qel, """
        qel.buttonDown("up")
        xdo("keydown", "Up")
        states = []
        deadline = time.time() + 1.5
        while time.time() < deadline:
            time.sleep(0.02)
            qel.poll()
            states.append(qel.buttonDown("up"))
        for _ in range(5):
            xdo("keydown", "Up")
            settle(3)
            states.append(qel.buttonDown("up"))
        seen["states_after_first_poll"] = sorted(set(states[5:]))
        seen["clicked_while_held"] = qel.buttonClicked("up")
        xdo("keyup", "Up"); settle()
        seen["released"] = [qel.buttonDown("up"), qel.buttonClicked("up"), qel.buttonClicked("up")]
    """)
    assert seen == {"states_after_first_poll": [True], "clicked_while_held": False,
                    "released": [False, True, False]}


def test_combo(run_qel):
    seen = run_input(run_qel, """
        seen["empty"] = qel.buttonComboDown([])
        # W is not down, so the check stops there and A is never tracked...
        seen["nothing_held"] = qel.buttonComboDown(["W", "A"])
        xdo("keydown", "a"); settle()
        # ...which is why this press of A goes unseen.
        seen["untracked_a"] = qel.buttonDown("A")
        xdo("keyup", "a"); settle()
        qel.buttonClicked("A")
        xdo("keydown", "w"); settle()
        seen["only_w"] = qel.buttonComboDown(["W", "A"])
        xdo("keydown", "a"); settle()
        seen["both"] = [qel.buttonComboDown(["W", "A"]), qel.buttonComboDown(["A", "W"])]
        seen["with_unheld"] = qel.buttonComboDown(["W", "A", "S"])
        xdo("keyup", "w"); settle()
        seen["w_released"] = qel.buttonComboDown(["W", "A"])
        seen["empty_again"] = qel.buttonComboDown([])
    """)
    assert seen == {"empty": True, "nothing_held": False, "untracked_a": False, "only_w": False,
                    "both": [True, True], "with_unheld": False, "w_released": False,
                    "empty_again": True}


def test_mouse_buttons_and_unknown_names(run_qel):
    seen = run_input(run_qel, """
        names = ["mouseLeft", "w", "space", "Up", "mouseright"]
        seen["before"] = [qel.buttonDown(n) for n in names]
        qel.buttonDown("mouseRight")
        xdo("mousemove", "--window", WID, 10, 10, "mousedown", 1); settle()
        # Unknown or wrongly cased names all read the left mouse button.
        seen["left_held"] = [qel.buttonDown(n) for n in names]
        seen["right_held"] = qel.buttonDown("mouseRight")
        xdo("mouseup", 1); settle()
        seen["left_released"] = [qel.buttonDown(n) for n in names]
        # They share one state, so one name's click is gone for the others.
        seen["left_clicked"] = [qel.buttonClicked("space"), qel.buttonClicked("mouseLeft"),
                                qel.buttonClicked("w")]
        # Pressing the real key of a lower-case name does nothing to it.
        xdo("keydown", "w"); settle()
        seen["w_key_as_w"] = qel.buttonDown("w")
        xdo("keyup", "w"); settle()
        xdo("mousedown", 3); settle()
        seen["right_held_again"] = [qel.buttonDown("mouseRight"), qel.buttonDown("mouseLeft")]
        xdo("mouseup", 3); settle()
        seen["right_clicked"] = [qel.buttonClicked("mouseRight"), qel.buttonClicked("mouseRight"),
                                 qel.buttonClicked("mouseLeft")]
    """)
    assert seen == {
        "before": [False] * 5, "left_held": [True] * 5, "right_held": False,
        "left_released": [False] * 5, "left_clicked": [True, False, False],
        "w_key_as_w": False, "right_held_again": [True, False],
        "right_clicked": [True, False, False],
    }


def test_new_window_starts_with_nothing_held(run_qel):
    seen = run_input(run_qel, """
        for name in ("up", "W", "mouseLeft"):
            qel.buttonDown(name)
        xdo("keydown", "Up", "mousedown", 1); settle()
        qel.buttonClicked("down")
        xdo("keydown", "Down"); settle()
        xdo("keyup", "Down"); settle()
        seen["before"] = [qel.buttonDown("up"), qel.buttonDown("mouseLeft")]
        qel.init([], 400, 300)
        wid = qel_testing.window_id()
        xdo("mousemove", "--window", wid, 20, 20)
        xdo("windowfocus", "--sync", wid)
        settle()
        seen["after_init"] = [qel.buttonDown("up"), qel.buttonDown("mouseLeft"), qel.buttonClicked("down")]
        xdo("keyup", "Up", "mouseup", 1); settle()
        seen["let_go"] = [qel.buttonDown("up"), qel.buttonClicked("up")]
        # W was tracked before the new window and was not asked about since: still tracked.
        xdo("keydown", "w"); settle()
        seen["w_pressed"] = qel.buttonDown("W")
    """)
    assert seen == {"before": [True, True], "after_init": [False, False, False],
                    "let_go": [False, False], "w_pressed": True}


def test_cursor_position(run_qel):
    seen = run_input(run_qel, """
        # The window sits at (200, 150) on the 1280x1024 screen, 400x300 in size.
        spots = {}
        for sx, sy in [(237, 231), (200, 150), (599, 449), (420, 300)]:
            xdo("mousemove", sx, sy); settle()
            spots[f"{sx},{sy}"] = cursor()
        xdo("mousemove", "--window", WID, 123, 45); settle()
        spots["window 123,45"] = cursor()
        seen["inside"] = spots
        outside = []
        for sx, sy in [(199, 200), (600, 200), (300, 149), (300, 450), (1200, 1000)]:
            xdo("mousemove", sx, sy); settle()
            outside.append(cursor())
        seen["outside"] = outside
        xdo("mousemove", "--window", WID, 50, 50); settle()
        qel.closeWindow()
        seen["closed"] = cursor()
    """)
    expected = {"237,231": (37, 81), "200,150": (0, 0), "599,449": (399, 299),
                "420,300": (220, 150), "window 123,45": (123, 45)}
    for spot, (x, y) in expected.items():
        got = seen["inside"][spot]
        assert abs(got[0] - x) <= 1 and abs(got[1] - y) <= 1, (spot, got)
    assert seen["outside"] == [[-1, -1]] * 5
    assert seen["closed"] == [-1, -1]


def test_every_key_presses_clicks_wheel_and_text(run_qel):
    # The keyboard and mouse queries beyond the ten names: every key from the window's
    # start, presses and releases between two drawn frames, clicks with their positions.
    seen = run_input(run_qel, """
        def frame():
            time.sleep(0.05)
            qel.nextFrame()
        # Held before anything asked about it.
        xdo("keydown", "space"); frame()
        seen["held_first"] = [qel.keyDown("space"), qel.keyPressed("space"), qel.keysDown()]
        frame()
        seen["next_frame"] = [qel.keyDown("space"), qel.keyPressed("space")]
        xdo("keyup", "space"); frame()
        seen["released"] = [qel.keyDown("space"), qel.keyReleased("space")]
        # Down and up between two frames: both seen, nothing held.
        xdo("keydown", "Escape", "keyup", "Escape"); frame()
        seen["short"] = [qel.keyPressed("escape"), qel.keyReleased("escape"), qel.keyDown("escape")]
        xdo("keydown", "Control_L"); frame()
        seen["modifier"] = [qel.keyDown("left ctrl"), qel.keyDown("ctrl"), qel.keyDown("right ctrl"), qel.keysDown()]
        xdo("keyup", "Control_L")
        # Auto-repeat: one press however long the key is held; the characters repeat.
        xdo("keydown", "x")
        presses, start = 0, time.time()
        while time.time() - start < 1.5:
            qel.nextFrame()
            presses += qel.keyPressed("x")
        frame()
        xdo("keyup", "x"); frame()
        seen["repeat"] = [presses, qel.keyDown("x")]
        xdo("type", "--delay", "20", "Hi!"); frame()
        seen["typed"] = qel.typedText()
        frame()
        seen["typed_next"] = qel.typedText()
        xdo("mousemove", "--window", WID, 30, 40, "click", 1)
        xdo("mousemove", "--window", WID, 300, 200, "click", 3)
        xdo("click", 4, "click", 4, "click", 5, "click", 4); frame()
        seen["clicks"] = [[b, round(x), round(y)] for b, x, y in qel.clicks()]
        seen["mouse"] = [qel.mousePressed("left"), qel.mouseReleased("right"), qel.mouseDown("left")]
        seen["scroll"] = list(qel.scroll())
        frame()
        seen["after"] = [qel.clicks(), list(qel.scroll()), qel.mousePressed("left")]
        errors = []
        for bad in (lambda: qel.keyDown("Space"), lambda: qel.keyPressed("spce"), lambda: qel.mouseDown("wheel")):
            try:
                bad()
            except ValueError as e:
                errors.append(str(e))
        seen["errors"] = errors
    """)
    assert seen["held_first"] == [True, True, ["space"]]
    assert seen["next_frame"] == [True, False]
    assert seen["released"] == [False, True]
    assert seen["short"] == [True, True, False]
    assert seen["modifier"] == [True, True, False, ["left ctrl"]]
    assert seen["repeat"][0] == 1 and seen["repeat"][1] is False
    assert seen["typed"] == "Hi!" and seen["typed_next"] == ""
    assert seen["clicks"] == [["left", 30, 40], ["right", 300, 200]]
    # GLFW's axis: y is positive as the wheel turns away from the user (X button 4).
    assert seen["mouse"] == [True, True, False] and seen["scroll"] == [0.0, 2.0]
    assert seen["after"] == [[], [0.0, 0.0], False]
    assert 'did you mean "space"' in seen["errors"][0] and '"space"' in seen["errors"][1]
    assert len(seen["errors"]) == 3 and "mouse button" in seen["errors"][2]


def test_injected_input_is_held_to_what_a_window_system_could_send(run_qel):
    r = run_qel("""
        import json, qel
        qel.init([], 200, 100, offscreen=True)
        out = {}
        def error(call):
            try:
                call()
            except (ValueError, TypeError) as e:
                return str(e)
        out["nan"] = [error(lambda: qel.injectMouse(float("nan"), 1)), error(lambda: qel.injectScroll(0, float("inf")))]
        qel.injectMouse(250, 50)
        qel.nextFrame()
        out["outside"] = [qel.getCursor().x, qel.getCursor().y]
        qel.injectMouse(20, 30)
        qel.nextFrame()
        out["inside"] = [qel.getCursor().x, qel.getCursor().y]
        for _ in range(100000):
            qel.injectKey("a", True)
        out["full"] = error(lambda: qel.injectKey("a", False))
        qel.nextFrame()
        out["delivered"] = [qel.keyDown("a"), error(lambda: qel.injectKey("a", False))]
        out["names"] = [error(lambda: qel.keyDown("a\\x00b")), error(lambda: qel.keyDown("x" * 10**6))]
        def refused(call):  # a lone surrogate is no text: ValueError, not a signature mismatch
            try:
                call()
            except ValueError as e:
                return str(e)
        out["surrogates"] = [refused(lambda: qel.injectText("a\\ud800")), refused(lambda: qel.injectKey("\\udc80", True)),
                             refused(lambda: qel.keyDown("x\\udfff")), refused(lambda: qel.mouseDown("\\ud800"))]
        print("SEEN " + json.dumps(out))
    """, env={"DISPLAY": None})
    assert r.returncode == 0, r.output
    out = json.loads(r.stdout.splitlines()[-1][len("SEEN "):])
    assert all("finite" in e for e in out["nan"]), out
    assert out["outside"] == [-1, -1] and out["inside"] == [20, 30]
    assert "waiting" in out["full"] and out["delivered"] == [True, None]
    assert [e and "lone surrogate" in e for e in out["surrogates"]] == [True] * 4, out["surrogates"]
    assert "'a\\x00b'" in out["names"][0] and "cut short" in out["names"][1] and len(out["names"][1]) < 200
