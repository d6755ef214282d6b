"""Short soaks: memory must not grow with the frame count, the number of rebuilds or the
number of objects created and removed.

The full runs (10,000 frames of 1,000 shapes; a million objects created and removed) are
bench/soak.py; these are sized for CI."""
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


def test_memory_is_flat_over_objects_created_and_removed(build_dir):
    env = dict(os.environ, QEL_BUILD_DIR=build_dir)
    r = subprocess.run(["/usr/bin/python3", os.path.join(ROOT, "bench", "soak.py"), "--churn", "1000",
                        "--frames", "200", "--window", "50"],
                       env=env, capture_output=True, text=True, timeout=300)
    assert r.returncode == 0, r.stdout[-2000:] + r.stderr[-2000:]
    lines = r.stdout.splitlines()
    assert lines[0].startswith("200 frames, 1000 objects created and 1000 removed each"), r.stdout[:2000]
    for start in ("first 50 frames (1..50): resident memory", "last  50 frames (151..200): resident memory",
                  "last over first: memory"):
        assert any(line.startswith(start) for line in lines), start
    result = json.loads(lines[-1][len("JSON: "):])
    assert result["created"] == result["removed"] == 200_000 and result["failed_removals"] == 0
    assert len(result["windows"]) == 4
    for window in result["windows"]:
        assert window["period_ms_mean"] > 0 and window["busy_ms_mean"] > 0 and window["poll_ms_mean"] > 0
    # An object that outlives its removal costs far more than this over 200,000 (tens of MiB).
    rss = [w["rss_kib_mean"] for w in result["windows"]]
    assert rss[-1] - rss[0] < 2 * 1024, rss
