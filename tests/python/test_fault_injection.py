"""Vulkan calls that fail (made to by tests/support/vk_fault.cpp, preloaded): each failure
reaches the script as a RuntimeError naming the operation, the module goes on working
afterwards, the process exits normally and the validation layer stays silent."""
import json

import pytest

from qel_testing import fault_env, injected_faults

# A hang fails its case, not the run; a good run takes a few seconds.
TIMEOUT = 90


def _fault(faults):
    function, call = faults.split(":")[:2]
    return function, int(call)


def _result(faults):
    parts = faults.split(":")
    return parts[2] if len(parts) > 2 else "VK_ERROR_OUT_OF_HOST_MEMORY"


def _run(run_qel, build_dir, faults, code, renderer=None):
    env = fault_env(build_dir, faults)
    if renderer:
        env["QEL_RENDERER"] = renderer
    r = run_qel(code, env=env, validation=True, timeout=TIMEOUT)
    assert r.returncode == 0, f"exit status {r.returncode}:\n{r.output[-3000:]}"
    lines = [line for line in r.stdout.splitlines() if line.startswith("RESULT ")]
    assert lines, r.output[-3000:]
    return json.loads(lines[-1][len("RESULT "):]), injected_faults(r.stderr)


# A frame's uploads live in buffers that grow with the scene. The texture atlas takes the
# first allocation; then the raster renderer's next is frame 0's vertices, the tiles
# renderer's its pixel buffer and then frame 0's shape records.
@pytest.mark.parametrize("renderer, faults, buffer", [
    ("raster", "vkAllocateMemory:2", "vertex"),
    ("tiles", "vkAllocateMemory:3", "shape"),
])
def test_failed_upload_allocation_fails_one_frame(run_qel, build_dir, renderer, faults, buffer):
    out, injected = _run(run_qel, build_dir, faults, """
        import json, time, qel
        from qel_testing import grab, pump
        qel.init([], 320, 240)
        ids = [qel.createRectangle(10, 10, 20, 20, "#00ff00", 0).id, qel.createCircle(100, 100, 20, "#ff0000", 0).id]
        errors = []
        for _ in range(3):
            time.sleep(0.02)
            try:
                qel.poll()
            except RuntimeError as e:
                errors.append(str(e))
        ids.append(qel.createRectangle(200, 100, 40, 40, "#0000ff", 0).id)
        pump(qel)
        img = grab()
        print("RESULT " + json.dumps({
            "errors": errors, "ids": ids,
            "pixels": [[int(v) for v in img[y, x]] for x, y in ((15, 15), (100, 100), (220, 120))]}))
    """, renderer=renderer)
    assert injected == [_fault(faults)]
    assert out["errors"] == [f"failed to allocate {buffer} buffer memory! (VK_ERROR_OUT_OF_HOST_MEMORY)"]
    assert out["ids"] == [out["ids"][0], out["ids"][0] + 1, out["ids"][0] + 2]
    assert out["pixels"] == [[0, 255, 0], [255, 0, 0], [0, 0, 255]]


# The command buffers come first, then the swap chain; the raster renderer builds four
# graphics pipelines (plain, discs, mixed, pictures), the tiles renderer three
# compute pipelines (opaque tiles, tiles blending pictures at their own size, tiles filtering scaled ones). The message names the operation first and the result that failed last.
@pytest.mark.parametrize("renderer, faults, message", [
    (None, "vkAllocateCommandBuffers:1", "failed to allocate command buffers!"),
    (None, "vkCreateSwapchainKHR:1", "failed to create swap chain!"),
    ("raster", "vkCreateGraphicsPipelines:1", "failed to create graphics pipeline"),
    ("raster", "vkCreateGraphicsPipelines:3:VK_ERROR_OUT_OF_DEVICE_MEMORY", "failed to create graphics pipeline"),
    ("tiles", "vkCreateComputePipelines:1", "failed to create compute pipeline: "),
    # The first image memory: the texture atlas's sheet.
    (None, "vkAllocateMemory:1", "failed to allocate image memory!"),
])
def test_failure_during_init_raises_and_a_later_init_works(run_qel, build_dir, renderer, faults, message):
    out, injected = _run(run_qel, build_dir, faults, """
        import json, qel
        from qel_testing import grab, pump
        try:
            qel.init([], 320, 240)
            error = None
        except RuntimeError as e:
            error = str(e)
        qel.init([], 320, 240)
        qel.createCircle(100, 100, 20, "#ff0000", 0)
        pump(qel)
        print("RESULT " + json.dumps({"error": error, "pixel": [int(v) for v in grab()[100, 100]]}))
    """, renderer=renderer)
    assert injected == [_fault(faults)]
    assert out["error"].startswith(message) and out["error"].endswith(f" ({_result(faults)})"), out["error"]
    assert out["pixel"] == [255, 0, 0]


# Each round optionally resizes the window (a swap-chain rebuild), polls through the
# failure, then waits for a run of clean polls and reads what is drawn at the new size.
FRAME_SCRIPT = """
import json, subprocess, time
import qel, qel_testing
from qel_testing import grab

def poll(errors):
    # A corner pixel changes every frame: a frame that repeats the last is not submitted.
    ticks.append(1)
    qel.updateColor(ticker.id, len(ticks) % 2)
    time.sleep(0.02)
    try:
        qel.poll()
        return True
    except RuntimeError as e:
        errors.append(str(e))
        return False

qel.init([], 320, 240)
ticker, ticks = qel.createRectangle(0, 0, 2, 2, "#000000", 0), []
circle = qel.createCircle(60, 60, 20, "#ff0000", 0)
for i in range({crowd}):  # enough for the frames to be finished on the frame loop's worker
    qel.createRectangle(i % 100, 150 + i // 100, 1, 1, "#101010", 0)
qel_testing.pump(qel)
rounds = []
for size in {sizes}:
    if size:
        subprocess.run(["xdotool", "windowsize", qel_testing.window_id(), *map(str, size)], check=True, timeout=30)
    errors = []
    for _ in range(40):
        poll(errors)
    clean = 0
    for _ in range(100):
        clean = clean + 1 if poll(errors) else 0
        if clean == 10:
            break
    w, h = qel.getWindowWidth(), qel.getWindowHeight()
    qel.moveTo(circle.id, w / 2, h / 2)
    qel.createRectangle(w - 50, h - 40, 30, 40, "#0000ff", 0)
    clean = 0
    for _ in range(100):
        clean = clean + 1 if poll(errors) else 0
        if clean == 6:
            break
    img = grab()
    rounds.append({{"errors": errors, "settled": clean == 6, "size": [w, h], "shape": list(img.shape),
                    "circle": [int(v) for v in img[h // 2, w // 2]],
                    "rect": [int(v) for v in img[h - 25, w - 30]]}})
print("RESULT " + json.dumps(rounds))
"""

RESIZES = [(400, 300), (440, 330)]


@pytest.mark.parametrize("renderer, faults, sizes, words, once, crowd", [
    # The pipeline build after a rebuild fails: the old pipelines keep drawing at the new
    # size, and the next rebuild builds new ones.
    ("raster", "vkCreateGraphicsPipelines:5", RESIZES, "failed to create graphics pipeline", True, 0),
    # The first rebuild's swap chain fails: polls may raise until a later rebuild succeeds.
    (None, "vkCreateSwapchainKHR:2", RESIZES, "swap chain", False, 0),
    # A frame that is never submitted leaves its fence unsignalled: nothing may wait on it.
    (None, "vkQueueSubmit:8", [None], "submit", True, 0),
    # Submitted by the worker: the next poll raises.
    ("tiles", "vkQueueSubmit:8", [None], "submit", True, 1500),
    (None, "vkAcquireNextImageKHR:8", [None], "acquire", True, 0),
], ids=["pipeline-at-rebuild", "swap-chain-at-rebuild", "queue-submit", "queue-submit-on-the-worker", "acquire"])
def test_failure_during_a_frame_raises_from_poll_and_later_polls_draw(run_qel, build_dir, renderer, faults, sizes,
                                                                      words, once, crowd):
    rounds, injected = _run(run_qel, build_dir, faults, FRAME_SCRIPT.format(sizes=sizes, crowd=crowd),
                            renderer=renderer)
    assert injected == [_fault(faults)]
    errors = [e for r in rounds for e in r["errors"]]
    assert errors and all(words in e for e in errors), errors
    if once:
        assert len(errors) == 1, errors
    # After a single failure every round draws; otherwise the last rebuild must have worked.
    for size, r in zip(sizes, rounds) if once else [(sizes[-1], rounds[-1])]:
        w, h = size or (320, 240)
        assert r["settled"], r
        assert r["size"] == [w, h] and r["shape"] == [h, w, 3], r
        assert r["circle"] == [255, 0, 0] and r["rect"] == [0, 0, 255], r


def test_failures_armed_while_running_resize_and_read_back(run_qel, build_dir, renderer):
    # Armed from inside the script: the frame pixel buffer of a larger window (tiles), and
    # the wait before reading the last frame back.
    out, injected = _run(run_qel, build_dir, "", """
        import json, subprocess, time, qel, qel_testing
        from qel_testing import arm_fault, pump
        qel.init([], 320, 240)
        rect = qel.createRectangle(0, 0, 700, 700, "#00ff00", 0)
        for i in range(8):  # different frames, so both frame slots have their buffers
            qel.updateColor(rect.id, 0x00ff00 + i % 2)
            time.sleep(0.02)
            qel.poll()
        qel.updateColor(rect.id, 0x00ff00)
        errors = []
        def attempt(call):
            try:
                return call()
            except RuntimeError as e:
                errors.append(str(e))
        if qel.getRenderer() == "tiles":
            arm_fault("vkAllocateMemory:1")
        # Twice as large: the pixel buffer has to grow.
        subprocess.run(["xdotool", "windowsize", qel_testing.window_id(), "640", "480"], check=True, timeout=30)
        for _ in range(20):
            time.sleep(0.02)
            attempt(qel.poll)
        # Frames abandoned after their image was acquired, more of them than the swap chain
        # has images: each must give its image back.
        for i in range(6):
            arm_fault("vkQueueSubmit:1")
            qel.updateColor(rect.id, 0x00ff01 + i % 2)
            time.sleep(0.02)
            attempt(qel.poll)
        qel.updateColor(rect.id, 0x00ff00)
        for _ in range(5):
            time.sleep(0.02)
            attempt(qel.poll)
        arm_fault("vkDeviceWaitIdle:1")
        attempt(qel.readPixels)
        pixels = qel.readPixels()
        print("RESULT " + json.dumps({"errors": errors, "size": [qel.getWindowWidth(), qel.getWindowHeight()],
                                      "bytes": len(pixels), "last": list(pixels[-4:])}))
    """, renderer=renderer)
    tiles = renderer == "tiles"
    expected = (["frame pixel buffer"] if tiles else []) + ["submit"] * 6 + ["wait for the last frame"]
    assert len(out["errors"]) == len(expected) and all(w in e for w, e in zip(expected, out["errors"])), out
    assert out["size"] == [640, 480] and out["bytes"] == 640 * 480 * 4 and out["last"] == [0, 255, 0, 255]
    assert [f for f, _ in injected] == ["vkAllocateMemory"] * tiles + ["vkQueueSubmit"] * 6 + ["vkDeviceWaitIdle"]


# Work outside the frame loop (reading a frame back, growing the atlas) whose fence wait
# fails, twice in a row: nothing it uses may be freed while the device may still run it.
# With a window, the 6th wait is the read-back and the 7th the growth (raster), the 6th the
# growth (tiles); the fault after it meets the next wait, whichever it is.
@pytest.mark.parametrize("renderer, call, failing", [("raster", 6, "read"), ("raster", 7, "grow"),
                                                     ("tiles", 6, "grow")])
def test_failed_wait_for_one_time_commands_frees_nothing_in_use(run_qel, build_dir, tmp_path, renderer, call,
                                                                 failing):
    from PIL import Image
    Image.new("RGB", (20, 20), (200, 10, 10)).save(tmp_path / "small.png")
    Image.new("RGB", (600, 600), (9, 90, 200)).save(tmp_path / "big.png")
    faults = f"vkWaitForFences:{call},vkWaitForFences:{call + 1}"
    out, injected = _run(run_qel, build_dir, faults, f"""
        import json, time, qel
        D = {str(tmp_path)!r}
        qel.init([], 320, 240)
        qel.createSprite(0, 0, D + "/small.png")
        errors = []
        def step(name, f):
            try:
                f()
            except RuntimeError as e:
                errors.append([name, str(e)])
        def polls(n):
            for _ in range(n):
                time.sleep(0.02)
                step("poll", qel.poll)
        polls(3)
        step("read", qel.readPixels)
        step("grow", lambda: qel.createSprite(50, 50, D + "/big.png"))
        polls(3)
        step("grow", lambda: qel.createSprite(50, 50, D + "/big.png"))
        polls(3)
        px = qel.readPixels()
        print("RESULT " + json.dumps({{"errors": errors, "pixels": [list(px[i:i + 3]) for i in (0, (60 * 320 + 60) * 4)]}}))
    """, renderer=renderer)
    assert injected == [("vkWaitForFences", call), ("vkWaitForFences", call + 1)]
    (name, error), _ = out["errors"]  # the second: the next wait, whatever it is
    assert name == failing and error.endswith("failed to wait for the device to finish copying! "
                                              "(VK_ERROR_OUT_OF_HOST_MEMORY)"), out["errors"]
    assert out["pixels"] == [[200, 10, 10], [9, 90, 200]]
