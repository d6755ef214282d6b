#!/usr/bin/env bash
# Installs what is missing, then configures and builds qel into ./build (module, shaders,
# unit tests) or $QEL_BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${QEL_BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DPython_EXECUTABLE=/usr/bin/python3 ${QEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
