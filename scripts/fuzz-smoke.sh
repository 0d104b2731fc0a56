#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build briefly, starting from its seeds,
# `jobs` targets at a time (each still runs for the full `seconds`).
set -euo pipefail
build=$1
seconds=${2:-5}
jobs=${3:-1}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One target: its seeds copied to a scratch folder, its log beside them.
run_one() {
  local target=$1 name=${1##*/fuzz_}
  mkdir -p "$work/$name"
  if [ -d "$root/fuzz/corpus/$name" ]; then cp -r "$root/fuzz/corpus/$name/." "$work/$name/"; fi
  if "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=4096 "$work/$name" >"$work/$name.log" 2>&1; then
    : >"$work/$name.ok"
  fi
}

targets=()
for target in "$build"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] && targets+=("$target")
done
running=0
for target in "${targets[@]}"; do
  run_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

total=0
failed=0
for target in "${targets[@]}"; do
  name=${target##*/fuzz_}
  log="$work/$name.log"
  if [ ! -e "$work/$name.ok" ]; then
    tail -40 "$log"
    echo "fuzz target $name failed"
    failed=1
    continue
  fi
  runs=$(grep -Eo 'Done [0-9]+ runs' "$log" | grep -Eo '[0-9]+' | tail -1 || true)
  echo "fuzz $name: ${runs:-0} executions in ${seconds}s"
  total=$((total + ${runs:-0}))
done
[ "$failed" = 0 ] || exit 1
echo "fuzz smoke: $total executions"
