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
                        "--frames", "1200", "--rebuild-every", "100", "--warmup-rebuilds", "10", "--json"],
                       env=env, capture_output=True, text=True, timeout=600)
    assert r.returncode == 0, r.stdout[-2000:] + r.stderr[-2000:]
    line = [l for l in r.stdout.splitlines() if l.startswith("JSON: ")][-1]
    result = json.loads(line[len("JSON: "):])
    rss = [s["rss_kib"] for s in result["samples"]]
    assert result["frames"] == 1200 and len(rss) == 12
    # The allocators settle over the warm-up rebuilds; after that a leaked swap chain
    # (several MiB each) or a per-frame leak shows as a climb from one half to the next.
    first_half = statistics.mean(rss[:6])
    second_half = statistics.mean(rss[6:])
    assert second_half - first_half < 8 * 1024, rss
