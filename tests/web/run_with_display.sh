#!/usr/bin/env bash
# Runs a test program that needs a display under its own Xvfb.
set -u
n=$(( 600 + RANDOM % 300 ))
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=":$n" QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox --renderer-process-limit=1 --disable-background-networking"
export HOME=$(mktemp -d) XDG_RUNTIME_DIR=$(mktemp -d)
"$@"
