#!/bin/bash
# Screenshot of the real window on a virtual 1024x768 screen: the program is
# started, "ana novak" is typed into the name prompt, the picture is saved
# with "shrani na C:\wimgx", the screen is captured, then "izhod" is clicked
# and the program must end.
#
#   scripts/window_screenshot.sh BUILD_DIR [OUTPUT.png]
#
# Needs (Debian): xvfb xauth xdotool imagemagick x11-utils, and optionally
# openbox for a window manager (the window opens maximized only under one).
set -euo pipefail
build=${1:?build directory}
output=${2:-/tmp/painter-window.png}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$output"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & WM=$!; sleep 1; fi
"$build/painter" --folder "$work/wimgx" >"$work/painter.log" 2>&1 &
pid=$!
prompt=$(xdotool search --sync --onlyvisible --name '^painter$' | head -1)
sleep 1
form=$(xdotool search --onlyvisible --name '^Form1$' | head -1)
x=$(xwininfo -id "$form" | awk '/Absolute upper-left X/ {print $4}')
y=$(xwininfo -id "$form" | awk '/Absolute upper-left Y/ {print $4}')
xdotool windowactivate --sync "$prompt" 2>/dev/null || true
xdotool type --delay 40 'ana novak'
xdotool key Return
sleep 3
xdotool mousemove $((x + 672)) $((y + 608)) click 1   # "shrani na C:\wimgx"
sleep 2
xdotool mousemove 1000 760
sleep 0.5
import -window root "$output"
xdotool mousemove $((x + 712)) $((y + 632)) click 1   # "izhod"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
status=0
if kill -0 "$pid" 2>/dev/null; then echo "painter still runs after izhod" >&2; kill "$pid"; status=1; fi
[ -n "${WM:-}" ] && kill "$WM"
ls "$work/wimgx"/*.bmp >/dev/null || { echo "nothing was saved" >&2; status=1; }
echo "screenshot: $output"
exit $status
