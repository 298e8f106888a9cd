#!/usr/bin/env bash
# Installs what is missing, builds Painter and starts it. Extra arguments go to
# the program (see `--help`); relative paths in them are taken from the folder
# you run this in. Without a display the program says so and shows the
# commands that need none; `--virtual-screen` as the first argument runs the
# window on an invisible virtual screen instead (xvfb-run).
# PAINTER_BUILD_DIR chooses the build folder (default: build/ in the checkout).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${PAINTER_BUILD_DIR:-$root/build}"
virtual=0
if [ "${1:-}" = "--virtual-screen" ]; then
  virtual=1
  shift
fi
# Everything but the program's own output goes to standard error, so that
# `start.sh --name x --output -` writes only the picture to standard output.
bash "$root/scripts/install-deps.sh" --build >&2
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" --preset release -B "$build" >&2
cmake --build "$build" --target painter >&2
if [ "$virtual" = 1 ]; then
  echo "Starting Painter on a virtual screen (xvfb-run); nothing of it is visible." >&2
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$build/painter" "$@"
fi
exec "$build/painter" "$@"
