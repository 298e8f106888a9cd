#pragma once
// A name paints the same pixels on every machine only where each operation on
// doubles is rounded to double on its own: no wider intermediates (the x87 unit
// of 32-bit x86 keeps 80 bits, and the rounding trick (|v| + 2^52) - 2^52 then
// leaves fractions), no fused multiply-add, no fast-math. The engine refuses to
// build anywhere else rather than paint other pictures there.

#if defined(__FLT_EVAL_METHOD__)
#define PAINTER_FLT_EVAL_METHOD __FLT_EVAL_METHOD__
#else
#include <cfloat>
#define PAINTER_FLT_EVAL_METHOD FLT_EVAL_METHOD
#endif

#if PAINTER_FLT_EVAL_METHOD != 0
#error "floating point keeps excess precision here (FLT_EVAL_METHOD != 0); on 32-bit x86 build with -msse2 -mfpmath=sse"
#endif

#if defined(__FAST_MATH__)
#error "fast-math changes the pictures; build with -fno-fast-math"
#endif

// No compiler announces its contraction setting, so the build defines this
// macro where it passes -ffp-contract=off (CMakeLists.txt).
#if !defined(PAINTER_FP_CONTRACT_OFF)
#error "build with -ffp-contract=off and -DPAINTER_FP_CONTRACT_OFF: fused multiply-add changes the pictures"
#endif
