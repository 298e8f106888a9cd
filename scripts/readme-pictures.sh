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

# Six stills of one 6 s clip: frames 9, 29 and 53 (the field growing), 80 (the
# last row), 89 (the ornaments dropping in) and 150 (the finished picture).
./build/painter --name "ana novak" --timelapse "$work/ana.mp4"
ffmpeg -v error -i "$work/ana.mp4" -fps_mode passthrough -frames:v 1 -y \
  -vf "select='eq(n\,8)+eq(n\,28)+eq(n\,52)+eq(n\,79)+eq(n\,88)+eq(n\,149)',crop=700:525:0:0,scale=232:174:flags=area,pad=236:178:2:2:white,tile=6x1" \
  docs/pictures/clip-strip.png
ls -l docs/pictures/clip-strip.png
