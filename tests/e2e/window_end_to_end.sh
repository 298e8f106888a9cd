#!/usr/bin/env bash
# The real program, end to end, as a user drives it: the window on its own
# virtual screen under a window manager, names typed into the prompt, the
# three buttons clicked with the pointer.
#
#   tests/e2e/window_end_to_end.sh PATH/TO/painter
#
# 1. starts `painter --folder DIR` with a DIR that does not exist yet; the
#    window must open maximized, and DIR must be there once the prompt shows;
# 2. types "ana novak" into the prompt and waits until the window shows the
#    finished picture: the picture area must equal, pixel for pixel, the
#    picture that `painter --name "ana novak" --output` paints without a window,
#    and the "*" must stand in the window's top-left corner;
# 3. clicks "shrani na C:\wimgx": exactly one T<14 digits>.bmp appears, a
#    700 x 525 24-bit BMP holding the same pixels, with no temporary file left;
# 4. clicks "ponovi", types "maja kos", and while that picture paints clicks
#    "ponovi" again and types "janez novak": the window must end up showing
#    the finished "janez novak", exactly as `--name` paints it, and nothing of
#    the dropped "maja kos" may paint over it afterwards;
# 5. clicks "izhod": the program must end at once with status 0, having left
#    nothing else in DIR and written nothing on stdout or stderr.
#
# Every wait polls with a deadline; on failure the message names the step, and
# a screenshot and the program's output are kept in the folder it prints
# (PAINTER_E2E_KEEP=1 keeps that folder also when the test passes).
#
# Needs (Debian): xvfb xauth xdotool openbox x11-utils imagemagick. Exits 77
# (skipped) when one of them is missing.
set -euo pipefail

readonly SKIPPED=77
# A picture in brush mode 2, 11, 16 or 17 fills its figures with the fill
# colour the previous picture left behind, so it equals the `--name` picture
# only when painted first. These three paint in modes 10, 9 and 15.
readonly NAMES=("ana novak" "maja kos" "janez novak")
# The window as designed, in client-area pixels: the picture, the buttons' centres.
readonly PICTURE_X=32 PICTURE_Y=24 PICTURE_W=700 PICTURE_H=525
readonly PONOVI_X=$((656 + 73 / 2)) PONOVI_Y=$((576 + 17 / 2))
readonly SHRANI_X=$((616 + 113 / 2)) SHRANI_Y=$((600 + 17 / 2))
readonly IZHOD_X=$((696 + 33 / 2)) IZHOD_Y=$((624 + 17 / 2))
# Deadlines in seconds, generous for a loaded two-core machine.
readonly START_TIMEOUT=60 PICTURE_TIMEOUT=180 SAVE_TIMEOUT=60 EXIT_TIMEOUT=10

painter=${1:?usage: window_end_to_end.sh PATH/TO/painter}
painter=$(realpath "$painter")
[ -x "$painter" ] || { echo "not an executable: $painter" >&2; exit 1; }

# --- outside the virtual screen: check the tools, then start one and come back in.
if [ "${PAINTER_E2E_INNER:-}" != 1 ]; then
    for tool in xvfb-run xauth Xvfb xdotool openbox xwininfo xprop import compare identify; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIPPED: '$tool' is missing (Debian: xvfb xauth xdotool openbox x11-utils imagemagick)"
            exit $SKIPPED
        fi
    done
    export PAINTER_E2E_INNER=1
    # -a: a free display of its own, never the user's screen or another test's.
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$painter"
fi

# --- inside: our own X display.
work=$(mktemp -d "${TMPDIR:-/tmp}/painter-e2e.XXXXXX")
folder="$work/pictures"
started=$SECONDS
painter_pid="" wm_pid="" stopped=""

cleanup() {
    local status=$?
    if [ -n "$stopped" ]; then kill -CONT "$painter_pid" 2>/dev/null || true; fi
    if [ -n "$painter_pid" ]; then kill "$painter_pid" 2>/dev/null || true; fi
    if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null || true; fi
    if [ $status -eq 0 ] && [ -z "${PAINTER_E2E_KEEP:-}" ]; then
        rm -rf "$work"
    else
        echo "kept for inspection: $work" >&2
    fi
}
trap cleanup EXIT

fail() {
    local shot="$work/failure.png"
    import -silent -window root "$shot" 2>/dev/null || shot="(screenshot failed)"
    {
        echo "FAILED after $((SECONDS - started)) s: $*"
        echo "screenshot: $shot"
        if [ -s "$work/painter.stderr" ]; then echo "--- painter's stderr:"; cat "$work/painter.stderr"; fi
        if [ -s "$work/painter.stdout" ]; then echo "--- painter's stdout:"; cat "$work/painter.stdout"; fi
        echo "--- files in $folder:"; ls -la "$folder" 2>&1 || true
    } >&2
    exit 1
}

t0=$EPOCHREALTIME
since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }'; }
step() { echo "[$(since "$t0") s] $*"; }

# Polls `$@` every `interval` seconds until it succeeds; fails the test with
# `what` after `timeout` seconds.
wait_for() {
    local timeout=$1 interval=$2 what=$3
    shift 3
    local deadline=$((SECONDS + timeout))
    until "$@"; do
        ((SECONDS < deadline)) || fail "timed out after ${timeout} s waiting for $what"
        [ -z "$painter_pid" ] || running || fail "the program ended while waiting for $what"
        sleep "$interval"
    done
}

running() { kill -0 "$painter_pid" 2>/dev/null; }
# Holds the program still, and lets it go on.
pause() { kill -STOP "$painter_pid" && stopped=1; }
resume() { kill -CONT "$painter_pid" && stopped=""; }

# Idle: the program used no processor time for half a second (user + system
# clock ticks, fields 14 and 15 of /proc/PID/stat).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$painter_pid/stat"; }
idle() {
    local before
    before=$(cpu_ticks) && sleep 0.5 && [ "$(cpu_ticks)" = "$before" ]
}

# The program's windows by title: the main window "Form1" and the name prompt,
# which carries the application's name.
visible_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
form_shown() { form=$(visible_window '^Form1$') && [ -n "$form" ]; }
prompt_shown() { prompt=$(visible_window '^painter$') && [ -n "$prompt" ]; }
prompt_gone() { [ -z "$(visible_window '^painter$')" ]; }

maximized() {
    local state
    state=$(xprop -id "$form" _NET_WM_STATE 2>/dev/null) || return 1
    [[ $state == *_NET_WM_STATE_MAXIMIZED_VERT* && $state == *_NET_WM_STATE_MAXIMIZED_HORZ* ]]
}

# The client area's top-left corner on the screen. xwininfo reports the inner
# window; `xdotool getwindowgeometry` adds the frame twice under a reparenting
# window manager.
client_origin() {
    local info
    info=$(xwininfo -id "$form")
    origin_x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    origin_y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    client_w=$(awk '/^ *Width:/ {print $2}' <<<"$info")
    client_h=$(awk '/^ *Height:/ {print $2}' <<<"$info")
}

# Saves the client-area rectangle W H X Y to a file.
grab() { import -silent -window root -crop "$1x$2+$((origin_x + $3))+$((origin_y + $4))" +repage "$5" 2>/dev/null; }
grab_picture() { grab $PICTURE_W $PICTURE_H $PICTURE_X $PICTURE_Y "$1"; }
same_image() { compare -metric AE "$1" "$2" null: 2>/dev/null; }
picture_shows() { grab_picture "$work/screen.ppm" && same_image "$work/screen.ppm" "$1"; }

# The rows at the top of the picture that the name prompt never covers: the
# prompt stands near the window's lower left and may hide the picture's bottom.
prompt_clear_rows() {
    local info top extents
    info=$(xwininfo -id "$prompt")
    top=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    extents=$(xprop -id "$prompt" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p')
    top=$((top - $(cut -d, -f3 <<<"${extents:-0,0,0,0}")))
    clear_rows=$((top - origin_y - PICTURE_Y))
    ((clear_rows <= PICTURE_H)) || clear_rows=$PICTURE_H
    ((clear_rows >= 100)) || fail "the name prompt covers the picture from its row $clear_rows"
}
same_clear_rows() {
    compare -metric AE "$1[${PICTURE_W}x${clear_rows}+0+0]" "$2[${PICTURE_W}x${clear_rows}+0+0]" null: 2>/dev/null
}

# The "*" that marks a finished picture, near the window's top-left corner:
# anything not black there.
star_shown() {
    grab 12 16 0 0 "$work/corner.ppm" && [ "$(identify -format '%[max]' "$work/corner.ppm")" != 0 ]
}

# No --sync: it waits for the pointer to move, and so for seconds when it is
# already there (the same button twice). The server keeps the order anyway.
click() {
    xdotool mousemove $((origin_x + $1)) $((origin_y + $2)) click 1
}

# Types a name into the prompt once it has the keyboard, and confirms it.
prompt_active() {
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$prompt" ] && return 0
    xdotool windowactivate "$prompt" 2>/dev/null
    return 1
}
answer_prompt() {
    wait_for $START_TIMEOUT 0.1 "the name prompt" prompt_shown
    wait_for $START_TIMEOUT 0.1 "the name prompt to get the keyboard" prompt_active
    xdotool type --delay 30 "$1"
    xdotool key Return
    step "typed \"$1\""
}

only_file_in_folder() {
    local entries
    entries=$(ls -A "$folder")
    if [ "$entries" != "$saved" ]; then
        fail "$1: the folder should hold only $saved, it holds: ${entries//$'\n'/ }"
    fi
}

le32() { od -An -tu4 -j "$2" -N4 --endian=little "$1" | tr -d ' '; }
le16() { od -An -tu2 -j "$2" -N2 --endian=little "$1" | tr -d ' '; }
les32() { od -An -td4 -j "$2" -N4 --endian=little "$1" | tr -d ' '; }

check_bmp() {
    local file=$1 size height
    size=$(stat -c %s "$file")
    [ "$(head -c 2 "$file")" = BM ] || fail "$file does not start with BM"
    [ "$(le32 "$file" 2)" = "$size" ] || fail "$file: the header says $(le32 "$file" 2) bytes, the file has $size"
    [ "$(le32 "$file" 18)" = 700 ] || fail "$file: width $(le32 "$file" 18), expected 700"
    height=$(les32 "$file" 22)
    [ "${height#-}" = 525 ] || fail "$file: height $height, expected 525"
    [ "$(le16 "$file" 28)" = 24 ] || fail "$file: $(le16 "$file" 28) bits per pixel, expected 24"
    [ "$(le32 "$file" 30)" = 0 ] || fail "$file: compressed (method $(le32 "$file" 30)), expected plain rows"
    # 700 pixels of 3 bytes fill rows of 2100 bytes, already a multiple of 4.
    [ "$size" = $(($(le32 "$file" 10) + 2100 * 525)) ] || fail "$file: $size bytes do not hold 525 rows of 2100 bytes"
}

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# ctest and scripts/test.sh choose the offscreen platform; this test wants the screen.
export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_FONT_DPI

# The pictures the window must show, painted by the same program without a
# window. Offscreen: on xcb, Qt itself would take "--name" off the command line.
for k in "${!NAMES[@]}"; do
    QT_QPA_PLATFORM=offscreen "$painter" --name "${NAMES[$k]}" --output "$work/expected$k.bmp" 2>"$work/reference.stderr" ||
        fail "painter --name '${NAMES[$k]}' --output could not paint the expected picture"
done

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
wait_for $START_TIMEOUT 0.1 "openbox to manage the screen" \
    bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'

"$painter" --folder "$folder" >"$work/painter.stdout" 2>"$work/painter.stderr" &
painter_pid=$!

# 1. The window opens maximized, with the prompt over it.
wait_for $START_TIMEOUT 0.1 "the window Form1" form_shown
wait_for $START_TIMEOUT 0.1 "the window to be maximized" maximized
client_origin
step "window open and maximized: client area ${client_w}x${client_h} at ($origin_x,$origin_y)"
((client_w >= 732 && client_h >= 641)) || fail "client area ${client_w}x${client_h} cannot show every control (732x641)"
wait_for $START_TIMEOUT 0.1 "the first name prompt" prompt_shown
[ -d "$folder" ] || fail "start-up did not create the folder $folder"
star_shown && fail "the \"*\" stands in the corner before any picture was painted"

# 2. The first picture.
begun=$(date +%Y%m%d%H%M%S)
answer_prompt "${NAMES[0]}"
wait_for $PICTURE_TIMEOUT 0.2 "the window to show the finished picture of \"${NAMES[0]}\" (expected: $work/expected0.bmp, last seen: $work/screen.ppm)" \
    picture_shows "$work/expected0.bmp"
step "picture of \"${NAMES[0]}\" finished"
wait_for $START_TIMEOUT 0.2 "the \"*\" that marks a finished picture" star_shown
finished=$(date +%Y%m%d%H%M%S)

# 3. Save it.
click $SHRANI_X $SHRANI_Y
saved_file() {
    local f
    for f in "$folder"/T*.bmp; do
        [[ -f $f && $(basename "$f") =~ ^T[0-9]{14}\.bmp$ ]] && saved=$(basename "$f") && return 0
    done
    return 1
}
wait_for $SAVE_TIMEOUT 0.1 "a file T<14 digits>.bmp in $folder after \"shrani\"" saved_file
step "saved $saved"
only_file_in_folder "right after the save"
stamp=${saved:1:14}
[[ ! $stamp < $begun && ! $stamp > $finished ]] ||
    fail "$saved is not named after the moment the picture was begun (between $begun and $finished)"
check_bmp "$folder/$saved"
same_image "$folder/$saved" "$work/expected0.bmp" ||
    fail "$folder/$saved does not hold the picture of \"${NAMES[0]}\" (expected: $work/expected0.bmp)"

# 4. "ponovi", and "ponovi" again while that picture paints. A picture paints
# in well under a second, faster than a click can be aimed at it from here, so
# the program is let run in short slices (SIGSTOP/SIGCONT) until the screen
# shows the picture partly painted; the click is made while it stands still
# and handled between two rows once it runs on.
click $PONOVI_X $PONOVI_Y
wait_for $START_TIMEOUT 0.1 "the name prompt after \"ponovi\"" prompt_shown
prompt_clear_rows

# Returns 0 with the prompt of the second "ponovi" open and "${NAMES[1]}"
# interrupted; 1 when the picture was finished before the click got through.
interrupt_second_picture() {
    answer_prompt "${NAMES[1]}"
    local deadline=$((SECONDS + PICTURE_TIMEOUT))
    while :; do
        pause
        grab_picture "$work/slice.ppm"
        if same_clear_rows "$work/slice.ppm" "$work/expected1.bmp"; then
            resume
            step "\"${NAMES[1]}\" was finished before it could be caught painting; once more"
            return 1
        fi
        prompt_gone && ! same_clear_rows "$work/slice.ppm" "$work/expected0.bmp" && break
        resume
        ((SECONDS < deadline)) || fail "timed out after ${PICTURE_TIMEOUT} s waiting for \"${NAMES[1]}\" to begin painting (last seen: $work/slice.ppm)"
        sleep 0.02
    done
    cp "$work/slice.ppm" "$work/interrupted.ppm"
    click $PONOVI_X $PONOVI_Y
    resume
    step "clicked \"ponovi\" while \"${NAMES[1]}\" was painting (seen: $work/interrupted.ppm)"
    wait_for $PICTURE_TIMEOUT 0.05 "the name prompt of the \"ponovi\" clicked while \"${NAMES[1]}\" was painting" prompt_shown
    grab_picture "$work/screen.ppm"
    if same_clear_rows "$work/screen.ppm" "$work/expected1.bmp"; then
        step "\"${NAMES[1]}\" was finished before the click was handled; once more"
        return 1
    fi
}
attempts=0
until interrupt_second_picture; do
    ((++attempts < 5)) || fail "could not click \"ponovi\" while \"${NAMES[1]}\" was painting in $attempts attempts"
    prompt_shown || { click $PONOVI_X $PONOVI_Y; wait_for $START_TIMEOUT 0.1 "the name prompt after \"ponovi\"" prompt_shown; }
done
answer_prompt "${NAMES[2]}"
wait_for $PICTURE_TIMEOUT 0.2 "the window to show the finished picture of \"${NAMES[2]}\" (expected: $work/expected2.bmp, last seen: $work/screen.ppm)" \
    picture_shows "$work/expected2.bmp"
step "picture of \"${NAMES[2]}\" finished"
# The dropped picture must not go on painting: the program falls idle with the
# finished picture still on screen.
wait_for $START_TIMEOUT 0.1 "the program to fall idle" idle
picture_shows "$work/expected2.bmp" ||
    fail "after \"${NAMES[2]}\" was finished, the window changed (seen: $work/screen.ppm)"
star_shown || fail "the \"*\" has gone from the corner"
only_file_in_folder "after the two \"ponovi\""

# 5. "izhod".
click $IZHOD_X $IZHOD_Y
clicked=$EPOCHREALTIME
deadline=$((SECONDS + EXIT_TIMEOUT))
while running && ((SECONDS < deadline)); do sleep 0.05; done
running && fail "the program still runs ${EXIT_TIMEOUT} s after \"izhod\""
status=0
wait "$painter_pid" || status=$?
painter_pid=""
step "program ended $(since "$clicked") s after \"izhod\", status $status"
[ $status = 0 ] || fail "the program ended with status $status after \"izhod\""
only_file_in_folder "after \"izhod\""
# Qt's notice about a missing runtime folder is harmless; XDG_RUNTIME_DIR is set
# above, so it should not even appear.
if grep -v -x "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '.*'" "$work/painter.stderr" >"$work/unexpected.stderr"; then
    fail "the program wrote on stderr: $(cat "$work/unexpected.stderr")"
fi
[ -s "$work/painter.stdout" ] && fail "the program wrote on stdout: $(cat "$work/painter.stdout")"
step "passed"
