#!/usr/bin/env bash
# Pictures of Telvane's windows (two-pane and tree views with sample entries,
# the Editor, the splash) taken on a virtual display.
# Usage: scripts/screenshots.sh BUILD_DIR
set -euo pipefail

build="${1:-build}"
program="$build/telvane_screenshots"
out="$build/screenshots"

if [ ! -x "$program" ]; then
  echo "$program is missing (run make build)." >&2
  exit 1
fi
if ! command -v xvfb-run >/dev/null; then
  echo "xvfb-run is missing (bash scripts/install-deps.sh installs it)." >&2
  exit 1
fi

mkdir -p "$out"
xvfb-run -a -s "-screen 0 1024x768x24" "$program" "$out"
echo "Screenshots are in $out"
