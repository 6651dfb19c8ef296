#!/usr/bin/env bash
# Builds the Debian package of Tarvex and prints its path
# (build-package/tarvex_<version>_amd64.deb). One line a stage; the details
# go to the log file named first.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/stages.sh package >&2
stage "installing packages" scripts/deps.sh >&2
stage "configuring" cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTARVEX_TESTS=OFF -DTARVEX_BENCH=OFF >&2
stage "building" cmake --build build-package -j2 >&2
stage "packaging" cpack --config build-package/CPackConfig.cmake -B build-package >&2
ls "$PWD"/build-package/tarvex_*_amd64.deb
