"""The benchmark program runs end to end and reports what it promises.

Timings are not judged here (benchmarks print figures; tests do not time things): a tiny
run checks that both engines are measured, the bisections are repeated and combined, and
the per-call figures are there.
"""
import json
import os
import statistics
import subprocess

import pytest

from conftest import ROOT


def test_tiny_benchmark_run_reports_every_figure(build_dir):
    pytest.importorskip("pygame")
    env = dict(os.environ, QEL_BUILD_DIR=build_dir, PYGAME_HIDE_SUPPORT_PROMPT="1")
    cmd = ["/usr/bin/python3", os.path.join(ROOT, "bench", "moving_shapes.py"),
           "--ladder", "20,3000", "--frames", "30", "--warmup", "3", "--budget", "2",
           "--bisect-steps", "1", "--repeats", "2", "--call-loops", "2000", "--json-only"]
    proc = subprocess.run(cmd, capture_output=True, text=True, timeout=600, env=env)
    assert proc.returncode == 0, proc.stderr[-2000:]
    lines = [ln for ln in proc.stdout.splitlines() if ln.startswith("JSON: ")]
    assert len(lines) == 1, proc.stdout[-2000:]
    report = json.loads(lines[0][len("JSON: "):])

    for engine in ("qel", "pygame"):
        rungs = report[engine]["rungs"]
        assert [r["n"] for r in rungs] == [20, 3000]
        for r in rungs:
            assert "error" not in r, r
            assert r["shapes"] == 2 * r["n"] and r["frames"] >= 5
            for phase in ("update", "draw", "rest", "total", "period", "cpu"):
                assert set(r[phase]) == {"median", "p95", "mean"}

    # Each repeat bisects both engines; the figures are medians over the repeats.
    assert len(report["bisections"]) == 2
    cap = report["capacity_60fps"]
    assert len(cap["repeats"]) == 2
    for outcome, one in zip(report["bisections"], cap["repeats"]):
        for engine in ("qel", "pygame"):
            if outcome[engine] is not None:
                assert outcome[engine]["largest_passing_n"] == one[engine]
                assert len(outcome[engine]["probes"]) == 1
    ratios = [one["ratio"] for one in cap["repeats"] if one["ratio"] is not None]
    if ratios:
        assert cap["ratio"] == pytest.approx(statistics.median(ratios))
    # qel's figure is a measured N, and the scene created in alternating order runs at it.
    assert cap["qel"] in [one["qel"] for one in cap["repeats"]]
    if cap["qel"]:
        assert report["qel_alternating"]["error"] is None
        assert report["qel_alternating"]["n"] == cap["qel"]

    calls = report["per_call_ns"]["ns_per_call"]
    assert set(calls) == {"qel.moveTo", "qel.updateColor", "circle.moveRight", "qel.buttonDown",
                          "qel.getWindowWidth", "empty loop"}
    assert all(v > 0 for v in calls.values())
    assert report["startup_ms"]["qel"] > 0 and report["startup_ms"]["pygame"] > 0
