#!/usr/bin/env bash
# Builds Tarvex and runs the demo script through the console: in the window
# where there is a display, else without one, printing the transcript. One
# line a stage; the details go to the log file named first.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/stages.sh run
stage "installing packages" scripts/deps.sh
stage "configuring" cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DTARVEX_TESTS=OFF -DTARVEX_BENCH=OFF
stage "building" cmake --build build-run --target tarvex -j2
echo "starting Tarvex"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build-run/tarvex samples/demo.sql "$@"
fi
exec build-run/tarvex --batch samples/demo.sql "$@"
