#!/usr/bin/env bash
# Installs the Debian packages Painter needs to build, run and test, skipping
# those already there. Run as root (or through sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev            # Qt Widgets / Gui
  fonts-dejavu-core                 # the caption and button font
  libgtest-dev libbenchmark-dev     # tests and benchmarks
  clang libclang-rt-14-dev          # fuzzing with libFuzzer
  xvfb xauth                        # window tests and screenshots without a screen
  xdotool openbox x11-utils imagemagick  # driving the real window end to end
  time bc                           # bench/batch.sh: peak memory and rates
  poppler-utils                     # card tests read the PDFs back (pdfimages, pdfinfo); README sheet (pdftoppm)
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
