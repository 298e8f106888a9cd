#!/usr/bin/env bash
# Installs what is missing, builds Painter and starts it. Extra arguments go to
# the program (see `--help`).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --build
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target painter
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting Painter on a virtual screen (xvfb-run)." >&2
  exec xvfb-run -a -s "-screen 0 1024x768x24" ./build/painter
fi
exec ./build/painter "$@"
