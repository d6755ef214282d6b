"""Thousands of shapes, with either renderer: a handful of device memory allocations, and
every shape drawn."""
import os
import re

import pytest

SCRIPT = """
import qel, qel_testing
N = {n}
qel.init([], 800, 600)
# A grid of 10 x 10 pixel cells: circles and rectangles alternate, the colour encodes the cell.
cells = []
for i in range(N):
    col, row = i % 80, (i // 80) % 60
    colour = (40 + (i * 7) % 200, 40 + (i * 13) % 200, 40 + (i * 29) % 200)
    text = "#%02x%02x%02x" % colour
    if i % 2:
        qel.createCircle(col * 10 + 5, row * 10 + 5, 4, text, 0)
    else:
        qel.createRectangle(col * 10 + 1, row * 10 + 1, 8, 8, text, 0)
    cells.append((col, row, colour))
qel_testing.pump(qel, frames=4)
img = qel_testing.grab()
# Where shapes share a cell the first one created stays on top.
first = {{}}
for col, row, colour in cells:
    first.setdefault((col, row), colour)
wrong = [(c, r) for (c, r), colour in first.items()
         if max(abs(int(img[r * 10 + 5, c * 10 + 5][k]) - colour[k]) for k in range(3)) > 2]
print("cells", len(first), "wrong", len(wrong), wrong[:5])
"""


def _allocations(stderr):
    m = re.search(r"vk-alloc-counter: allocations=(\d+) peak-live=(\d+) live-at-exit=(\d+)", stderr)
    assert m, stderr[-2000:]
    return tuple(int(g) for g in m.groups())


# 24,000 shapes grow every upload buffer through several sizes.
@pytest.mark.parametrize("n", [200, 24000])
def test_shapes_share_a_few_allocations_and_all_draw(run_qel, build_dir, renderer, n):
    counter = os.path.join(build_dir, "libvk_alloc_counter.so")
    # Keep whatever is preloaded already (the sanitizer runtimes in a sanitized run).
    preload = " ".join(filter(None, [os.environ.get("LD_PRELOAD"), counter]))
    r = run_qel(SCRIPT.format(n=n), env={"LD_PRELOAD": preload, "QEL_RENDERER": renderer}, timeout=300)
    assert r.returncode == 0, r.output[-3000:]
    assert "wrong 0 " in r.stdout, r.stdout[-2000:]
    allocations, peak, live_at_exit = _allocations(r.stderr)
    # A frame's upload buffers and little else: no allocation per shape.
    assert allocations <= 8, allocations
    assert live_at_exit == 0
