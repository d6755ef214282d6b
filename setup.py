"""Builds the wheel through CMake: the package qel/ with the module as its __init__, qelDataFiles/,
the stubs, __main__.py and the demo, as CMake's install rules lay them out."""
import glob
import os
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = os.path.dirname(os.path.abspath(__file__))


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


setup(packages=[], py_modules=[], ext_modules=[CMakeExtension("qel.__init__")], cmdclass={"build_ext": CMakeBuild}, zip_safe=False)
