"""Builds the wheel through CMake: the package qel/ with the module (_qel.*.so) and the __init__.py
that loads it, qelDataFiles/, the stubs, __main__.py and the demo, as CMake's install rules lay
them out. `pip install -v` shows the build's progress (about 5 minutes on 2 cores from scratch)."""
import glob
import os
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = os.path.dirname(os.path.abspath(__file__))


def check_interpreter():
    """Says in one line what is wrong before a build that would fail late or obscurely."""
    here = f"Python {sys.version.split()[0]} at {sys.executable}"
    fix = "make the environment from Debian's: /usr/bin/python3 -m venv --system-site-packages env"
    if sys.version_info[:2] != (3, 11):
        sys.exit(f"qel: builds for Python 3.11 (Debian 12's /usr/bin/python3), not {here}: {fix}")
    if {"bdist_wheel", "dist_info"} & set(sys.argv):  # a wheel, or its metadata first
        try:
            import wheel  # noqa: F401  (setuptools' bdist_wheel command comes from it)
        except ImportError:
            sys.exit(f"qel: no 'wheel' package for {here} (needed with --no-build-isolation): {fix}")


check_interpreter()


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        # The folder that holds the package qel/.
        target_dir = os.path.dirname(os.path.dirname(os.path.abspath(self.get_ext_fullpath(ext.name))))
        build_dir = os.path.abspath(os.path.join(self.build_temp, "cmake"))
        jobs = str(os.cpu_count() or 2)
        # CMake's own variable picks another build type (Release unless set).
        build_type = os.environ.get("CMAKE_BUILD_TYPE") or "Release"
        options = [f"-DPython_EXECUTABLE={sys.executable}", f"-DCMAKE_BUILD_TYPE={build_type}",
                   "-DQEL_BUILD_TESTS=OFF", "-DQEL_INSTALL_DIR=."]
        # A compiler cache set up by the caller (ccache) speeds up rebuilding the same sources.
        launcher = os.environ.get("CMAKE_CXX_COMPILER_LAUNCHER")
        if launcher:
            options.append(f"-DCMAKE_CXX_COMPILER_LAUNCHER={launcher}")
        subprocess.check_call(["cmake", "-S", ROOT, "-B", build_dir, *options])
        subprocess.check_call(["cmake", "--build", build_dir, "-j", jobs])
        # setuptools keeps its build folder between builds: what an earlier layout (a flat
        # module with its data beside it) left there would go into the wheel too.
        for old in ["qel", "qelDataFiles", "py.typed", *glob.glob(os.path.join(target_dir, "qel.*"))]:
            old = os.path.join(target_dir, old)
            if os.path.isdir(old):
                shutil.rmtree(old)
            elif os.path.exists(old):
                os.remove(old)
        subprocess.check_call(["cmake", "--install", build_dir, "--prefix", target_dir])
        # Debug information is most of the module's size; a Debian build (QEL_STRIP=0) leaves it
        # for dh_strip, which keeps it in the -dbgsym package.
        if os.environ.get("QEL_STRIP", "1") != "0":
            for module in glob.glob(os.path.join(target_dir, "qel", "_qel.*.so")):
                subprocess.check_call(["strip", "--strip-unneeded", module])


setup(packages=[], py_modules=[], ext_modules=[CMakeExtension("qel._qel")], cmdclass={"build_ext": CMakeBuild}, zip_safe=False)
