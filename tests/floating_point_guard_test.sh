#!/usr/bin/env bash
# Compiles the floating-point guard header the ways that would change the
# pictures and checks that each is refused with its reason; then the way the
# build compiles for 32-bit x86, which must pass. Needs no 32-bit libraries:
# the header uses only what the compiler itself defines.
# Usage: floating_point_guard_test.sh CXX platform/floating_point_guard.h
set -uo pipefail
cxx=$1 guard=$2
failed=0

refused() {  # refused REASON FLAGS...: the guard must stop with REASON
  local reason=$1; shift
  local out
  if out=$("$cxx" "$@" -fsyntax-only -x c++ "$guard" 2>&1); then
    echo "not refused: $*"; failed=1
  elif ! grep -q "$reason" <<<"$out"; then
    echo "refused for another reason than '$reason': $*"; echo "$out"; failed=1
  else
    echo "refused ($reason): $*"
  fi
}

# x87 maths with its 80-bit intermediates (32-bit x86 by default)
refused "excess precision" -m32 -mfpmath=387 -DPAINTER_FP_CONTRACT_OFF
# fast-math
refused "fast-math" -ffast-math -DPAINTER_FP_CONTRACT_OFF
# a build that does not say it turned contraction off
refused "ffp-contract=off" -ffp-contract=fast

if "$cxx" -m32 -msse2 -mfpmath=sse -DPAINTER_FP_CONTRACT_OFF -fsyntax-only -x c++ "$guard"; then
  echo "accepted: 32-bit x86 with -msse2 -mfpmath=sse"
else
  echo "refused: 32-bit x86 with -msse2 -mfpmath=sse"; failed=1
fi
exit "$failed"
