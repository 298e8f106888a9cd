#pragma once
// Exact whole-number rounding, inline. The library's floor and nearbyint are
// calls on a plain x86-64 target, and the per-pixel path makes millions of them.

#include "platform/floating_point_guard.h"

#include <cmath>
#include <cstdint>

namespace painter {

// 2^52: from here on every double is a whole number.
inline constexpr double kWholeFrom = 4503599627370496.0;

// Int(): the largest whole number not above v. NaN and huge values pass through.
inline double floorWhole(double v) {
    if (!(std::fabs(v) < kWholeFrom)) return v;
    const auto t = static_cast<double>(static_cast<std::int64_t>(v));  // towards zero
    // No branch: for random values whether one is taken is a coin toss.
    return t - static_cast<double>(t > v);
}

// The nearest whole number, a half going to the even neighbour: adding and
// taking away 2^52 rounds exactly so under the default rounding mode.
inline double roundHalfEven(double v) {
    if (!(std::fabs(v) < kWholeFrom)) return v;
    const double magnitude = (std::fabs(v) + kWholeFrom) - kWholeFrom;
    return std::copysign(magnitude, v);
}

}  // namespace painter
