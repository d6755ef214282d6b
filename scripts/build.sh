#!/usr/bin/env bash
# Installs what is missing, then configures and builds qel into ./build (module, shaders,
# unit tests) or $QEL_BUILD_DIR. QEL_BUILD_TARGET=qel builds the module and its shaders only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${QEL_BUILD_DIR:-build}
# A compiler cache: the same sources built again (the wheel test, a second build tree) cost
# little. Without the directory in the key, builds of one checkout in other folders share it.
LAUNCHER=()
if command -v ccache >/dev/null; then
  export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
  LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$BUILD_DIR" -DPython_EXECUTABLE=/usr/bin/python3 "${LAUNCHER[@]}" ${QEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" ${QEL_BUILD_TARGET:+--target "$QEL_BUILD_TARGET"}
