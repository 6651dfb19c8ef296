#!/usr/bin/env bash
# Builds and runs every test: the whole suite in a normal build, then the core
# tests and the fuzz targets under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=2

# Every C++ file stays formatted as .clang-format says.
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

CC=clang CXX=clang++ cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug \
  -DTARVEX_SANITIZE=ON -DTARVEX_FUZZ=ON -DTARVEX_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
