#!/usr/bin/env bash
# Pictures per second and latency percentiles of `painter --serve` on
# 127.0.0.1 for 1, 8 and 32 connections, measured with wrk for a bounded
# time each, as one table.
#   bash bench/web_load.sh [PAINTER]      (default build/painter)
#   SECONDS_EACH=30 JOBS=2 bash bench/web_load.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
painter=${1:-$here/../build/painter}
seconds=${SECONDS_EACH:-15}
command -v wrk >/dev/null || { echo "needs wrk (apt-get install wrk)" >&2; exit 1; }

work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
QT_QPA_PLATFORM=offscreen "$painter" --serve 127.0.0.1:0 --quiet ${JOBS:+--jobs "$JOBS"} >"$work/address" 2>/dev/null &
server=$!
for _ in $(seq 100); do grep -q http "$work/address" 2>/dev/null && break; sleep 0.1; done
url=$(grep -o 'http://127\.0\.0\.1:[0-9]\+/' "$work/address")
threads=$(sed -n 's/.* with \([0-9]*\) painting threads/\1/p' "$work/address")

seconds_of() {  # wrk's "812.34ms" / "1.20s" / "2.00m" as seconds
  awk -v t="$1" 'BEGIN { v = t + 0; if (t ~ /us$/) v /= 1e6; else if (t ~ /ms$/) v /= 1e3; else if (t ~ /m$/) v *= 60; printf "%.3f", v }'
}

echo "painter --serve, $threads painting threads, $(nproc) cores, ${seconds} s per row, PNG pictures of 8 names in turn"
printf '| %-11s | %9s | %14s | %7s | %7s | %7s |\n' connections requests pictures/s "p50 s" "p99 s" errors
printf '|%s|%s|%s|%s|%s|%s|\n' ------------- ----------- ---------------- --------- --------- ---------
for c in 1 8 32; do
  t=$((c < 2 ? 1 : 2))
  out=$(wrk -t"$t" -c"$c" -d"${seconds}s" --timeout 120s --latency -s "$here/web_load.lua" "$url")
  requests=$(awk '/requests in/ { print $1 }' <<<"$out")
  rate=$(awk '/Requests\/sec/ { print $2 }' <<<"$out")
  p50=$(seconds_of "$(awk '$1 == "50%" { print $2 }' <<<"$out")")
  p99=$(seconds_of "$(awk '$1 == "99%" { print $2 }' <<<"$out")")
  errors=$(awk '/Non-2xx|Socket errors/ { s = s $0 "; " } END { print s == "" ? 0 : s }' <<<"$out")
  printf '| %-11s | %9s | %14s | %7s | %7s | %7s |\n' "$c" "$requests" "$rate" "$p50" "$p99" "$errors"
done
