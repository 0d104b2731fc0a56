#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build briefly, starting from its seeds.
set -euo pipefail
build=$1
seconds=${2:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
total=0
for target in "$build"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=${target##*/fuzz_}
  mkdir -p "$work/$name"
  if [ -d "$root/fuzz/corpus/$name" ]; then cp -r "$root/fuzz/corpus/$name/." "$work/$name/"; fi
  log="$work/$name.log"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=4096 "$work/$name" >"$log" 2>&1; then
    tail -40 "$log"
    echo "fuzz target $name failed"
    exit 1
  fi
  runs=$(grep -Eo 'Done [0-9]+ runs' "$log" | grep -Eo '[0-9]+' | tail -1 || true)
  echo "fuzz $name: ${runs:-0} executions in ${seconds}s"
  total=$((total + ${runs:-0}))
done
echo "fuzz smoke: $total executions"
