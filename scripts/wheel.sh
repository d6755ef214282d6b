#!/usr/bin/env bash
# Builds the wheel dist/qel-<version>-cp311-cp311-linux_x86_64.whl (the module, its shaders and
# data files, the stubs with py.typed, __main__ and the demo) with Debian's Python, through
# setup.py and CMake. Install it where only the runtime packages are (scripts/setup.sh --runtime):
#   /usr/bin/python3 -m venv env && env/bin/pip install dist/qel-*.whl
# The CMake build log goes to $QEL_BUILD_DIR/wheel.log (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${QEL_BUILD_DIR:-build}
DIST=${QEL_DIST_DIR:-dist}
mkdir -p "$BUILD_DIR" "$DIST"
LOG="$BUILD_DIR/wheel.log"
# Built as scripts/build.sh builds: the compiler cache that build filled serves the same
# sources with the same flags, whatever the build folder.
export CMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE:-RelWithDebInfo}
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi
rm -f "$DIST"/qel-*.whl
start=$SECONDS
echo "wheel: building (log: $LOG)"
if ! /usr/bin/python3 -m pip wheel -v --no-build-isolation --no-deps --no-index -w "$DIST" . >"$LOG" 2>&1; then
  tail -n 40 "$LOG"
  echo "!! wheel build failed; the whole log is $LOG"
  exit 1
fi
wheel=$(ls "$DIST"/qel-*.whl)
echo "wheel: $wheel ($(du -h "$wheel" | cut -f1), $((SECONDS - start)) s)"
