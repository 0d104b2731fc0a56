#!/usr/bin/env bash
# Gives a build that has not run its tests yet the times of the longer tests
# from scripts/test-costs.txt, so that ctest -j starts the longest first:
# without them it starts the tests in the order they are listed, and a long
# fault run listed late ends the run alone. A build that has run its tests
# keeps ctest's own times.
#   seed-test-costs.sh BUILD            seed BUILD (when it has no times)
#   seed-test-costs.sh --update BUILD   take BUILD's times (tests of 1 s and more)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seeds="$root/scripts/test-costs.txt"
if [ "${1:-}" = "--update" ]; then
  {
    echo "# name runs seconds: the tests of 1 s and more, from a plain build's run"
    awk '$0 == "---" { exit } NF == 3 && $3 >= 1 { printf "%s 1 %.1f\n", $1, $3 }' \
      "$2/Testing/Temporary/CTestCostData.txt" | sort -k3,3nr -k1,1
  } >"$seeds"
  exit 0
fi
costs="$1/Testing/Temporary/CTestCostData.txt"
if [ ! -s "$costs" ]; then
  mkdir -p "${costs%/*}"
  grep -v '^#' "$seeds" >"$costs"
fi
