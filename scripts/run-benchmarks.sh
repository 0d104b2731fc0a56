#!/usr/bin/env bash
# Runs every benchmark program of a build, one after the other.
set -euo pipefail
build=$1
found=0
for b in "$build"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  found=1
  echo "== ${b##*/}"
  "$b"
done
[ "$found" = 1 ] || echo "no benchmarks built"
