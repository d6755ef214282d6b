"""The start-up trace, the device report from getData(), and both against vulkaninfo."""
import glob
import json
import os
import re
import shutil
import struct
import subprocess

import pytest

from qel_testing import run_snippet

MARK = "\n=== report ===\n"

FLOAT_LIMITS = {"maxSamplerLodBias", "maxSamplerAnisotropy", "viewportBoundsRange", "minInterpolationOffset",
                "maxInterpolationOffset", "timestampPeriod", "pointSizeRange", "lineWidthRange",
                "pointSizeGranularity", "lineWidthGranularity"}
BOOL_LIMITS = {"timestampComputeAndGraphics", "strictLines", "standardSampleLocations"}
SAMPLE_NAMES = ["_1_BIT", "_2_BIT", "_4_BIT", "_8_BIT", "16_BIT", "32_BIT", "64_BIT"]


def as_float(value):
    """What a float member looks like once widened to double."""
    return struct.unpack("f", struct.pack("f", value))[0]


def sample_mask_name(mask):
    return "|".join(SAMPLE_NAMES[bit] for bit in range(7) if mask & (1 << bit))


@pytest.fixture(scope="module")
def startup(build_dir):
    """One init in a fresh interpreter: its stdout trace and the report text."""
    r = run_snippet(f"""
        import sys, qel
        qel.init([], 800, 600)
        sys.stdout.flush()
        print({MARK!r}, end="")
        print(qel.getData(), end="")
    """, build_dir=build_dir)
    assert r.returncode == 0, r.output
    trace, _, text = r.stdout.partition(MARK)
    return trace, text, json.loads(text)


def device_block(device):
    return (f"{device['name']}\n\tType: {device['type']}\n\tAPI Version: {device['apiVersion']}"
            f"\n\tDriver Version{device['driverVersion']}\n\n")


def test_startup_trace_order_and_text(startup, build_dir):
    trace, _, report = startup
    required = report["requiredExtensions"]
    block = device_block(report["selectedDevice"])
    dirs = "|".join(re.escape(d) for d in {os.path.abspath(build_dir), os.path.realpath(build_dir)})
    pattern = (
        rf"\nLoading shaders from: (?:{dirs})/qelDataFiles/shaders\n"
        + "".join(re.escape(name) + r"\n" for name in required)
        + r"available extensions:\n((?:\t[^\n]+\n)+)"
        + r"required extensions:\n" + "".join(r"\t" + re.escape(name) + r"\n" for name in required)
        + r"Device count: 1\n"
        + r"\nDetected Devices:\n" + re.escape(block)
        + r"\nSelected Device:\n" + re.escape(block)
        + r"Present mode: V-Sync\n"
    )
    match = re.fullmatch(pattern, trace)
    assert match, trace
    assert required, "the window system needs at least the surface extensions"
    listed = [line[1:] for line in match.group(1).splitlines()]
    assert len(listed) == len(set(listed)) == len(report["availableExtensions"])
    assert set(listed) == set(report["availableExtensions"])
    assert set(required) <= set(listed)
    assert report["detectedDevices"] == [report["selectedDevice"]]


def test_report_is_compact_sorted_json(startup):
    _, text, report = startup
    assert text == json.dumps(report, separators=(",", ":"), sort_keys=True, ensure_ascii=False)
    assert set(report) == {"availableExtensions", "requiredExtensions", "deviceCount", "detectedDevices",
                           "selectedDevice", "availablePresentModes", "selectedPresentMode"}
    assert report["deviceCount"] == 1
    assert "FIFO_KHR" in report["availablePresentModes"]
    assert report["selectedPresentMode"] == "FIFO_KHR"
    device = report["selectedDevice"]
    assert set(device) == {"apiVersion", "driverVersion", "limits", "name", "type"}
    assert len(device["limits"]) == 106
    for key, value in device["limits"].items():
        values = value if isinstance(value, list) else [value]
        if key in FLOAT_LIMITS:
            assert all(isinstance(v, float) and as_float(v) == v for v in values), key
        elif key in BOOL_LIMITS:
            assert isinstance(value, bool), key
        elif key.endswith("SampleCounts"):
            # Lowest bit first, each count once.
            parts = value.split("|")
            assert all(p in SAMPLE_NAMES for p in parts), (key, value)
            assert parts == sorted(set(parts), key=SAMPLE_NAMES.index), (key, value)
        else:
            assert all(type(v) is int for v in values), key


def vulkaninfo_device(tmp_path):
    """vulkaninfo --json writes a profile file for the first device into the working directory."""
    proc = subprocess.run(["vulkaninfo", "--json"], capture_output=True, text=True, cwd=tmp_path,
                          env=dict(os.environ), timeout=120)
    assert proc.returncode == 0, proc.stderr
    files = glob.glob(str(tmp_path / "*.json"))
    if files:
        assert len(files) == 1, files
        with open(files[0]) as f:
            document = json.load(f)
    else:
        document = json.loads(proc.stdout)
    return document["capabilities"]["device"]["properties"]["VkPhysicalDeviceProperties"]


def theirs_to_ours(key, value):
    if isinstance(value, list) and all(isinstance(v, str) for v in value):
        mask = 0
        for name in value:
            found = re.fullmatch(r"VK_SAMPLE_COUNT_(\d+)_BIT", name)
            assert found, (key, name)
            mask |= int(found.group(1))
        return sample_mask_name(mask)
    if key.endswith("SampleCounts") and isinstance(value, int):
        return sample_mask_name(value)
    if key in BOOL_LIMITS:
        return bool(value)
    if key in FLOAT_LIMITS:
        return [as_float(v) for v in value] if isinstance(value, list) else as_float(value)
    return value


@pytest.mark.skipif(shutil.which("vulkaninfo") is None, reason="vulkaninfo is not installed")
def test_selected_device_matches_vulkaninfo(startup, tmp_path):
    _, _, report = startup
    theirs = vulkaninfo_device(tmp_path)
    ours = report["selectedDevice"]
    assert ours["name"] == theirs["deviceName"]
    assert ours["apiVersion"] == theirs["apiVersion"]
    assert ours["driverVersion"] == theirs["driverVersion"]
    assert theirs["deviceType"] == "VK_PHYSICAL_DEVICE_TYPE_CPU"
    assert ours["type"] == "CPU"
    assert set(ours["limits"]) == set(theirs["limits"])
    mismatches = {key: (ours["limits"][key], theirs_to_ours(key, value))
                  for key, value in theirs["limits"].items() if ours["limits"][key] != theirs_to_ours(key, value)}
    assert not mismatches


@pytest.mark.parametrize("close", [True, False], ids=["closeWindow", "no-closeWindow"])
def test_validation_layer_stays_quiet(run_qel, close):
    r = run_qel(f"""
        import qel, qel_testing
        qel.init([], 320, 240)
        qel.createTri()
        qel_testing.pump(qel, frames=3)
        if {close}:
            qel.closeWindow()
    """, validation=True)
    assert r.returncode == 0, r.output
    assert "Present mode: V-Sync" in r.stdout
