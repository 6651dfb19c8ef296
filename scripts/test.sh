#!/usr/bin/env bash
# Builds and runs every test: the whole suite in a normal build (the Debian
# package included), then the core tests and the fuzz targets under
# AddressSanitizer and UndefinedBehaviorSanitizer. One line a stage; the
# details go to the log file named first.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/stages.sh test
jobs=2

stage "installing packages" scripts/deps.sh
# Every C++ file stays formatted as .clang-format says.
stage "checking the format" bash -c "git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror"
stage "configuring" cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
stage "building" cmake --build build -j"$jobs"
test_stage "testing" ctest --test-dir build --output-on-failure -j"$jobs"

stage "configuring the sanitizer build" env CC=clang CXX=clang++ cmake -S . -B build-sanitize \
  -DCMAKE_BUILD_TYPE=Debug -DTARVEX_SANITIZE=ON -DTARVEX_FUZZ=ON -DTARVEX_BENCH=OFF
stage "building the sanitizer build" cmake --build build-sanitize -j"$jobs"
test_stage "testing under the sanitizers" ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
