#!/usr/bin/env bash
# What the bash completion offers, for a table of command lines, in a folder
# holding one of each kind of file it must tell apart.
#
#   completion_test.sh COMPLETION
set -uo pipefail
completion=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir slike && touch ana.png bor.bmp cene.pdf imena.txt dana.mp4 eva.webp

# command line (a trailing blank starts a new word) | expected offers, sorted
cases=(
  "painter --na|--name --names"
  "painter --output-|--output-dir"
  "painter --format |bmp mp4 pdf png webp"
  "painter --page a|a4 a5 a6"
  "painter --format p|pdf png"
  "painter --name |"
  "painter --output |ana.png bor.bmp cene.pdf slike"
  "painter --names |ana.png bor.bmp cene.pdf dana.mp4 eva.webp imena.txt slike"
  "painter --name x --timelapse |dana.mp4 eva.webp slike"
  "painter --output-dir |slike"
  "painter --folder s|slike"
  "painter --jobs x|"
  "painter --name x --des|--describe"
)
status=0
for c in "${cases[@]}"; do
  line=${c%%|*} want=${c#*|}
  got=$(bash -c '
    source "$1"
    read -ra COMP_WORDS <<<"$2"
    [[ $2 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _painter
    printf "%s\n" "${COMPREPLY[@]}" | sort | xargs' _ "$completion" "$line")
  if [ "$got" != "$want" ]; then
    echo "'$line': offered '$got', expected '$want'" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "${#cases[@]} completions as expected"
exit $status
