#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, replays each target's kept inputs
# (seeds and earlier crashes, tests/fuzz/corpus/<target>/), then fuzzes each
# target for a bounded time. Exits non-zero on the first crash, leak or
# timeout; the failing input is left in <build dir>/artifacts/.
#
#   bash scripts/fuzz.sh [seconds per target]     (default 60)
#   FUZZ_BUILD_DIR=/tmp/fuzz bash scripts/fuzz.sh  (default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-${FUZZ_SECONDS:-60}}"
build="${FUZZ_BUILD_DIR:-build-fuzz}"
targets=(surface_fuzz name_fuzz)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
# tests/lsan.supp names the few libraries outside Painter whose leaks are theirs.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

echo "== Fuzz build ($build)"
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  kept="tests/fuzz/corpus/$target"
  work="$build/corpus/$target"
  mkdir -p "$work"
  timeout=20
  extra=()
  if [ "$target" = name_fuzz ]; then
    # A picture takes about a second here and a name input may paint two;
    # names past 100 characters and 200 UTF-16 units matter from the start.
    timeout=60
    extra=(-len_control=0 -max_len=600)
  fi

  echo "== $target: replaying $(find "$kept" -type f | wc -l) kept inputs"
  find "$kept" -type f -print0 | xargs -0 -r "$build/tests/fuzz/$target" -timeout="$timeout" 2>"$build/$target-replay.log" ||
    { tail -n 60 "$build/$target-replay.log"; echo "$target: a kept input fails"; exit 1; }

  echo "== $target: fuzzing for ${seconds} s"
  # The first folder collects new inputs; the kept ones are only read.
  if ! "$build/tests/fuzz/$target" "$work" "$kept" -max_total_time="$seconds" -timeout="$timeout" \
      -max_len=1024 "${extra[@]}" -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
      >"$build/$target.log" 2>&1; then
    tail -n 80 "$build/$target.log"
    echo "$target: crash, see $build/artifacts/ and $build/$target.log"
    exit 1
  fi
  grep -E '^(#[0-9]+ +DONE|Done [0-9]+ runs|stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb))' \
    "$build/$target.log" || true
done
# The closing line in the form test runners use: each target is one test.
echo "fuzz: ${#targets[@]} passed, 0 failed"
