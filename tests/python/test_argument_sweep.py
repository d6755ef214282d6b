"""Every module function, constructor and method, called with wrong types, wrong counts,
huge, negative and non-finite numbers, odd text and None: each call must return or raise
an ordinary Python exception, and the interpreter must survive to print its marker."""
import os

import pytest

# Runs inside the snippets. Signatures come from pybind11's docstrings, so a function or
# method added later is swept too, or the sweep stops on a type it has no value for.
SWEEP = r'''
import os
import re

import qel

# OSError: a file that cannot be written (screenshot).
ALLOWED = (TypeError, ValueError, IndexError, RuntimeError, OverflowError, OSError)
NUMBERS = [1e308, -1e308, 2**31, 2**32, 2**64, -1, -(2**63), 0, 0.5, True,
           float("nan"), float("inf"), float("-inf")]
TEXTS = ["", "\u00e9", "\u65e5\u672c", "\udcff", "#", "#" + "f" * 4096, "#ff\x00ff", b"#ff8800"]
OTHERS = [None, [], [1, 2], ("up", "down"), ["up", 3], ["\udcff"], {"up": 1}, object(),
          qel.Point2D(1, 2)]
WEIRD = NUMBERS + TEXTS + OTHERS
# "handle": the batch calls' columns of numbers; "object": a file path.
BASELINE = {"float": 10.0, "int": 1, "str": "#ff8800", "list": [], "List[str]": ["up", "W"],
            "qel.Point2D": qel.Point2D(3, 4), "bool": True, "handle": [1, 2], "object": "missing.png",
            "Union[str, tuple, list]": "#ff8800"}

calls = 0
unexpected = []


def signatures(fn, doc=None):
    """Parameter types of each overload, without self."""
    found = []
    for line in (doc or fn.__doc__ or "").splitlines():
        m = re.match(r"^(?:\d+\. )?\w*\((.*)\) -> ", line.strip())
        if not m:
            continue
        params, depth, cur = [], 0, ""
        for ch in m.group(1) + ",":
            depth += (ch == "[") - (ch == "]")
            if ch == "," and depth == 0:
                if cur.strip():
                    params.append(cur.strip())
                cur = ""
            else:
                cur += ch
        # Keyword-only markers ("*") and defaults ("= 0.0") are not types.
        types = [p.split(": ", 1)[1].split(" = ")[0] for p in params if ": " in p and not p.startswith("self")]
        found.append(types)
    if not found:
        unexpected.append(f"{fn!r}: no signature in its docstring")
    return found


def baseline(where, types):
    missing = [t for t in types if t not in BASELINE]
    if missing:
        unexpected.append(f"{where}: no baseline value for {missing}")
        return None
    return [BASELINE[t] for t in types]


def attempt(where, fn, args, kwargs=None, also=()):
    global calls
    calls += 1
    try:
        fn(*args, **(kwargs or {}))
    except ALLOWED + tuple(also):
        pass
    except BaseException as exc:  # noqa: BLE001 - anything else is the finding
        unexpected.append(f"{where}{tuple(args)!r:.200}: {type(exc).__name__}: {exc}")


def int_argument(value):
    return isinstance(value, int) and -2**31 <= value < 2**31


def skipped(name, args, window_open):
    # A call that converts cleanly would build an engine (init), block (run) or close the
    # window (closeWindow); those have their own cases.
    if name == "init":
        return len(args) == 3 and isinstance(args[0], list) and int_argument(args[1]) \
            and int_argument(args[2])
    return name in ("run", "closeWindow") and window_open and args in ([], [None])


def sweep_callable(where, fn, name=None, window_open=False, doc=None):
    for types in signatures(fn, doc):
        base = baseline(where, types)
        if base is None:
            continue
        variants = [base[:k] for k in range(len(base))]           # too few
        variants += [base, base + [1], base + [None, None]]       # right count, too many
        variants += [[None] * len(base)] if base else []
        for i in range(len(base)):
            for value in WEIRD:
                variants.append(base[:i] + [value] + base[i + 1:])
        for args in variants:
            if not skipped(name, args, window_open):
                attempt(where, fn, args)
        attempt(where, fn, base, {"bogus": 1})


def sweep_module(window_open):
    names = [n for n in dir(qel) if not n.startswith("_") and not isinstance(getattr(qel, n), type)]
    for name in names:
        sweep_callable(f"qel.{name}", getattr(qel, name), name, window_open)
    return names


def sweep_class(cls, instances):
    """Constructor, every attribute read and write, every method, bound and with a wrong self."""
    init_doc = cls.__init__.__doc__
    sweep_callable(f"{cls.__name__}()", cls, doc=init_doc)
    for obj in instances:
        sweep_callable(f"{cls.__name__} re-init", obj.__init__)
    for name in sorted(vars(cls)):
        if name.startswith("__") and name != "__repr__":
            continue
        member = getattr(cls, name)
        for obj in instances:
            where = f"{cls.__name__}.{name}"
            if isinstance(member, property):
                attempt(where + " get", getattr, [obj, name])
                for value in WEIRD:
                    attempt(where + " set", setattr, [obj, name, value], also=(AttributeError,))
            else:
                sweep_callable(where, getattr(obj, name))
        if not isinstance(member, property):
            for wrong_self in (None, 1, "x", qel.Point2D(0, 0) if cls is not qel.Point2D else None):
                for types in signatures(member):
                    base = baseline(f"{cls.__name__}.{name}", types) or []
                    attempt(f"{cls.__name__}.{name} wrong self", member, [wrong_self] + base)
    # Allocated but never initialised, and subclassed without calling the base __init__.
    bare = cls.__new__(cls)
    for name in vars(cls):
        if name.startswith("__") and name != "__repr__":
            continue
        try:
            member = getattr(bare, name)
        except ALLOWED:  # a read of what names no object in the scene (or before init) raises
            continue
        if callable(member):
            sweep_callable(f"bare {cls.__name__}.{name}", member)
        else:
            attempt(f"bare {cls.__name__}.{name}", repr, [member])
    sub = type("Sub" + cls.__name__, (cls,), {"__init__": lambda self: None})
    attempt(f"{cls.__name__} subclass", sub, [])


def sweep_everything(window_open, handles=()):
    # The engine's own prints go straight to fd 1; colour text starting with a multi-byte
    # character comes back as a broken UTF-8 sequence, which the harness cannot decode.
    saved = os.dup(1)
    devnull = os.open(os.devnull, os.O_WRONLY)
    os.dup2(devnull, 1)
    try:
        names = sweep_module(window_open)
        point = qel.Point2D(1.5, 2)
        sweep_class(qel.Point2D, [point])
        sweep_class(qel.Circle, [qel.Circle(0, point, 5.0, 1.0)]
                    + [h for h in handles if isinstance(h, qel.Circle)])
        sweep_class(qel.Rectangle, [qel.Rectangle(1, point, 4.0, 3.0)]
                    + [h for h in handles if isinstance(h, qel.Rectangle)])
        # Lines and polygons are made only by their functions: their methods are swept.
        if window_open:
            for shape in (qel.createLine(0, 0, 5, 5), qel.createTriangle(0, 0, 5, 0, 0, 5, "red")):
                for name in sorted(vars(type(shape))):
                    if not name.startswith("__") and callable(getattr(type(shape), name)):
                        sweep_callable(f"{type(shape).__name__}.{name}", getattr(shape, name))
    finally:
        os.dup2(saved, 1)
        os.close(devnull)
        os.close(saved)
    for line in unexpected:
        print("UNEXPECTED", line)
    print(f"SWEEP COMPLETE functions={len(names)} calls={calls} unexpected={len(unexpected)}", flush=True)
'''


def _check_sweep(result):
    assert result.returncode == 0, result.output[-3000:]
    marker = [line for line in result.stdout.splitlines() if line.startswith("SWEEP COMPLETE")]
    assert marker, result.output[-3000:]
    found = [line for line in result.stdout.splitlines() if line.startswith("UNEXPECTED")]
    assert not found, "\n".join(found[:40])
    assert "unexpected=0" in marker[0]
    functions = int(marker[0].split("functions=")[1].split()[0])
    assert functions >= 20, marker[0]


def test_sweep_before_init(run_qel, tmp_path):
    # Calls that write files (screenshot) write them into a scratch directory.
    result = run_qel(SWEEP + "\nsweep_everything(window_open=False)\n", timeout=120, cwd=str(tmp_path))
    _check_sweep(result)


def test_sweep_with_open_window_and_non_finite_shapes(run_qel, tmp_path):
    # Frames must keep coming with NaN and infinite geometry in the scene; a red square put
    # on a layer above all the sweep uses shows the frames still draw.
    code = SWEEP + r'''
import qel_testing
qel.init([], 320, 240)
first = qel.createRectangle(20, 20, 60, 60, "#ff0000", 50.0)
qel.loadGameObjects()
qel.createTri()
handles = [qel.createCircle(200, 120, 30, "#0000ff", 40.0), first]
nan, inf = float("nan"), float("inf")
for value in (nan, inf, -inf, 1e308, -1e308):
    handles.append(qel.createCircle(value, 10, 5, "#00ff00", 1))
    handles.append(qel.createCircle(10, 10, value, "#00ff00", value))
    handles.append(qel.createRectangle(value, value, 10, 10, "#00ff00", value))
    handles.append(qel.createRectangle(0, 0, value, value, "#00ff00", 1))
    qel.moveTo(handles[-1].id, value, -value)
    qel.moveTo(handles[-2].id, nan, value)
qel_testing.pump(qel)
sweep_everything(window_open=True, handles=handles)
qel.setTitle("Qel Demo")  # the sweep renamed the window
for h in handles[2:]:
    h.moveRight(); h.moveDown(); h.move()
top = qel.createRectangle(20, 20, 60, 60, "#ff0000", 0)
top.setLayer(1000)
qel.setLayerFixed(1000)  # whatever camera the sweep left
qel_testing.pump(qel, frames=8)
print("PIXEL", *qel_testing.grab()[50, 50])
'''
    result = run_qel(code, timeout=180, cwd=str(tmp_path))
    _check_sweep(result)
    pixel = [line for line in result.stdout.splitlines() if line.startswith("PIXEL")]
    r, g, b = (int(v) for v in pixel[-1].split()[1:])
    assert r > 200 and g < 50 and b < 50, pixel


def test_sweep_after_close_window(run_qel, tmp_path):
    code = SWEEP + r'''
qel.init([], 200, 150)
handles = [qel.createCircle(50, 50, 10, "#ffffff", 1), qel.createRectangle(5, 5, 10, 10, "#ffffff", 1)]
qel.poll()
qel.closeWindow()
sweep_everything(window_open=False, handles=handles)
'''
    result = run_qel(code, timeout=120, cwd=str(tmp_path))
    _check_sweep(result)


# 0x0, -5x10, sizes past what X can carry (2**31-1, 65536) raise RuntimeError before any
# window exists; 100000x100000 too. None of them may abort the process.
INIT_SIZES = [
    pytest.param(0, 0, id="zero"),
    pytest.param(-5, 10, id="negative"),
    pytest.param(2**31 - 1, 10, id="int-max"),
    pytest.param(65536, 10, id="x-wire-zero"),
    pytest.param(100000, 100000, id="huge"),
]


@pytest.mark.parametrize("width,height", INIT_SIZES)
def test_init_with_unusable_size_raises_or_works(run_qel, width, height):
    # The address-space cap keeps a size the driver does accept from eating the machine;
    # a sanitized run maps too much shadow memory for one, and caps allocations instead.
    code = f'''
import os, resource
if os.environ.get("QEL_SANITIZED") != "1":
    resource.setrlimit(resource.RLIMIT_AS, (8 << 30, 8 << 30))
import qel, qel_testing
try:
    qel.init([], {width}, {height})
except RuntimeError as exc:
    print("INIT RAISED", exc)
else:
    qel_testing.pump(qel, frames=3)
    print("INIT WORKED", qel.getWindowWidth(), qel.getWindowHeight())
'''
    env = {}
    if os.environ.get("QEL_SANITIZED") == "1":
        env["ASAN_OPTIONS"] = os.environ.get("ASAN_OPTIONS", "") + \
            ":allocator_may_return_null=1:max_allocation_size_mb=4096"
    result = run_qel(code, timeout=120, env=env)
    assert result.returncode == 0, result.output[-2000:]
    assert "INIT RAISED" in result.stdout or "INIT WORKED" in result.stdout, result.output[-2000:]


def test_refused_size_is_not_recorded(run_qel):
    result = run_qel('''
import qel
try:
    qel.init([], 2**31 - 1, 10)
except RuntimeError as exc:
    print("RAISED", exc)
print("WIDTH", qel.getWindowWidth(), qel.getWindowHeight())
''')
    assert result.returncode == 0, result.output[-2000:]
    assert "RAISED failed to create window: the size 2147483647 by 10 is not between 1 and 32767 pixels" \
        in result.stdout, result.stdout[-1000:]
    assert "WIDTH 0 0" in result.stdout, result.stdout[-1000:]


def test_failed_init_keeps_the_size(run_qel):
    # The window of the first init stays open, so its size must keep limiting the moves.
    result = run_qel('''
import qel
qel.init([], 300, 200)
for items, width, height in (([object()], 10, 10), ([], -5, 600)):
    try:
        qel.init(items, width, height)
    except RuntimeError:
        pass
r = qel.Rectangle(0, qel.Point2D(100, 50), 20, 20)
r.setSpeed(1e9)
r.moveRight()  # no frame yet, so no step: only the clamp can move it
print("AFTER", qel.getWindowWidth(), qel.getWindowHeight(), int(r.top_left.x))
qel.closeWindow()
try:
    qel.init([None], 10, 10)
except RuntimeError:
    pass
print("CLOSED", qel.getWindowWidth(), qel.getWindowHeight())
''')
    assert result.returncode == 0, result.output[-2000:]
    after = [l for l in result.stdout.splitlines() if l.startswith("AFTER")][-1]
    assert after.split()[1:] == ["300", "200", "100"], after
    closed = [l for l in result.stdout.splitlines() if l.startswith("CLOSED")][-1]
    assert closed.split()[1:] == ["300", "200"], closed


# Under scripts/sanitize.sh only: a report from a snippet must reach the harness and fail
# the case, and a leak outside the listed libraries must not be suppressed.
SANITIZER_CANARIES = {
    "overflow": "import ctypes\nb = ctypes.create_string_buffer(16)\n"
                "ctypes.memmove(ctypes.addressof(b), b'x' * 4096, 4096)\n",
    "leak": "import ctypes\nlibc = ctypes.CDLL(None)\nlibc.malloc.restype = ctypes.c_void_p\n"
            "p = libc.malloc(1000)\np = None\n",
}


@pytest.mark.skipif(os.environ.get("QEL_SANITIZED") != "1", reason="only under scripts/sanitize.sh")
@pytest.mark.parametrize("kind", sorted(SANITIZER_CANARIES))
def test_sanitizer_report_fails_the_snippet(run_qel, kind):
    with pytest.raises(AssertionError, match="sanitizer reported"):
        run_qel(SANITIZER_CANARIES[kind])
