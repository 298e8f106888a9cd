#!/usr/bin/env bash
# Installs the Debian packages Painter needs, skipping those already there.
# Run as root (or through sudo).
#
#   bash scripts/install-deps.sh           everything: running, building, testing
#   bash scripts/install-deps.sh --build   running and building (scripts/start.sh)
#   bash scripts/install-deps.sh --run     running only
set -euo pipefail

# What running needs: the libraries and font the package depends on, and the
# virtual screen scripts/start.sh opens the window on when there is no display.
run_packages=(
  libqt6widgets6 libqt6gui6         # Qt Widgets / Gui, with the xcb and offscreen platforms
  fonts-dejavu-core                 # the caption and button font
  xvfb xauth                        # the window without a screen
)

# What building needs.
build_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev            # Qt Widgets / Gui
  fonts-dejavu-core                 # the caption font
)

# What testing and measuring need.
test_packages=(
  libgtest-dev libbenchmark-dev     # tests and benchmarks
  clang libclang-rt-14-dev          # fuzzing with libFuzzer
  xvfb xauth                        # window tests and screenshots without a screen
  xdotool openbox x11-utils imagemagick  # driving the real window end to end
  time bc                           # bench/batch.sh: peak memory and rates
  python3 python3-mpmath            # the tables of pow are regenerated and compared
  parallel                          # README: a batch spread over shards with GNU parallel
  dpkg-dev desktop-file-utils appstream man-db  # the package: its dependency list, validators, man -l
  libcpp-httplib-dev python3 curl chromium wrk systemd  # the web service, its tests and bench/web_load.sh
  poppler-utils                     # card tests read the PDFs back (pdfimages, pdfinfo, pdffonts, pdftotext, pdftoppm); README sheet (pdftoppm)
)

case "${1:-}" in
  --run) packages=("${run_packages[@]}") ;;
  --build) packages=("${run_packages[@]}" "${build_packages[@]}") ;;
  "") packages=("${run_packages[@]}" "${build_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [--run | --build]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
