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


def _run(run_qel, build_dir, faults, code):
    r = run_qel(code, env=fault_env(build_dir, faults), validation=True, timeout=TIMEOUT)
    assert r.returncode == 0, f"exit status {r.returncode}:\n{r.output[-3000:]}"
    lines = [line for line in r.stdout.splitlines() if line.startswith("RESULT ")]
    assert lines, r.output[-3000:]
    return json.loads(lines[-1][len("RESULT "):]), injected_faults(r.stderr)


def test_failed_vertex_block_allocation_uses_no_identifier(run_qel, build_dir):
    # The first allocation is the first vertex block; the second comes when it is full.
    out, injected = _run(run_qel, build_dir, "vkAllocateMemory:2", """
        import json, qel
        from qel_testing import grab, pump
        qel.init([], 320, 240)
        ids, error = [], None
        while error is None and len(ids) < 200000:
            try:
                ids.append(qel.createRectangle(10, 10, 1, 1, "#00ff00", 0).id)
            except RuntimeError as e:
                error = str(e)
        later = [qel.createCircle(100, 100, 20, "#ff0000", 0).id,
                 qel.createRectangle(200, 100, 40, 40, "#0000ff", 0).id]
        pump(qel)
        img = grab()
        print("RESULT " + json.dumps({
            "error": error, "created": len(ids), "contiguous": ids == list(range(ids[0], ids[0] + len(ids))),
            "next": ids[-1] + 1, "later": later,
            "pixels": [[int(v) for v in img[y, x]] for x, y in ((10, 10), (100, 100), (220, 120))]}))
    """)
    assert injected == [("vkAllocateMemory", 2)]
    assert out["error"].startswith("failed to allocate vertex buffer memory"), out["error"]
    assert out["created"] > 1000 and out["contiguous"], out["created"]
    assert out["later"] == [out["next"], out["next"] + 1]
    assert out["pixels"] == [[0, 255, 0], [255, 0, 0], [0, 0, 255]]


# The graphics pipelines come in pairs (whole shapes, discs); the swap chain is built
# before them and the command buffers after. The message names the result that failed.
@pytest.mark.parametrize("faults, message", [
    ("vkCreateSwapchainKHR:1", "failed to create swap chain!"),
    ("vkCreateGraphicsPipelines:1", "failed to create graphics pipeline"),
    ("vkCreateGraphicsPipelines:2:VK_ERROR_OUT_OF_DEVICE_MEMORY", "failed to create graphics pipeline"),
    ("vkAllocateCommandBuffers:1", "failed to allocate command buffers!"),
])
def test_failure_during_init_raises_and_a_later_init_works(run_qel, build_dir, faults, message):
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
    """)
    assert injected == [_fault(faults)]
    assert out == {"error": f"{message} ({_result(faults)})", "pixel": [255, 0, 0]}


# Each round optionally resizes the window (a swap-chain rebuild), polls through the
# failure, then waits for a run of clean polls and reads what is drawn at the new size.
FRAME_SCRIPT = """
import json, subprocess, time
import qel, qel_testing
from qel_testing import grab

def poll(errors):
    time.sleep(0.02)
    try:
        qel.poll()
        return True
    except RuntimeError as e:
        errors.append(str(e))
        return False

qel.init([], 320, 240)
circle = qel.createCircle(60, 60, 20, "#ff0000", 0)
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


@pytest.mark.parametrize("faults, sizes, words, once", [
    # The pipeline build after a rebuild fails: the old pipeline keeps drawing at the new
    # size, and the next rebuild builds a new one.
    ("vkCreateGraphicsPipelines:3", RESIZES, "failed to create graphics pipeline", True),
    # The first rebuild's swap chain fails: polls may raise until a later rebuild succeeds.
    ("vkCreateSwapchainKHR:2", RESIZES, "swap chain", False),
    # A frame that is never submitted leaves its fence unsignalled: nothing may wait on it.
    ("vkQueueSubmit:8", [None], "submit", True),
    ("vkAcquireNextImageKHR:8", [None], "acquire", True),
], ids=["pipeline-at-rebuild", "swap-chain-at-rebuild", "queue-submit", "acquire"])
def test_failure_during_a_frame_raises_from_poll_and_later_polls_draw(run_qel, build_dir, faults, sizes, words, once):
    rounds, injected = _run(run_qel, build_dir, faults, FRAME_SCRIPT.format(sizes=sizes))
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
