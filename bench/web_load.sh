#!/usr/bin/env bash
# Pictures per second, latency percentiles, errors and resident memory of
# `painter --serve` on 127.0.0.1 for 1, 8, 32 and 256 connections, with names
# never asked before (each paints) and with eight names in turn (from
# memory), measured with wrk for a bounded time each; then one client on
# 127.0.0.1 beside 1,000 idle connections from 127.0.0.2. One table.
#   bash bench/web_load.sh [PAINTER]      (default build/painter)
#   SECONDS_EACH=30 JOBS=2 bash bench/web_load.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
painter=${1:-$here/../build/painter}
seconds=${SECONDS_EACH:-10}
idle_count=${IDLE:-1000}
command -v wrk >/dev/null || { echo "needs wrk (apt-get install wrk)" >&2; exit 1; }

work=$(mktemp -d)
idler=""
trap 'kill "$server" $idler 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
QT_QPA_PLATFORM=offscreen "$painter" --serve 127.0.0.1:0 --quiet --per-client 2000 ${JOBS:+--jobs "$JOBS"} \
  >"$work/address" 2>/dev/null &
server=$!
for _ in $(seq 100); do grep -q http "$work/address" 2>/dev/null && break; sleep 0.1; done
url=$(grep -o 'http://127\.0\.0\.1:[0-9]\+/' "$work/address")
port=$(grep -o ':[0-9]\+/' <<<"$url" | tr -d :/)
threads=$(sed -n 's/.* with \([0-9]*\) painting threads/\1/p' "$work/address")

seconds_of() {  # wrk's "812.34us" / "12.34ms" / "1.20s" / "2.00m" as milliseconds
  awk -v t="$1" 'BEGIN { v = t + 0; if (t ~ /us$/) v /= 1e3; else if (t ~ /ms$/) v *= 1; else if (t ~ /m$/) v *= 60000; else v *= 1000; printf "%.2f", v }'
}
rss_mib() { awk '/VmRSS/ { printf "%.0f", $2 / 1024 }' "/proc/$server/status"; }

row() {  # row LABEL CONNECTIONS MODE
  local label=$1 c=$2 mode=$3 t out
  t=$((c < 2 ? 1 : 2))
  out=$(MODE=$mode wrk -t"$t" -c"$c" -d"${seconds}s" --timeout 30s --latency -s "$here/web_load.lua" "$url")
  local requests rate p50 p99 errors
  requests=$(awk '/requests in/ { print $1 }' <<<"$out")
  rate=$(awk '/Requests\/sec/ { print $2 }' <<<"$out")
  p50=$(seconds_of "$(awk '$1 == "50%" { print $2 }' <<<"$out")")
  p99=$(seconds_of "$(awk '$1 == "99%" { print $2 }' <<<"$out")")
  errors=$(awk '/Non-2xx/ { e += $NF } /Socket errors/ { gsub(",", ""); e += $4 + $6 + $8 + $10 } END { print e + 0 }' <<<"$out")
  printf '| %-22s | %-8s | %9s | %10s | %9s | %9s | %7s | %8s |\n' "$label" "$mode" "$requests" "$rate" "$p50" "$p99" \
    "$errors" "$(rss_mib)"
}

echo "painter --serve, $threads painting threads, $(nproc) cores, ${seconds} s per row, PNG pictures"
printf '| %-22s | %-8s | %9s | %10s | %9s | %9s | %7s | %8s |\n' connections names requests pictures/s "p50 ms" \
  "p99 ms" errors "RSS MiB"
printf '|%s|%s|%s|%s|%s|%s|%s|%s|\n' ------------------------ ---------- ----------- ------------ ----------- \
  ----------- --------- ----------
for c in 1 8 32 256; do
  row "$c" "$c" distinct
  row "$c" "$c" repeated
done

# Idle connections from 127.0.0.2 that send nothing, held while one client is served.
python3 - "$port" "$idle_count" "$work/idle-ready" <<'PY' &
import socket, sys, time
port, count, ready = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
held = []
for _ in range(count):
    s = socket.socket()
    s.bind(("127.0.0.2", 0))
    s.connect(("127.0.0.1", port))
    held.append(s)
open(ready, "w").close()
time.sleep(600)
PY
idler=$!
for _ in $(seq 300); do [ -e "$work/idle-ready" ] && break; sleep 0.1; done
row "1 beside $idle_count idle" 1 distinct
row "1 beside $idle_count idle" 1 repeated
