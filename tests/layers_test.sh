#!/usr/bin/env bash
# Each layer's target sees its own folder and the folders below it, and no
# other: the table below is the rule, and the compiler is asked, through the
# include folder the build gives each target, whether a header of every
# folder can be found. Provoked by hand: a link to session/ put into
# painter_render's include folder made the test fail.
#   layers_test.sh <c++ compiler> <build dir>/layers
set -euo pipefail
compiler=$1
layers=$(realpath "$2")

declare -A header=(
  [platform]=platform/surface.h [picture]=picture/picture_state.h [params]=params/name_entry.h
  [render]=render/paint_field.h [ornament]=ornament/ornaments.h [output]=output/greeting.h
  [session]=session/picture_cycle.h [web]=web/web_server.h [app]=app/form1.h
)
# target: the folders it may include; every other folder must stay out of reach.
declare -A sees=(
  [painter_platform]="platform"
  [painter_params]="params picture platform"
  [painter_render]="render picture platform"
  [painter_ornament]="ornament picture platform"
  [painter_output]="output picture platform"
  [painter_session]="session params render ornament output picture platform"
  [painter_web]="web session params render ornament output picture platform"
)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"  # nothing next to the probe for a quoted include to find
failures=0
for target in "${!sees[@]}"; do
  for folder in "${!header[@]}"; do
    want=hidden
    [[ " ${sees[$target]} " == *" $folder "* ]] && want=seen
    probe="#if __has_include(\"${header[$folder]}\")
#error seen
#endif"
    if echo "$probe" | "$compiler" -fsyntax-only -x c++ -I "$layers/$target" - 2>/dev/null; then got=hidden; else got=seen; fi
    if [ "$got" != "$want" ]; then
      echo "$target: ${header[$folder]} is $got, should be $want"
      failures=$((failures + 1))
    fi
  done
done
[ "$failures" = 0 ] && echo "every layer sees only itself and the layers below"
exit "$failures"
