#!/usr/bin/env bash
# The icon tool writes a square PNG at every hicolor size, and refuses a
# picture it cannot read or a folder it cannot make with a message, leaving
# nothing behind.
#
#   icon_test.sh PAINTER_ICON PICTURE.png
set -uo pipefail
tool=$1 picture=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "$*" >&2; status=1; }

"$tool" "$picture" "$work/hicolor" || fail "the icon tool failed on $picture"
for size in 16 22 24 32 48 64 128 256; do
  f="$work/hicolor/${size}x${size}/apps/painter.png"
  got=$(QT_QPA_PLATFORM=offscreen identify -format '%m %wx%h' "$f" 2>/dev/null)
  [ "$got" = "PNG ${size}x${size}" ] || fail "$f: '$got', expected 'PNG ${size}x${size}'"
done

# Each case: what is passed | what the message must say. Provoked by a
# picture that does not exist, by a file that is no picture, and by an
# output folder whose parent is a plain file (refused for root too).
echo "not a picture" >"$work/text.png"
touch "$work/plain-file"
cases=(
  "$work/missing.png|$work/out|cannot read the picture"
  "$work/text.png|$work/out|cannot read the picture"
  "$picture|$work/plain-file/hicolor|cannot create"
)
for c in "${cases[@]}"; do
  IFS='|' read -r in out want <<<"$c"
  message=$("$tool" "$in" "$out" 2>&1)
  rc=$?
  [ $rc -eq 1 ] || fail "'$in' -> '$out': exit status $rc, expected 1"
  [[ $message == *"$want"* ]] || fail "'$in' -> '$out': message '$message' does not say '$want'"
  [ ! -e "$work/out" ] || fail "'$in' -> '$out': left $work/out behind"
done
message=$("$tool" 2>&1) && fail "no arguments: succeeded"
[[ $message == *usage* ]] || fail "no arguments: message '$message' shows no usage"
exit $status
