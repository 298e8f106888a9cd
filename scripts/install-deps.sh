#!/usr/bin/env bash
# Installs the Debian packages Painter needs, skipping those already there.
# Run as root (or through sudo).
#
#   bash scripts/install-deps.sh           everything: running, building, testing
#   bash scripts/install-deps.sh --build   running and building (scripts/start.sh)
#   bash scripts/install-deps.sh --run     running only
#   bash scripts/install-deps.sh --list run|build|test
#                                          prints one list, a package a line
#
# Each list holds exactly what its use needs: scripts/bare-root-test.sh builds
# and runs with them on a bare Debian 12 root, where a package in the wrong
# list fails.
set -euo pipefail

# What running needs: the libraries and font the package depends on, and the
# virtual screen scripts/start.sh opens the window on when there is no display.
run_packages=(
  libqt6widgets6 libqt6gui6         # Qt Widgets / Gui, with the xcb and offscreen platforms
  libqt6printsupport6               # the print dialog
  fonts-dejavu-core                 # the caption and button font
  xvfb xauth                        # the window without a screen
  libavcodec59 libavformat59 libavutil57 libswscale6 libwebp7 libwebpmux3  # clips: MP4 (H.264 through libx264) and WebP
)

# What building needs.
build_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev            # Qt Widgets / Gui
  fonts-dejavu-core                 # the caption font
  libboost1.81-dev                  # the web service: Boost.Beast on Asio (headers)
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libwebp-dev  # clips of the painting
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
  dpkg-dev file desktop-file-utils appstream man-db  # the package: its dependency list, validators, man -l
  mmdebstrap                        # scripts/bare-root-test.sh: set-up proven on a bare Debian 12 root
  python3 curl chromium wrk systemd  # the web service's tests and bench/web_load.sh
  nginx-light                       # the web service behind data/nginx/painter.conf, tested
  poppler-utils                     # card tests read the PDFs back (pdfimages, pdfinfo, pdffonts, pdftotext, pdftoppm); README sheet (pdftoppm)
  lintian devscripts python3-debian # the package: Debian's checks (lintian, hardening-check), its copyright notice read back
  ffmpeg webp                       # clip tests read the clips back (ffprobe, ffmpeg, webpmux)
)

if [ "${1:-}" = --list ]; then
  case "${2:-}" in
    run) printf '%s\n' "${run_packages[@]}" ;;
    build) printf '%s\n' "${build_packages[@]}" ;;
    test) printf '%s\n' "${test_packages[@]}" ;;
    *) echo "usage: $0 --list run|build|test" >&2; exit 2 ;;
  esac
  exit 0
fi

case "${1:-}" in
  --run) packages=("${run_packages[@]}") ;;
  --build) packages=("${run_packages[@]}" "${build_packages[@]}") ;;
  "") packages=("${run_packages[@]}" "${build_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [--run | --build | --list run|build|test]" >&2; exit 2 ;;
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
