#!/usr/bin/env bash
# Runs a command with an X display: the caller's if DISPLAY is set, else a private Xvfb
# that is stopped again afterwards.
set -euo pipefail

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d /tmp/qel-runtime.XXXXXX)
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
fi

if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi

# Find a free display number.
num=90
while [ -e "/tmp/.X11-unix/X$num" ] || [ -e "/tmp/.X$num-lock" ]; do
  num=$((num + 1))
done
# -noreset: without it the server resets whenever its last client leaves, and refuses
# connections meanwhile.
Xvfb ":$num" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X$num" ] && break
  sleep 0.05
done
export DISPLAY=":$num"
"$@"
