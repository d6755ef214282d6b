"""The benchmark program runs end to end and reports what it promises.

Timings are not judged here (benchmarks print figures; tests do not time things): a tiny
run checks that both qel renderers and pygame are measured, every repeat bisects from its
own ladder, the repeats are combined, and the per-call figures are there.
"""
import json
import os
import statistics
import subprocess

import pytest

from conftest import ROOT

ENGINES = ["qel-tiles", "qel-raster", "pygame"]


def test_tiny_benchmark_run_reports_every_figure(build_dir):
    pytest.importorskip("pygame")
    env = dict(os.environ, QEL_BUILD_DIR=build_dir, PYGAME_HIDE_SUPPORT_PROMPT="1")
    cmd = ["/usr/bin/python3", os.path.join(ROOT, "bench", "moving_shapes.py"),
           "--ladder", "20,3000", "--frames", "30", "--warmup", "3", "--budget", "2",
           "--bisect-steps", "1", "--repeats", "2", "--call-loops", "2000"]
    proc = subprocess.run(cmd, capture_output=True, text=True, timeout=600, env=env)
    assert proc.returncode == 0, proc.stderr[-2000:]
    lines = [ln for ln in proc.stdout.splitlines() if ln.startswith("JSON: ")]
    assert len(lines) == 1, proc.stdout[-2000:]
    report = json.loads(lines[0][len("JSON: "):])
    assert "qel-raster/pygame =" in proc.stdout     # the printed summary is there too
    assert report["config"]["engines"] == ENGINES
    budget = report["config"]["budget_ms"]
    repeats = report["repeats"]
    assert len(repeats) == 2
    assert repeats[0]["ladder"] != repeats[1]["ladder"]    # measured afresh, not shared

    for engine in ENGINES:
        block = report["engines"][engine]
        assert block["renderer"] == (None if engine == "pygame" else engine[len("qel-"):])
        assert block["startup_ms"] > 0
        # The table's figures are the medians of the repeats' ladders.
        assert [r["n"] for r in block["rungs"]] == [20, 3000]
        for i, r in enumerate(block["rungs"]):
            assert "error" not in r, r
            assert r["shapes"] == 2 * r["n"] and r["frames"] >= 5 and r["runs"] == 2
            for phase in ("update", "draw", "rest", "total", "period", "cpu"):
                assert set(r[phase]) == {"median", "p95", "mean"}
            assert r["period"]["mean"] == pytest.approx(
                statistics.median(rec["ladder"][engine][i]["period_mean_ms"] for rec in repeats))

        # Each repeat bisects from its own ladder: between its last passing rung and the
        # next failing one.
        for rec in repeats:
            ladder = rec["ladder"][engine]
            passing = [r["n"] for r in ladder if r["period_mean_ms"] <= budget]
            lo = max(passing, default=0)
            failing = [r["n"] for r in ladder if r["n"] > lo and r["period_mean_ms"] > budget]
            b = rec["bisection"][engine]
            if not failing:
                assert b is None and rec["largest_n"][engine] == (lo or None)
                continue
            assert [p["n"] for p in b["probes"]] == [(lo + min(failing)) // 2]
            assert rec["largest_n"][engine] == b["largest_passing_n"]

        # The figure is a measured N: the lower median of the repeats, with their spread.
        each = [rec["largest_n"][engine] for rec in repeats]
        cap = report["capacity_60fps"]["largest_n"][engine]
        assert cap["each"] == each
        there = [v for v in each if v is not None]
        if there:
            assert (cap["median"], cap["min"], cap["max"]) == (statistics.median_low(there), min(there), max(there))

    for engine in ENGINES[:2]:
        ratio = report["capacity_60fps"]["ratios"][f"{engine}/pygame"]
        each = [rec["largest_n"][engine] / rec["largest_n"]["pygame"]
                if rec["largest_n"][engine] and rec["largest_n"]["pygame"] else None for rec in repeats]
        assert ratio["each"] == pytest.approx(each)
        if any(each):
            assert ratio["median"] == pytest.approx(statistics.median(v for v in each if v is not None))
        assert report["engines"][engine]["over_pygame_at_n"]["n"] == 3000
        # Ordered and alternating scenes run at the renderer's largest N; the stall is p95 over median.
        n = report["capacity_60fps"]["largest_n"][engine]["median"]
        if n:
            at = report["engines"][engine]["at_largest_n"]
            assert at["n"] == n and at["error"] is None and at["alternating"]["mean"] > 0
            assert at["stall_ms"] == pytest.approx(at["ordered"]["p95"] - at["ordered"]["median"])

    calls = report["per_call_ns"]
    assert set(calls["ns_per_call"]) == {"qel.moveTo", "qel.updateColor", "circle.moveRight", "qel.buttonDown",
                                         "qel.getWindowWidth", "empty loop"}
    assert all(v > 0 for v in calls["ns_per_call"].values())
    assert calls["renderer"] in ("tiles", "raster") and report["machine"]["default_renderer"] == calls["renderer"]
    assert len(report["machine"]["loadavg_end"]) == 3
