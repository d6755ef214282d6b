"""The module installs as users get it: a wheel through pip, the Debian package, or cmake
--install to a prefix, each as a package qel/ holding the module and the __init__ that loads
it, qelDataFiles/, the type stubs and the demo that `python3 -m qel` plays."""
import ast
import glob
import os
import re
import subprocess
import zipfile

import numpy as np
from PIL import Image

from test_demo import BALL

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

DRAW_ONE_FRAME = """
import os, qel
qel.init([], 200, 150)
qel.createCircle(100, 75, 20, "#00ff00", 0)
qel.poll()
print("drew with", os.path.dirname(qel.__file__))
qel.closeWindow()
"""


# The source folders from the top of the include order down: a file includes headers of its
# own folder and of folders below it, never of one above.
LAYERS = ["bindings", "engine", "render", "audio", "platform", "input", "vulkan", "diagnostics"]


def test_includes_run_one_way():
    sources = [p for p in glob.glob(os.path.join(ROOT, "*", "**", "*.*"), recursive=True)
               if re.search(r"\.(cpp|hpp|h)$", p) and os.path.relpath(p, ROOT).split(os.sep)[0] in LAYERS]
    assert len(sources) > 100
    upward = []
    for path in sources:
        folder = os.path.relpath(path, ROOT).split(os.sep)[0]
        with open(path, encoding="utf-8") as f:
            for line in f:
                m = re.match(r'\s*#\s*include\s+"([^/"]+)/', line)
                if m and m.group(1) in LAYERS and LAYERS.index(m.group(1)) < LAYERS.index(folder):
                    upward.append(f"{os.path.relpath(path, ROOT)}: {line.strip()}")
    assert not upward, "includes running back up:\n" + "\n".join(upward)
    # A new folder of C++ sources takes its place in the order.
    folders = {os.path.relpath(p, ROOT).split(os.sep)[0]
               for p in glob.glob(os.path.join(ROOT, "*", "**", "*.cpp"), recursive=True)}
    # Build trees (build, build-asan, build-tsan ...) hold CMake's own probe sources.
    assert {f for f in folders if not f.startswith("build")} - {"tests", "fuzz"} - set(LAYERS) == set()


def test_kinds_are_reached_only_through_their_registry_and_the_engine_stays_small():
    """No switch on an object's kind outside engine/kinds/ (a kind's own typed data may be read
    where that kind is meant), and OrvApp keeps at most 20 public methods."""
    kinds = os.path.join(ROOT, "engine", "kinds")
    switches = []
    for path in glob.glob(os.path.join(ROOT, "*", "**", "*.*"), recursive=True):
        if (not re.search(r"\.(cpp|hpp|h)$", path) or path.startswith(kinds)
                or os.path.relpath(path, ROOT).split(os.sep)[0] not in LAYERS):
            continue
        with open(path, encoding="utf-8") as f:
            for n, line in enumerate(f, 1):
                typed = set(re.findall(r"\bas<(\w+Kind)>", line))
                if (re.search(r"ObjectKind|holds_alternative|\bkind\.index\(\)|visit\(.*\.kind\)", line)
                        or len(typed) > 1 or (typed and re.search(r"\belse\b|\bswitch\b", line))):
                    switches.append(f"{os.path.relpath(path, ROOT)}:{n}: {line.strip()}")
    assert not switches, "kinds switched on outside the registry:\n" + "\n".join(switches)
    with open(os.path.join(ROOT, "engine", "orv_app.hpp"), encoding="utf-8") as f:
        header = f.read()
    public = header[header.index("class OrvApp {"):].split("public:", 1)[1].split("private:", 1)[0]
    methods = [m for m in re.findall(r"^\s+(?:static\s+)?[\w:<>,&*\s]*?\b(\w+)\s*\(", public, re.M)
               if m not in ("OrvApp", "operator")]
    assert 0 < len(methods) <= 20, methods


def _run_elsewhere(python, cwd, env_extra=None, args=None):
    """Runs DRAW_ONE_FRAME, or `python args`, in `cwd`; a None in `env_extra` unsets that variable."""
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env.update(env_extra or {})
    env = {k: v for k, v in env.items() if v is not None}
    if args is None:
        args = [os.path.join(cwd, "draw.py")]
        with open(args[0], "w") as f:
            f.write(DRAW_ONE_FRAME)
    return subprocess.run([python, *args], cwd=cwd, env=env, capture_output=True, text=True, timeout=120)


def test_stubs_match_the_built_module(build_dir, tmp_path):
    env = dict(os.environ, PYTHONPATH=build_dir, MYPYPATH=os.path.join(ROOT, "python"))
    r = subprocess.run(["/usr/bin/python3", "-m", "mypy.stubtest", "qel", "--allowlist",
                        os.path.join(ROOT, "python", "stubtest-allowlist.txt")],
                       cwd=tmp_path, env=env, capture_output=True, text=True, timeout=300)
    assert r.returncode == 0, r.stdout + r.stderr


def test_cmake_install_to_a_prefix(build_dir, tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", build_dir, "--prefix", str(prefix)], check=True,
                   capture_output=True, timeout=120)
    site = prefix / "lib" / "python3.11" / "site-packages"
    assert os.listdir(site) == ["qel"]
    package = site / "qel"
    names = sorted(os.listdir(package))
    assert [n for n in names if n.startswith("_qel.") and n.endswith(".so")], names
    assert {"__init__.py", "__init__.pyi", "py.typed", "__main__.py", "qelDataFiles", "demo"} <= set(names)
    assert (package / "qelDataFiles" / "shaders" / "tri-vert.spv").is_file()
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    r = _run_elsewhere("/usr/bin/python3", str(elsewhere), {"PYTHONPATH": str(site)})
    assert r.returncode == 0, r.stdout + r.stderr
    assert f"drew with {package}" in r.stdout
    # With no display the demo says so in one line and fails, before it starts anything.
    r = _run_elsewhere("/usr/bin/python3", str(elsewhere), {"PYTHONPATH": str(site), "DISPLAY": None}, ["-m", "qel"])
    assert r.returncode == 2 and r.stdout == "" and len(r.stderr.splitlines()) == 1, r.stdout + r.stderr
    assert "no X display" in r.stderr and "--offscreen" in r.stderr
    # A folder given for the screenshot is refused before the game, as a missing one is.
    r = _run_elsewhere("/usr/bin/python3", str(elsewhere), {"PYTHONPATH": str(site), "DISPLAY": None},
                       ["-m", "qel", "--offscreen", "--seconds", "30", "--screenshot", str(elsewhere)])
    assert r.returncode == 2 and "is a folder" in r.stderr, r.stdout + r.stderr
    # Offscreen it needs no display.
    r = _run_elsewhere("/usr/bin/python3", str(elsewhere), {"PYTHONPATH": str(site), "DISPLAY": None},
                       ["-m", "qel", "--offscreen", "--seconds", "0.5", "--screenshot", "shot.png"])
    assert r.returncode == 0, r.stdout + r.stderr
    assert (np.array(Image.open(elsewhere / "shot.png").convert("RGB")) == BALL).all(axis=2).sum() > 1000


def _version():
    with open(os.path.join(ROOT, "pyproject.toml"), encoding="utf-8") as f:
        return re.search(r'^version = "([^"]+)"', f.read(), re.M).group(1)


def _debian_packages():
    """The table the installed package's __init__ names missing libraries' packages from."""
    with open(os.path.join(ROOT, "python", "package_init.py"), encoding="utf-8") as f:
        tree = ast.parse(f.read())
    table = next(node.value for node in tree.body if isinstance(node, ast.Assign)
                 and node.targets[0].id == "DEBIAN_PACKAGES")
    return ast.literal_eval(table)


def _linked_libraries(module):
    """soname -> the Debian package that ships the library the loader finds for it."""
    needed = subprocess.run(["patchelf", "--print-needed", module], check=True, capture_output=True,
                            text=True).stdout.split()
    found = dict(re.findall(r"^\s*(\S+) => (\S+)", subprocess.run(["ldd", module], check=True,
                            capture_output=True, text=True).stdout, re.M))
    owners = {}
    for soname in needed:
        if re.match(r"lib(c|m)\.so", soname):
            continue
        path = os.path.realpath(found[soname])
        owner = subprocess.run(["dpkg", "-S", path], capture_output=True, text=True)
        if owner.returncode != 0:  # merged /usr: dpkg knows the /lib path
            owner = subprocess.run(["dpkg", "-S", path.replace("/usr/lib/", "/lib/", 1)], check=True,
                                   capture_output=True, text=True)
        owners[soname] = owner.stdout.split(":")[0]
    return owners


def _check_offscreen_demo(python, elsewhere, env_extra):
    """`python -m qel --offscreen` from another folder, with no display: the ball is drawn."""
    r = _run_elsewhere(python, str(elsewhere), dict(env_extra, DISPLAY=None),
                       ["-m", "qel", "--offscreen", "--seconds", "1", "--screenshot", "shot.png"])
    assert r.returncode == 0, r.stdout + r.stderr
    assert (np.array(Image.open(elsewhere / "shot.png").convert("RGB")) == BALL).all(axis=2).sum() > 1000


def test_wheel_installs_into_a_bare_environment(build_dir, tmp_path):
    dist = tmp_path / "dist"
    built = subprocess.run(["bash", os.path.join(ROOT, "scripts", "wheel.sh")], capture_output=True, text=True,
                           timeout=1200, env=dict(os.environ, QEL_BUILD_DIR=build_dir, QEL_DIST_DIR=str(dist)))
    assert built.returncode == 0, built.stdout[-3000:] + built.stderr[-3000:]
    wheel = dist / f"qel-{_version()}-cp311-cp311-linux_x86_64.whl"
    names = set(zipfile.ZipFile(wheel).namelist())
    assert {"qel/__init__.py", "qel/_qel.cpython-311-x86_64-linux-gnu.so", "qel/__init__.pyi", "qel/py.typed",
            "qel/__main__.py", "qel/demo/demo.py", "qel/demo/star.png"} <= names, names
    assert sum(n.startswith("qel/qelDataFiles/shaders/") and n.endswith(".spv") for n in names) == 5, names

    # No system packages: the wheel brings all of qel, and the runtime libraries do the rest.
    venv = tmp_path / "venv"
    subprocess.run(["/usr/bin/python3", "-m", "venv", str(venv)], check=True, timeout=120)
    pip = subprocess.run([str(venv / "bin" / "pip"), "install", "--no-index", str(wheel)],
                         capture_output=True, text=True, timeout=300)
    assert pip.returncode == 0, pip.stdout[-3000:] + pip.stderr[-3000:]
    python = str(venv / "bin" / "python")
    package = venv / "lib" / "python3.11" / "site-packages" / "qel"
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    _check_offscreen_demo(python, elsewhere, {})
    r = _run_elsewhere(python, str(elsewhere), args=["-c", "import qel; print(qel.__version__, qel.__file__)"])
    assert r.stdout.split() == [_version(), str(package / "_qel.cpython-311-x86_64-linux-gnu.so")], r.stdout + r.stderr
    # mypy finds the stubs in the installed package (PEP 561) and checks calls against them.
    check = subprocess.run(["/usr/bin/python3", "-m", "mypy", "--python-executable", python,
                            "--no-incremental", "-c", "import qel\nqel.init([], 200, 150)\nqel.poll(1)"],
                           cwd=elsewhere, capture_output=True, text=True, timeout=300)
    assert check.returncode == 1 and check.stdout.count("error:") == 1 and '"poll"' in check.stdout, check.stdout

    # Every library the module links against has its Debian package in the table, and a missing
    # one is named with it instead of the dynamic loader's message.
    module = str(package / "_qel.cpython-311-x86_64-linux-gnu.so")
    table = _debian_packages()
    assert {soname: table.get(soname) for soname in _linked_libraries(module)} == _linked_libraries(module)
    subprocess.run(["patchelf", "--replace-needed", "libopenal.so.1", "/nowhere/libopenal.so.1", module], check=True)
    r = _run_elsewhere(python, str(elsewhere), args=["-c", "import qel"])
    assert r.returncode == 1 and "cannot open shared object" not in r.stderr, r.stderr
    assert r.stderr.splitlines()[-1] == ("ImportError: qel needs the shared library libopenal.so.1, which is not "
                                         "installed: install the Debian package libopenal1 (apt-get install libopenal1)")

    # Built from the sources in an environment without the wheel package, setup.py says what
    # is wrong in one line rather than "invalid command 'bdist_wheel'".
    r = subprocess.run([str(venv / "bin" / "pip"), "install", "--no-build-isolation", "--no-index", ROOT],
                       capture_output=True, text=True, timeout=300)
    assert r.returncode != 0 and "qel: no 'wheel' package for Python 3.11" in r.stdout + r.stderr, r.stdout + r.stderr


def test_debian_package(build_dir, tmp_path):
    dist = tmp_path / "dist"
    built = subprocess.run(["bash", os.path.join(ROOT, "scripts", "deb.sh")], capture_output=True, text=True,
                           timeout=1800, env=dict(os.environ, QEL_BUILD_DIR=build_dir, QEL_DIST_DIR=str(dist)))
    # deb.sh fails on any error lintian finds too.
    assert built.returncode == 0, built.stdout[-3000:] + built.stderr[-3000:]
    print(built.stdout[built.stdout.index("== lintian"):])
    deb = str(dist / f"python3-qel_{_version()}_amd64.deb")
    depends = subprocess.run(["dpkg-deb", "-f", deb, "Depends"], check=True, capture_output=True,
                             text=True).stdout
    alternatives = [a.strip() for a in depends.split(",")]
    names = {re.match(r"[^ (|]+", a).group(0) for a in alternatives}
    assert {"python3", "fonts-dejavu-core"} <= names and "mesa-vulkan-drivers | vulkan-icd" in alternatives, depends
    contents = subprocess.run(["dpkg", "--contents", deb], check=True, capture_output=True, text=True).stdout
    site = "./usr/lib/python3/dist-packages/qel/"
    for path in ["__init__.py", "_qel.cpython-311-x86_64-linux-gnu.so", "__init__.pyi", "py.typed", "__main__.py",
                 "qelDataFiles/shaders/tiles-comp.spv", "demo/demo.py"]:
        assert site + path in contents, path

    # Unpacked into a folder of its own: what the module links against is in Depends, as
    # dpkg-shlibdeps worked it out, and the demo runs from elsewhere.
    root = tmp_path / "root"
    subprocess.run(["dpkg-deb", "-x", deb, str(root)], check=True)
    site = root / "usr" / "lib" / "python3" / "dist-packages"
    owners = set(_linked_libraries(str(site / "qel" / "_qel.cpython-311-x86_64-linux-gnu.so")).values())
    assert owners - names == set(), depends
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    _check_offscreen_demo("/usr/bin/python3", elsewhere, {"PYTHONPATH": str(site)})


def test_runtime_packages_as_documented():
    listed = subprocess.run(["bash", os.path.join(ROOT, "scripts", "setup.sh"), "--runtime", "--print"],
                            check=True, capture_output=True, text=True).stdout.split()
    with open(os.path.join(ROOT, "docs", "install.rst"), encoding="utf-8") as f:
        documented = re.search(r"^ +sudo apt-get install (python3 .*)$", f.read(), re.M).group(1).split()
    assert documented == listed
    # The libraries the module links against are among them.
    assert set(_debian_packages().values()) - {"libstdc++6", "libgcc-s1"} <= set(listed)
