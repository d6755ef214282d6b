"""The benchmark program runs end to end and reports what it promises.

Timings are not judged here (benchmarks print figures; tests do not time things): a tiny
run checks that both qel renderers and pygame are measured, per shape and (qel) in batch,
every repeat bisects from its own ladder, the repeats are combined, and the pictures-and-text
run and the per-call figures are there; the script's floor runs beside them, climbing past the
ladder while it keeps up, and the bunnymark and the plot run too.
"""
import json
import os
import statistics
import subprocess
import sys
import types

import pytest

from conftest import ROOT

ENGINES = ["qel-tiles", "qel-raster", "floor", "pygame"]
BATCH_ENGINES = ["qel-tiles-batch", "qel-raster-batch", "floor-batch"]


def is_png(path):
    with open(path, "rb") as f:
        return f.read(8) == b"\x89PNG\r\n\x1a\n"


def judged(r):
    """What the 60 fps rule reads: the mean period, for a floor its mean busy time."""
    return r.get("busy_mean_ms", r["period_mean_ms"])


def check_ladders(engines, rungs, repeats, budget, ns=(20, 1000), per_n=2):
    """Every engine's table is the median of the repeats' ladders, and each repeat bisects
    from its own ladder; only a floor climbs past the ladder, by doubling while it keeps up."""
    for engine in engines:
        assert [r["n"] for r in rungs[engine]][:len(ns)] == list(ns)
        for i, r in enumerate(rungs[engine]):
            assert "error" not in r, r
            assert r["shapes"] == per_n * r["n"] and r["frames"] >= 5 and r["runs"] == len(repeats)
            for phase in ("update", "draw", "rest", "total", "period", "cpu"):
                assert set(r[phase]) == {"median", "p95", "mean"}
            assert r["period"]["mean"] == pytest.approx(
                statistics.median(rec["ladder"][engine][i]["period_mean_ms"] for rec in repeats))

        # Between the repeat's last passing rung and the next failing one.
        for rec in repeats:
            assert all(("busy_mean_ms" in r) == engine.startswith("floor") for r in rec["ladder"][engine])
            climbed = rec["ladder"][engine][len(ns) - 1:]
            assert len(climbed) == 1 or engine.startswith("floor")
            assert not engine.startswith("floor") or len(climbed) == 6 or judged(climbed[-1]) > budget
            for below, r in zip(climbed, climbed[1:]):
                assert r["n"] == 2 * below["n"] and judged(below) <= budget
            ladder = rec["ladder"][engine]
            passing = [r["n"] for r in ladder if judged(r) <= budget]
            lo = max(passing, default=0)
            failing = [r["n"] for r in ladder if r["n"] > lo and judged(r) > budget]
            b = rec["bisection"][engine]
            if not failing:
                assert b is None and rec["largest_n"][engine] == (lo or None)
                continue
            assert [p["n"] for p in b["probes"]] == [(lo + min(failing)) // 2]
            assert rec["largest_n"][engine] == b["largest_passing_n"]


def check_capacity(cap, engines, repeats, base_each, base="pygame"):
    """The figure is a measured N, the lower median of the repeats, with their spread; each
    ratio to pygame (or share of the floor) is the median of the repeats' ratios."""
    for engine in engines:
        each = [rec["largest_n"][engine] for rec in repeats]
        assert cap["largest_n"][engine]["each"] == each
        there = [v for v in each if v is not None]
        if there:
            got = cap["largest_n"][engine]
            assert (got["median"], got["min"], got["max"]) == (statistics.median_low(there), min(there), max(there))
        ratio = cap["ratios"][f"{engine}/{base}"]
        each = [q / g if q and g else None for q, g in zip(each, base_each)]
        assert ratio["each"] == pytest.approx(each)
        if any(each):
            assert ratio["median"] == pytest.approx(statistics.median(v for v in each if v is not None))


def test_tiny_benchmark_run_reports_every_figure(build_dir, tmp_path):
    pytest.importorskip("pygame")
    pytest.importorskip("numpy")
    pytest.importorskip("PIL")
    env = dict(os.environ, QEL_BUILD_DIR=build_dir, PYGAME_HIDE_SUPPORT_PROMPT="1")
    cmd = ["/usr/bin/python3", os.path.join(ROOT, "bench", "moving_shapes.py"),
           "--ladder", "20,1000", "--frames", "20", "--warmup", "3", "--budget", "2",
           "--bisect-steps", "1", "--repeats", "2", "--call-loops", "2000", "--batch-ladder", "20,1000",
           "--sprites", "50", "--labels", "10", "--batch-call-objects", "2000", "--no-bunnymark",
           "--plot", str(tmp_path / "plot.png")]
    proc = subprocess.run(cmd, capture_output=True, text=True, timeout=600, env=env)
    assert proc.returncode == 0, proc.stderr[-2000:]
    lines = [ln for ln in proc.stdout.splitlines() if ln.startswith("JSON: ")]
    assert len(lines) == 1, proc.stdout[-2000:]
    report = json.loads(lines[0][len("JSON: "):])
    # The printed summary is there too.
    assert is_png(tmp_path / "plot.png") and "bunnymark" not in report
    for text in ("qel-raster/pygame =", "qel-tiles-batch/pygame =", "qel-raster/floor =", "qel-tiles-batch/floor-batch =", "target: qel-tiles-batch at least 30000",
                 "target: qel-tiles keeps 60 fps", "qel.moveMany", "qel.objectAt"):
        assert text in proc.stdout, text
    assert report["config"]["engines"] == ENGINES
    budget = report["config"]["budget_ms"]
    repeats = report["repeats"]
    assert len(repeats) == 2
    assert repeats[0]["ladder"] != repeats[1]["ladder"]    # measured afresh, not shared

    for engine in ENGINES:
        block = report["engines"][engine]
        assert block["renderer"] == (engine[len("qel-"):] if engine.startswith("qel-") else None)
        assert engine == "floor" or block["startup_ms"] > 0
    check_ladders(ENGINES, {e: report["engines"][e]["rungs"] for e in ENGINES}, repeats, budget)
    pygame_each = [rec["largest_n"]["pygame"] for rec in repeats]
    check_capacity(report["capacity_60fps"], ENGINES[:2], repeats, pygame_each)
    check_capacity(report["capacity_60fps"], ENGINES[:2], repeats, [rec["largest_n"]["floor"] for rec in repeats],
                   "floor")

    for engine in ENGINES[:2]:
        assert report["engines"][engine]["over_pygame_at_n"]["n"] == 1000
        # Ordered and alternating scenes run at the renderer's largest N; the stall is p95 over median.
        n = report["capacity_60fps"]["largest_n"][engine]["median"]
        if n:
            at = report["engines"][engine]["at_largest_n"]
            assert at["n"] == n and at["error"] is None and at["alternating"]["mean"] > 0
            assert at["stall_ms"] == pytest.approx(at["ordered"]["p95"] - at["ordered"]["median"])

    # Batch mode: its own ladders and bisections, set beside pygame's per-shape figures.
    batch = report["batch"]
    assert batch["engines"] == BATCH_ENGINES and len(batch["repeats"]) == 2
    check_ladders(BATCH_ENGINES, batch["rungs"], batch["repeats"], budget)
    check_capacity(batch["capacity_60fps"], BATCH_ENGINES, batch["repeats"], pygame_each)
    check_capacity(batch["capacity_60fps"], BATCH_ENGINES[:2], batch["repeats"],
                   [rec["largest_n"]["floor-batch"] for rec in batch["repeats"]], "floor-batch")
    assert batch["capacity_60fps"]["pygame"]["each"] == pygame_each
    largest = batch["capacity_60fps"]["largest_n"]["qel-tiles-batch"]["median"]
    assert batch["target"] == {"engine": "qel-tiles-batch", "n": 30000, "largest_n": largest,
                               "met": bool(largest and largest >= 30000)}

    for key, turning in (("pictures", False), ("turning_pictures", True)):
        pictures = report[key]
        assert (pictures["sprites"], pictures["labels"], pictures["turning"]) == (50, 10, turning)
        for renderer, block in pictures["renderers"].items():
            assert block["errors"] == [] and len(block["runs"]) == 2
            assert all((run["sprites"], run["labels"], run["turning"]) == (50, 10, turning) and run["frames"] >= 5
                       for run in block["runs"])
            assert block["period_mean_ms"]["each"] == [run["period"]["mean"] for run in block["runs"]]
            assert block["keeps_60fps"] == (block["period_mean_ms"]["median"] <= budget)
        assert list(pictures["renderers"]) == ["tiles", "raster"]
        assert pictures["target"] == {"renderer": "tiles", "met": pictures["renderers"]["tiles"]["keeps_60fps"]}
    assert ", each turned and scaled anew," in proc.stdout

    calls = report["per_call_ns"]
    assert set(calls["ns_per_call"]) == {"qel.moveTo", "qel.updateColor", "circle.moveRight", "qel.buttonDown",
                                         "qel.getWindowWidth", "empty loop"}
    assert all(v > 0 for v in calls["ns_per_call"].values())
    assert calls["renderer"] in ("tiles", "raster") and report["machine"]["default_renderer"] == calls["renderer"]
    batch_calls = report["batch_calls"]
    assert batch_calls["objects"] == 2000 and batch_calls["renderer"] == calls["renderer"]
    assert batch_calls["dtypes"] == {"ids": "int64", "coordinates": "float64", "colours": "int64"}
    assert set(batch_calls["ns_per_object"]) == {"qel.moveMany", "qel.updateColors"}
    assert set(batch_calls["us_per_call"]) == {"qel.objectAt", "loop over points"}
    assert all(v > 0 for v in [*batch_calls["ns_per_object"].values(), *batch_calls["us_per_call"].values()])
    assert len(report["machine"]["loadavg_end"]) == 3


def test_offscreen_engines_run_beside_the_windowed_ones(build_dir):
    # Offscreen children run without DISPLAY, so one that opened a window fails here.
    env = dict(os.environ, QEL_BUILD_DIR=build_dir)
    cmd = ["/usr/bin/python3", os.path.join(ROOT, "bench", "moving_shapes.py"), "--offscreen", "--no-pygame",
           "--renderers", "tiles", "--ladder", "20", "--frames", "10", "--warmup", "2", "--budget", "1",
           "--repeats", "1", "--bisect-steps", "0", "--call-loops", "2000", "--batch-renderers", "",
           "--sprites", "0", "--batch-call-objects", "0", "--no-bunnymark"]
    proc = subprocess.run(cmd, capture_output=True, text=True, timeout=300, env=env)
    assert proc.returncode == 0, proc.stderr[-2000:]
    report = json.loads(proc.stdout.split("JSON: ", 1)[1])
    engines = ["qel-tiles", "qel-tiles-offscreen"]
    assert report["config"]["engines"] == engines + ["floor"]
    for engine in engines:
        assert report["engines"][engine]["renderer"] == "tiles"
        assert "error" not in report["engines"][engine]["rungs"][0], report["engines"][engine]["rungs"]
    cap = report["capacity_60fps"]
    pair = cap["pairs"]["qel-tiles-offscreen/qel-tiles"]
    assert pair["over"] == engines[::-1]
    each = [cap["largest_n"]["qel-tiles-offscreen"]["each"][0], cap["largest_n"]["qel-tiles"]["each"][0]]
    assert pair["each"] == [each[0] / each[1] if all(each) else None]
    assert "qel-tiles largest N at 60 fps, offscreen " in proc.stdout


def test_bunnymark_alone_with_its_floors_and_plot(build_dir, tmp_path):
    pytest.importorskip("pygame")
    pytest.importorskip("numpy")
    env = dict(os.environ, QEL_BUILD_DIR=build_dir, PYGAME_HIDE_SUPPORT_PROMPT="1")
    cmd = ["/usr/bin/python3", os.path.join(ROOT, "bench", "moving_shapes.py"), "--bunnymark-only",
           "--renderers", "tiles", "--batch-renderers", "raster", "--bunny-ladder", "20,4000", "--frames", "10",
           "--warmup", "2", "--budget", "1", "--repeats", "1", "--bisect-steps", "1", "--plot", str(tmp_path / "b.png")]
    proc = subprocess.run(cmd, capture_output=True, text=True, timeout=600, env=env)
    assert proc.returncode == 0, proc.stderr[-2000:]
    report = json.loads(proc.stdout.split("JSON: ", 1)[1])
    assert "capacity_60fps" not in report and "per_call_ns" not in report and is_png(tmp_path / "b.png")
    bunnies = report["bunnymark"]
    engines = ["qel-tiles", "qel-raster-batch", "floor", "floor-batch", "pygame"]
    assert bunnies["engines"] == engines and bunnies["sprite"] == [26, 37]
    repeats = bunnies["repeats"]
    check_ladders(engines, bunnies["rungs"], repeats, report["config"]["budget_ms"], (20, 4000), per_n=1)
    cap = bunnies["capacity_60fps"]
    largest = {e: [rec["largest_n"][e] for rec in repeats] for e in engines}
    check_capacity(cap, engines[:4], repeats, largest["pygame"])
    check_capacity(cap, ["qel-tiles", "pygame"], repeats, largest["floor"], "floor")
    check_capacity(cap, ["qel-raster-batch"], repeats, largest["floor-batch"], "floor-batch")
    assert "qel-tiles/pygame =" in proc.stdout and "qel-raster-batch/floor-batch =" in proc.stdout


def test_bunnies_step_alike_in_lists_and_in_arrays():
    # Per sprite and batch must run one simulation, or their figures are not comparable;
    # a fixed draw of 0.9 kicks every bunny that lands, in both.
    np = pytest.importorskip("numpy")
    sys.path.insert(0, os.path.join(ROOT, "bench"))
    import moving_shapes as bench
    xs, ys, vxs, vys = bench.make_bunnies(300, 7)
    arrays = bench.ArrayBunnies(np, 7, xs, ys, vxs, vys)
    arrays.rng = types.SimpleNamespace(random=lambda out: out.fill(0.9))
    landed = 0
    for _ in range(240):
        bench.step_bunnies(xs, ys, vxs, vys, lambda: 0.9)
        arrays.step()
        landed += ys.count(bench.BUNNY_MAX_Y)
    for got, want in ((arrays.x, xs), (arrays.y, ys), (arrays.vx, vxs), (arrays.vy, vys)):
        assert got == pytest.approx(want)
    assert landed and min(vxs) < 0      # bunnies landed and hit the walls
