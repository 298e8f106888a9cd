#!/usr/bin/env bash
# Paints the README's sample pictures and stores them, at half size, in
# docs/pictures/. Needs a built program (bash scripts/start.sh builds it) and
# ImageMagick's convert for the resizing.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v convert >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq imagemagick
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'ana kastelic\nbor zupan\nana kovac\neva zupancic\n' |
  QT_QPA_PLATFORM=offscreen ./build/painter --names - --output-dir "$work" --format png
mkdir -p docs/pictures
for f in "$work"/*.png; do
  convert "$f" -resize 50% -depth 8 -colors 256 -strip "docs/pictures/$(basename "$f")"
done
ls -l docs/pictures

# A printed A4 sheet of four cards, rendered from the PDF as a viewer shows it.
printf 'ana kastelic\nbor zupan\nana kovac\neva zupancic\n' |
  QT_QPA_PLATFORM=offscreen ./build/painter --names - --output "$work/cards.pdf" --cards-per-page 4
pdftoppm -png -r 40 -singlefile "$work/cards.pdf" docs/pictures/a4-four-cards
ls -l docs/pictures/a4-four-cards.png
