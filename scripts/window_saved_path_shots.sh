#!/bin/bash
# Screenshots of the real window on a virtual 1024x768 screen around the
# saved file's path beside "shrani na C:\wimgx": "ana novak" is painted and
# saved (the path must show), then "ponovi" paints "bor zupan" (the path of
# the first picture must be gone). Each screenshot's path band is checked for
# any lit pixel, and "izhod" must end the program.
#
#   scripts/window_saved_path_shots.sh BUILD_DIR [OUTPUT_DIR]
#
# Writes OUTPUT_DIR/saved.png and OUTPUT_DIR/ponovi.png. Needs (Debian): xvfb
# xauth xdotool imagemagick x11-utils openbox.
set -euo pipefail
build=${1:?build directory}
out=${2:-/tmp/painter-saved-path}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$out"
fi
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openbox >/dev/null 2>&1 & WM=$!
sleep 1
"$build/painter" --folder "$work/wimgx" >"$work/painter.log" 2>&1 &
pid=$!

# Types a name into the prompt once it shows, then waits for the picture.
answer_prompt() {
    local prompt
    prompt=$(xdotool search --sync --onlyvisible --name '^painter$' | head -1)
    sleep 0.5
    xdotool windowactivate --sync "$prompt" 2>/dev/null || true
    xdotool type --delay 40 "$1"
    xdotool key Return
    sleep "${PAINT_SECONDS:-6}"
}

# The lit pixels in the path band (left of the buttons, below the picture).
band_lit() {
    convert "$1" -crop 576x17+$((x + 32))+$((y + 600)) +repage -colorspace Gray -threshold 25% \
        -format '%[fx:round(mean*w*h)]' info:
}

answer_prompt 'ana novak'
form=$(xdotool search --onlyvisible --name '^Form1$' | head -1)
x=$(xwininfo -id "$form" | awk '/Absolute upper-left X/ {print $4}')
y=$(xwininfo -id "$form" | awk '/Absolute upper-left Y/ {print $4}')
xdotool mousemove $((x + 672)) $((y + 608)) click 1   # "shrani na C:\wimgx"
sleep 2
xdotool mousemove 1000 760
sleep 0.5
import -window root "$out/saved.png"

xdotool mousemove $((x + 692)) $((y + 584)) click 1   # "ponovi"
answer_prompt 'bor zupan'
xdotool mousemove 1000 760
sleep 0.5
import -window root "$out/ponovi.png"

status=0
saved_lit=$(band_lit "$out/saved.png")
ponovi_lit=$(band_lit "$out/ponovi.png")
echo "lit pixels in the path band: after the save $saved_lit, after ponovi $ponovi_lit"
[ "$saved_lit" -gt 0 ] || { echo "the saved file's path is not shown after the save" >&2; status=1; }
[ "$ponovi_lit" -eq 0 ] || { echo "a path still shows under the next picture" >&2; status=1; }

xdotool mousemove $((x + 712)) $((y + 632)) click 1   # "izhod"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "painter still runs after izhod" >&2; kill "$pid"; status=1; fi
kill "$WM"
ls "$work/wimgx"/*.bmp >/dev/null || { echo "nothing was saved" >&2; status=1; }
echo "screenshots: $out/saved.png $out/ponovi.png"
exit $status
