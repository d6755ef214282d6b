#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the C++ unit tests, then the
# Python suite against a real window (Xvfb when there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
BUILD_DIR=${QEL_BUILD_DIR:-build}

echo "== C++ unit tests"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2

echo "== Python tests"
QEL_BUILD_DIR="$PWD/$BUILD_DIR" /usr/bin/python3 -m pytest -q tests/python "$@"
