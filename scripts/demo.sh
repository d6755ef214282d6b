#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demo. Without a display it runs on a
# private Xvfb for a few seconds with scripted input and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
BUILD_DIR=${QEL_BUILD_DIR:-build}
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$PWD/$BUILD_DIR" ;; esac
export PYTHONPATH="$BUILD_DIR${PYTHONPATH:+:$PYTHONPATH}"

if [ -n "${DISPLAY:-}" ]; then
  exec /usr/bin/python3 demo/demo.py
fi

shot=${QEL_DEMO_SCREENSHOT:-$PWD/demo-screenshot.png}
scripts/with-display.sh /usr/bin/python3 demo/headless_run.py "$shot"
