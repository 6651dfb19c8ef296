#!/usr/bin/env bash
# The demo script, run twice in a fresh home, gives the same transcript both
# times and exactly the expected one.
set -euo pipefail
bin=$1 source=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
for run in 1 2; do
  TARVEX_HOME=$home "$bin" --batch "$source/samples/demo.sql" > "$home/out$run.txt"
  diff -u "$source/tests/scripts/demo.expected" "$home/out$run.txt"
done
