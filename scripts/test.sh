#!/usr/bin/env bash
# Installs what is missing, builds Painter and runs every test: the whole suite
# in a Release build, the engine tests built with clang, the Debian package, the
# set-up on a bare Debian 12 root, the whole suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded run of
# each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

# The presets are in CMakePresets.json. Warnings are errors in the test
# command's builds (not in start.sh's, where a newer compiler may warn anew).
echo "== Release build and tests"
cmake --preset release -DPAINTER_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"
echo "== Release stage took $SECONDS s"

# A second compiler must paint the recorded pictures bit for bit too: clang
# builds the engine tests in Release and runs them, every recorded picture,
# draw count and generator value among them.
stage_start=$SECONDS
echo "== clang build and engine tests"
cmake --preset clang >/dev/null
cmake --build build-clang -j "$jobs" --target engine_tests
build-clang/tests/engine_tests
echo "== clang stage took $((SECONDS - stage_start)) s"

# The Debian package from the Release build: installed, tried, removed.
stage_start=$SECONDS
bash scripts/package-test.sh build
echo "== Package stage took $((SECONDS - stage_start)) s"

# The README's set-up on a bare Debian 12 root: start.sh from a clone, the run
# list, and the package installed with apt-get each paint the same bytes.
stage_start=$SECONDS
bash scripts/bare-root-test.sh build
echo "== Bare root stage took $((SECONDS - stage_start)) s"

# The same tests again with AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer: the recorded picture hashes must come out the same here, so
# no picture depends on undefined behaviour or on what the optimiser does.
stage_start=$SECONDS
echo "== Sanitizer build and tests"
cmake --preset asan >/dev/null
cmake --build build-asan -j "$jobs"
# tests/lsan.supp names the few libraries outside Painter whose leaks are theirs.
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
echo "== Sanitizer stage took $((SECONDS - stage_start)) s"

stage_start=$SECONDS
bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
echo "== Fuzz stage took $((SECONDS - stage_start)) s; all stages $SECONDS s"
