#!/usr/bin/env bash
# Batch throughput and memory: pictures per second with one worker and with
# every core for 100 names, and the peak memory for 100 and 1,000 names.
# Usage: bench/batch.sh [path/to/painter]
set -euo pipefail
painter=${1:-build/painter}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

names() {  # N distinct valid names
  local first=(ana bor cene dana eva fran gal hana iva jure) last=(novak horvat kranjc zupan kos golob turk petek oblak kovac)
  local letters=({a..z})
  for ((k = 0; k < $1; k++)); do
    echo "${first[k % 10]} ${last[(k / 10) % 10]} ${letters[k / 100 % 26]}"
  done
}
names 100 >"$work/100.txt"
names 1000 >"$work/1000.txt"

run() {  # list jobs -> "seconds peak-kB"
  rm -rf "$work/out" && mkdir "$work/out"
  if ! /usr/bin/time -f "%e %M" -o "$work/time" "$painter" --names "$1" --output-dir "$work/out" --jobs "$2" \
      2>"$work/errors"; then
    echo "painter failed on $1:" >&2
    tail -n 5 "$work/errors" >&2
    exit 1
  fi
  cat "$work/time"
}

cores=$(nproc)
# Through files, so that a failed run stops the script (set -e).
run "$work/100.txt" 1 >"$work/r1" && read -r t1 m1 <"$work/r1"
run "$work/100.txt" "$cores" >"$work/rn" && read -r tn mn <"$work/rn"
run "$work/1000.txt" "$cores" >"$work/rk" && read -r tk mk <"$work/rk"
printf '| names | workers | seconds | pictures/s | peak RSS (MiB) |\n|---:|---:|---:|---:|---:|\n'
printf '| 100 | 1 | %s | %.1f | %.0f |\n' "$t1" "$(echo "100/$t1" | bc -l)" "$(echo "$m1/1024" | bc -l)"
printf '| 100 | %s | %s | %.1f | %.0f |\n' "$cores" "$tn" "$(echo "100/$tn" | bc -l)" "$(echo "$mn/1024" | bc -l)"
printf '| 1000 | %s | %s | %.1f | %.0f |\n' "$cores" "$tk" "$(echo "1000/$tk" | bc -l)" "$(echo "$mk/1024" | bc -l)"
printf '\nspeed-up from %s workers: %.2fx\n' "$cores" "$(echo "$t1/$tn" | bc -l)"
