"""Builds the wheel through CMake: the module, qelDataFiles/ and the stubs land together."""
import os
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
        target_dir = os.path.abspath(os.path.dirname(self.get_ext_fullpath(ext.name)))
        build_dir = os.path.abspath(os.path.join(self.build_temp, "cmake"))
        jobs = str(os.cpu_count() or 2)
        subprocess.check_call(["cmake", "-S", ROOT, "-B", build_dir, f"-DPython_EXECUTABLE={sys.executable}",
                               "-DCMAKE_BUILD_TYPE=Release", "-DQEL_BUILD_TESTS=OFF", "-DQEL_INSTALL_DIR=."])
        subprocess.check_call(["cmake", "--build", build_dir, "-j", jobs])
        subprocess.check_call(["cmake", "--install", build_dir, "--prefix", target_dir])


setup(packages=[], py_modules=[], ext_modules=[CMakeExtension("qel")], cmdclass={"build_ext": CMakeBuild}, zip_safe=False)
