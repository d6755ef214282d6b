#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test and check:
#   1. the C++ unit tests;
#   2. the Python suite against a real window (Xvfb when there is no display; its packaging
#      tests build the wheel and the Debian package and run each installed), then the
#      documentation site with every example in it run (scripts/docs.sh);
#   3. the Python suite again with the Khronos validation layer on, failing on any message;
#   4. the Python suite against an AddressSanitizer + UndefinedBehaviorSanitizer build;
#   5. the C++ unit tests under ThreadSanitizer, failing on any report;
#   6. the libFuzzer targets, for QEL_FUZZ_SECONDS each (default 20).
# Set QEL_QUICK=1 to stop after step 2.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
BUILD_DIR=${QEL_BUILD_DIR:-build}
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$PWD/$BUILD_DIR" ;; esac
PYTEST=(/usr/bin/python3 -m pytest -q -p no:cacheprovider)

echo "== C++ unit tests"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2

echo "== Python tests"
QEL_BUILD_DIR="$BUILD_DIR" "${PYTEST[@]}" tests/python "$@"

echo "== Documentation"
QEL_BUILD_DIR="$BUILD_DIR" bash scripts/docs.sh

if [ "${QEL_QUICK:-0}" = 1 ]; then
  exit 0
fi

echo "== Python tests with the validation layer"
# The wheel build, the memory reading, the benchmark run and the documentation checks (Sphinx
# builds of their own) add nothing under the layer.
QEL_BUILD_DIR="$BUILD_DIR" QEL_VALIDATION=1 "${PYTEST[@]}" tests/python \
  --ignore=tests/python/test_packaging.py --ignore=tests/python/test_soak.py \
  --ignore=tests/python/test_benchmark.py --ignore=tests/python/test_docs.py "$@"

echo "== Sanitizers"
bash scripts/sanitize.sh

echo "== ThreadSanitizer"
bash scripts/tsan.sh

echo "== Fuzzing"
bash scripts/fuzz.sh "${QEL_FUZZ_SECONDS:-20}"

echo "all checks: 6 passed, 0 failed"
