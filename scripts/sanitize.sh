#!/usr/bin/env bash
# Builds qel with AddressSanitizer and UndefinedBehaviorSanitizer in its own tree, runs the
# C++ unit tests there, then the Python suite against that build with gcc's sanitizer
# runtimes preloaded into the interpreters. Any report fails the run. Extra arguments go to
# pytest in place of tests/python (e.g. a subset of test files).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD_DIR=${QEL_BUILD_DIR:-build-asan}
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$ROOT/$BUILD_DIR" ;; esac

QEL_BUILD_DIR="$BUILD_DIR" \
  QEL_CMAKE_ARGS="-DQEL_SANITIZE=ON -DQEL_BUILD_TESTS=ON ${QEL_CMAKE_ARGS:-}" \
  bash scripts/build.sh

# The Vulkan loader and GLFW unload the driver and X helper libraries again; a leak from an
# unloaded library cannot be attributed (LSan shows a wrong module), and its globals stop
# counting as roots. Keeping every library mapped makes such reports accurate.
KEEP_LOADED="$BUILD_DIR/keep-loaded.so"
printf 'int dlclose(void *handle) { (void)handle; return 0; }\n' |
  gcc -shared -fPIC -O2 -x c - -o "$KEEP_LOADED"

# Allocation stacks two frames deep: see tests/sanitizer/lsan.supp for why. PYTHONMALLOC=malloc
# below puts Python objects on the heap LSan scans, so pointers held by them count.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:malloc_context_size=2"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$ROOT/tests/sanitizer/lsan.supp:print_suppressions=0"

echo "== C++ unit tests (ASan + UBSan)"
# The renderer tests draw through the driver too: it stays mapped for the same reason (the
# runtime has to come first in the library list). One process for all, as under TSan.
LD_PRELOAD="$(gcc -print-file-name=libasan.so) $KEEP_LOADED" "$BUILD_DIR/qel_unit_tests"

echo "== Python tests (ASan + UBSan preloaded)"
# The X server starts before the runtimes are preloaded: it and its helpers are not ours.
PRELOAD="$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libubsan.so) $KEEP_LOADED"
# Not here: the packaging test builds a wheel with compilers that would inherit the runtimes
# (and ships no sanitized code), the soak test reads resident memory, which ASan's shadow
# and quarantine make meaningless, and the benchmark run measures pygame's process too.
# The documentation checks run Sphinx in processes of their own, which the runtimes would slow.
[ $# -gt 0 ] || set -- tests/python --ignore=tests/python/test_packaging.py --ignore=tests/python/test_soak.py \
  --ignore=tests/python/test_benchmark.py --ignore=tests/python/test_docs.py
bash scripts/with-display.sh env LD_PRELOAD="$PRELOAD" PYTHONMALLOC=malloc QEL_SANITIZED=1 \
  QEL_BUILD_DIR="$BUILD_DIR" /usr/bin/python3 -m pytest -q -p no:cacheprovider "$@"
