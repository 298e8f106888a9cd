// Lines on the drawing surface (see surface.cpp for the positions).
//
// Lines. Both end points are snapped by the rule of surface.cpp and joined by the
// Bresenham line: for every step along the major axis the minor coordinate is
// the nearest one to the exact line. The segment is walked from its end with
// the smaller major coordinate, a tie going away from that end, so a line and
// its reverse cover the same pixels. Only the steps that lie inside the raster are walked: the first and
// last visible steps are found in closed form. End points beyond 2^20 pixels
// are first clipped in double precision against the raster grown by a margin
// (Liang-Barsky), so the integer walk never overflows and never spends time on
// invisible length.

#include "platform/surface.h"

#include "platform/surface_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace painter {
namespace {

using namespace raster;

// Beyond this many pixels a line's end points are clipped in double first, so
// that the exact integer walk stays far from overflow.
constexpr double kExactLineLimit = 1048576.0;  // 2^20
// How far outside the raster a pre-clipped line end may stay; more than the
// rounding of the clip itself can move it.
constexpr double kLineClipMargin = 4.0;

inline std::int64_t floorDiv(std::int64_t n, std::int64_t d) {  // d > 0
    const std::int64_t q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}
inline std::int64_t ceilDiv(std::int64_t n, std::int64_t d) { return -floorDiv(-n, d); }

// Lines with fewer major steps than this take the loop without a running remainder.
constexpr std::int64_t kShortLine = 4096;

// Bresenham between two pixels whose coordinates are within a few million.
void drawSegment(const Raster& r, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                 std::uint32_t value) {
    const bool xMajor = std::abs(x2 - x1) >= std::abs(y2 - y1);
    // u is the major axis, v the minor one; walk u upwards.
    std::int64_t u0 = xMajor ? x1 : y1, v0 = xMajor ? y1 : x1;
    std::int64_t u1 = xMajor ? x2 : y2, v1 = xMajor ? y2 : x2;
    if (u1 < u0) {
        std::swap(u0, u1);
        std::swap(v0, v1);
    }
    const std::int64_t n = u1 - u0;            // major steps
    const std::int64_t k = std::abs(v1 - v0);  // minor steps
    const int sv = v1 < v0 ? -1 : 1;
    const std::int64_t uMax = (xMajor ? r.width : r.height) - 1;
    const std::int64_t vMax = (xMajor ? r.height : r.width) - 1;

    // Step i lies at u0 + i, v0 + sv * m(i), m(i) = floor((2 i k + n) / (2 n)).
    std::int64_t iFirst = std::max<std::int64_t>(0, -u0);
    std::int64_t iLast = std::min(n, uMax - u0);
    // The minor offsets m that keep v inside 0..vMax.
    const std::int64_t mLow = sv > 0 ? -v0 : v0 - vMax;
    const std::int64_t mHigh = sv > 0 ? vMax - v0 : v0;
    if (mHigh < 0 || mLow > k) return;
    if (k > 0) {
        // First step with m(i) >= mLow: 2 i k + n >= 2 n mLow.
        if (mLow > 0) iFirst = std::max(iFirst, ceilDiv((2 * mLow - 1) * n, 2 * k));
        // Last step with m(i) <= mHigh: 2 i k < (2 mHigh + 1) n.
        if (mHigh < k) iLast = std::min(iLast, ceilDiv((2 * mHigh + 1) * n, 2 * k) - 1);
    }
    if (iFirst > iLast) return;

    // n == 0 is a single pixel; any denominator will do for its one step.
    const std::int64_t twoN = n > 0 ? 2 * n : 2;
    // A line that starts on the raster (the usual case) needs no division.
    std::int64_t rest = n, m = 0;
    if (iFirst > 0) {
        const std::int64_t num = 2 * iFirst * k + n;
        rest = num % twoN;
        m = num / twoN;
    }
    const std::int64_t u = u0 + iFirst, v = v0 + sv * m;
    const std::int64_t x = xMajor ? u : v, y = xMajor ? v : u;
    std::uint32_t* p = r.pixels + y * r.width + x;
    const std::ptrdiff_t majorStride = xMajor ? 1 : r.width;
    const std::ptrdiff_t minorStride = xMajor ? sv * static_cast<std::ptrdiff_t>(r.width) : sv;
    const std::int64_t twoK = 2 * k;
    const std::int64_t count = iLast - iFirst + 1;
    if (n < kShortLine) {
        // Each step on its own, without the chain of the running remainder:
        // m(i) - m(iFirst) = floor((rest + 2 k (i - iFirst)) / 2n), by a
        // multiplication with the rounded-up reciprocal of 2n. The numerator N
        // stays below 2^25 and 2n at most 2^13, so with M = ceil(2^39 / 2n)
        // N * M / 2^39 exceeds N / 2n by less than 1 / 2n and cannot reach the
        // next whole number: the floor is exact, and N * M fits 64 bits.
        const std::uint64_t twoNu = static_cast<std::uint64_t>(twoN);
        const std::uint64_t reciprocal = ((std::uint64_t{1} << 39) + twoNu - 1) / twoNu;
        const std::uint64_t num0 = static_cast<std::uint64_t>(rest), dNum = static_cast<std::uint64_t>(twoK);
        const auto at = [&](std::int64_t step) {
            const std::uint64_t num = num0 + static_cast<std::uint64_t>(step) * dNum;
            return step * majorStride + static_cast<std::ptrdiff_t>((num * reciprocal) >> 39) * minorStride;
        };
        // Two steps an iteration: the steps are independent, so they overlap.
        std::int64_t step = 0;
        for (; step + 1 < count; step += 2) {
            p[at(step)] = value;
            p[at(step + 1)] = value;
        }
        if (step < count) p[at(step)] = value;
        return;
    }
    for (std::int64_t left = count;;) {
        *p = value;
        if (--left == 0) break;
        p += majorStride;
        rest += twoK;
        // Without a branch: whether the minor step comes is as good as random.
        const bool step = rest >= twoN;
        rest -= step ? twoN : 0;
        p += step ? minorStride : 0;
    }
}

// The other coordinate of the line through (p1, q1) and (p2, q2) where its
// first coordinate is p, measured from the end nearer to p: with ends 1e30
// pixels apart, measuring from the far end would lose every visible digit.
inline double alongLine(double p1, double q1, double p2, double q2, double p) {
    const double slope = (q2 - q1) / (p2 - p1);
    return std::fabs(p - p1) <= std::fabs(p - p2) ? q1 + (p - p1) * slope : q2 + (p - p2) * slope;
}

// Liang-Barsky: cuts the segment to the box [xLo, xHi] x [yLo, yHi]; false when
// it misses the box. A cut end is put exactly on the boundary that cut it.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, double xLo, double xHi, double yLo, double yHi) {
    double tIn = 0, tOut = 1;
    int inAxis = -1, outAxis = -1;  // 0: a vertical boundary cut that end, 1: a horizontal one
    double inValue = 0, outValue = 0;
    auto cut = [&](int axis, double p0, double delta, double lo, double hi) {
        if (delta == 0) return p0 >= lo && p0 <= hi;
        const double enter = delta > 0 ? lo : hi, leave = delta > 0 ? hi : lo;
        const double t0 = (enter - p0) / delta, t1 = (leave - p0) / delta;
        if (t0 > tIn) tIn = t0, inAxis = axis, inValue = enter;
        if (t1 < tOut) tOut = t1, outAxis = axis, outValue = leave;
        return true;
    };
    if (!cut(0, x1, x2 - x1, xLo, xHi) || !cut(1, y1, y2 - y1, yLo, yHi) || tIn > tOut) return false;
    auto place = [&](int axis, double value, double& x, double& y) {
        if (axis == 0) {
            y = alongLine(x1, y1, x2, y2, value);
            x = value;
        } else if (axis == 1) {
            x = alongLine(y1, x1, y2, x2, value);
            y = value;
        }
    };
    double ax = x1, ay = y1, bx = x2, by = y2;
    place(inAxis, inValue, ax, ay);
    place(outAxis, outValue, bx, by);
    // Rounding may leave a cut end a hair outside the box (or, for ends far
    // away, farther): keep it inside so that the integer walk stays small.
    x1 = std::clamp(ax, xLo, xHi);
    y1 = std::clamp(ay, yLo, yHi);
    x2 = std::clamp(bx, xLo, xHi);
    y2 = std::clamp(by, yLo, yHi);
    return true;
}

}  // namespace

void Surface::line(float x1f, float y1f, float x2f, float y2f, Colour c) {
    double x1 = x1f, y1 = y1f, x2 = x2f, y2 = y2f;
    // The sum of four finite floats is finite in double; an infinity or a NaN
    // among them makes it infinite or NaN. One test instead of four.
    if (!std::isfinite((x1 + y1) + (x2 + y2))) return;
    const double far = std::max({std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2)});
    if (far > kExactLineLimit) {
        // Pixel p covers [p - 1/2, p + 1/2): the raster spans [-1/2, size - 1/2).
        if (!clipSegment(x1, y1, x2, y2, -0.5 - kLineClipMargin, width_ - 0.5 + kLineClipMargin, -0.5 - kLineClipMargin,
                         height_ - 0.5 + kLineClipMargin))
            return;
    }
    const Raster r{pixels_.data(), width_, height_};
    drawSegment(r, static_cast<std::int64_t>(floorWhole(x1 + 0.5)), static_cast<std::int64_t>(floorWhole(y1 + 0.5)),
                static_cast<std::int64_t>(floorWhole(x2 + 0.5)), static_cast<std::int64_t>(floorWhole(y2 + 0.5)),
                toPixel(c));
}

}  // namespace painter
