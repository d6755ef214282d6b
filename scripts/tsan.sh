#!/usr/bin/env bash
# Builds the C++ unit tests with ThreadSanitizer in their own tree and runs them; any
# report fails the run. Every unit test runs, so tests of new threaded parts are covered
# as they are added; QEL_TSAN_FILTER (a gtest filter) narrows the run while working.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${QEL_TSAN_BUILD_DIR:-build-tsan}

# Only the unit tests: the Python module would need the interpreter built with TSan too.
cmake -S . -B "$BUILD_DIR" -DPython_EXECUTABLE=/usr/bin/python3 -DQEL_TSAN=ON -DQEL_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD_DIR" --target qel_unit_tests -j"$(nproc)"

# The Vulkan loader unloads the driver when a test's device goes; the suppression that names
# the driver needs it mapped until the end.
KEEP_LOADED="$BUILD_DIR/keep-loaded.so"
printf 'int dlclose(void *handle) { (void)handle; return 0; }\n' |
  gcc -shared -fPIC -O2 -x c - -o "$KEEP_LOADED"

LOG="$BUILD_DIR/tsan.log"
# exitcode: a report fails the run even if every test passes; the log is also searched,
# in case a report comes from a thread that outlives main.
export TSAN_OPTIONS="halt_on_error=1:exitcode=66:second_deadlock_stack=1:history_size=4:suppressions=$PWD/tests/sanitizer/tsan.supp"
echo "== C++ unit tests (ThreadSanitizer)"
status=0
RUN=(env LD_PRELOAD="$KEEP_LOADED" "$BUILD_DIR/qel_unit_tests" --gtest_filter="${QEL_TSAN_FILTER:-*}")
# gcc's TSan cannot place its shadow memory under the largest address randomisation some
# kernels use; without randomisation it always can.
if setarch "$(uname -m)" -R true 2>/dev/null; then
  RUN=(setarch "$(uname -m)" -R "${RUN[@]}")
fi
"${RUN[@]}" 2>&1 | tee "$LOG" || status=$?
if [ "$status" -ne 0 ] || grep -q "ThreadSanitizer" "$LOG"; then
  echo "!! ThreadSanitizer run failed (status $status); see $LOG"
  exit 1
fi
