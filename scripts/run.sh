#!/usr/bin/env bash
# Builds Tarvex and runs the demo script through the console: in the window
# where there is a display, else without one, printing the transcript.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTARVEX_TESTS=OFF -DTARVEX_BENCH=OFF >/dev/null
cmake --build build --target tarvex -j2
export TARVEX_HOME="${TARVEX_HOME:-$HOME/.local/share/tarvex}"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/tarvex samples/demo.sql "$@"
fi
exec build/tarvex --batch samples/demo.sql "$@"
