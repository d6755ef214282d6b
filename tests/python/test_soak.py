"""A short soak: memory must not grow with the frame count or the number of rebuilds.

The full run (10,000 frames, 1,000 shapes) is bench/soak.py; this one is sized for CI."""
import json
import os
import statistics
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def test_memory_is_flat_over_frames_and_rebuilds(build_dir):
    env = dict(os.environ, QEL_BUILD_DIR=build_dir)
    r = subprocess.run(["/usr/bin/python3", os.path.join(ROOT, "bench", "soak.py"), "--shapes", "300",
                        "--frames", "1200", "--rebuild-every", "50", "--json"],
                       env=env, capture_output=True, text=True, timeout=600)
    assert r.returncode == 0, r.stdout[-2000:] + r.stderr[-2000:]
    line = [l for l in r.stdout.splitlines() if l.startswith("JSON: ")][-1]
    result = json.loads(line[len("JSON: "):])
    rss = [s["rss_kib"] for s in result["samples"]]
    assert result["frames"] == 1200 and len(rss) == 24
    # Allocators settle over the first rebuilds; after that a leaked swap chain (several
    # MiB each) or a per-frame leak would show as a steady climb between the quarters.
    second_quarter = statistics.mean(rss[6:12])
    last_quarter = statistics.mean(rss[18:24])
    assert last_quarter - second_quarter < 12 * 1024, rss
