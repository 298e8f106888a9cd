#!/usr/bin/env bash
# The manual page and the bash completion list the same option names as
# `painter --help` - names only, so the prose may differ. Every name missing
# on either side is reported by name.
#
#   option_names_in_step.sh PAINTER MANPAGE COMPLETION
set -uo pipefail
painter=$1 manpage=$2 completion=$3

# "  -h, --help   Displays ..." and "  --name <name>  Paint ...": the names at
# the start of each option line.
help_names=$(QT_QPA_PLATFORM=offscreen "$painter" --help 2>/dev/null |
  grep -E '^  -' | sed -E 's/^ +//; s/ <[^>]*>//g; s/  .*//' | tr -d ',' | tr ' ' '\n' | grep -E '^-' | sort -u)
if [ -z "$help_names" ]; then
  echo "painter --help lists no options" >&2
  exit 1
fi

# In the OPTIONS section, the line after each .TP names the option(s).
man_names=$(awk '/^\.SH /{ in_options = ($2 == "OPTIONS") } in_options && tag { print; tag = 0 } /^\.TP/{ tag = 1 }' "$manpage" |
  sed 's/\\-/-/g' | grep -oE '(^|[ "])--?[a-z][a-z0-9-]*' | tr -d ' "' | sort -u)

# What the completion offers after a lone "-".
completion_names=$(bash -c 'source "$1"; COMP_WORDS=(painter -); COMP_CWORD=1; _painter; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" | sort -u)

status=0
compare() {  # compare WHERE NAMES
  local where=$1 names=$2 n
  for n in $(comm -23 <(printf '%s\n' "$help_names") <(printf '%s\n' "$names")); do
    echo "$where does not list $n, which painter --help lists" >&2
    status=1
  done
  for n in $(comm -13 <(printf '%s\n' "$help_names") <(printf '%s\n' "$names")); do
    echo "$where lists $n, which painter --help does not" >&2
    status=1
  done
}
compare "the manual page $(basename "$manpage")" "$man_names"
compare "the bash completion $(basename "$completion")" "$completion_names"
[ $status -eq 0 ] && echo "painter --help, the manual page and the completion list the same $(wc -l <<<"$help_names") options"
exit $status
