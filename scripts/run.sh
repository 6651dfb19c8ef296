#!/usr/bin/env bash
# Builds Tarvex and runs the demo script through the console: in the window
# where there is a display, else without one, printing the transcript.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DTARVEX_TESTS=OFF -DTARVEX_BENCH=OFF >/dev/null
cmake --build build-run --target tarvex -j2
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build-run/tarvex samples/demo.sql "$@"
fi
exec build-run/tarvex --batch samples/demo.sql "$@"
