#!/usr/bin/env bash
# Pictures of Telvane's windows (two-pane and tree views with sample entries,
# the Editor, Messages, Calendar, Options and the rest) taken on a virtual
# display, once in each language: NAME-en.png, NAME-zh_tw.png, NAME-zh_cn.png,
# NAME-fr.png.
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
for language in en zh_tw zh_cn fr; do
  xvfb-run -a -s "-screen 0 1024x768x24" "$program" "$out" "$language"
done
echo "Screenshots are in $out"
