#!/usr/bin/env bash
# Starts Telvane from the build tree in its own demo folder (with its own
# tv.dat), so that a first run leaves nothing in the source tree.
# Usage: scripts/run-telvane.sh BUILD_DIR
set -euo pipefail

build="${1:-build}"
program="$build/telvane"
demo="$build/demo"

if [ ! -x "$program" ]; then
  echo "Telvane is not built: $program is missing (run make build)." >&2
  exit 1
fi

program_path="$(realpath "$program")"
demo_path="$(realpath -m "$demo")"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
There is no display: Telvane is a desktop program and needs a graphical
session (DISPLAY or WAYLAND_DISPLAY is not set).

Run "make run" from a desktop session. Without one, Telvane can still run on
a virtual display (you will not see it there):

    mkdir -p $demo_path && cd $demo_path && xvfb-run -a $program_path

and "make screenshots" takes pictures of its windows into $build/screenshots.
MSG
  exit 1
fi

mkdir -p "$demo"
# The demo's own settings, created on the first run and kept afterwards: the
# built-in virtual handset stands in for a phone on a cable (Link > Connect).
if [ ! -f "$demo/tv.dat" ]; then
  printf 'Width=760\r\nHeight=480\r\nUIMode=0\r\nLanguage=1\r\nDevice=virtual\r\n' > "$demo/tv.dat"
fi
cd "$demo_path"
echo "Starting Telvane in $demo_path"
exec "$program_path"
