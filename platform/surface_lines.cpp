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
#include <array>
#include <cmath>
#include <cstddef>
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

// M(n) = ceil(2^39 / 2n) for every short line (n = 0, a single pixel, takes
// any denominator; 2 will do): looked up, not divided, as a 64-bit division
// costs more than a short line's pixels.
constexpr auto kStepReciprocals = [] {
    std::array<std::uint64_t, kShortLine> table{};
    for (std::uint64_t n = 0; n < table.size(); ++n) {
        const std::uint64_t twoN = n > 0 ? 2 * n : 2;
        table[n] = ((std::uint64_t{1} << 39) + twoN - 1) / twoN;
    }
    return table;
}();

// The steps of a line of kShortLine steps or more, with a running remainder.
[[gnu::noinline]] void walkLong(std::uint32_t* p, std::ptrdiff_t majorStride, std::ptrdiff_t minorStride,
                                std::int64_t rest, std::int64_t k, std::int64_t n, std::int64_t count,
                                std::uint32_t value) {
    const std::int64_t twoK = 2 * k;
    const std::int64_t twoN = 2 * n;
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

// `count` steps from p: step s lies s major strides on and
// floor((rest + 2 k s) / 2n) minor strides aside, 0 <= rest < 2n.
// Always inlined: a call costs as much as a short ray's steps.
[[gnu::always_inline]] inline void walkSteps(std::uint32_t* p, std::ptrdiff_t majorStride, std::ptrdiff_t minorStride,
                                             std::int64_t rest, std::int64_t k, std::int64_t n, std::int64_t count,
                                             std::uint32_t value) {
    if (n >= kShortLine) return walkLong(p, majorStride, minorStride, rest, k, n, count, value);
    const std::int64_t twoK = 2 * k;
    // Each step on its own, without the chain of the running remainder:
    // the floor is a multiplication with the rounded-up reciprocal M of 2n.
    // The numerator N stays below 2^25 and 2n at most 2^13, so
    // N * M / 2^39 exceeds N / 2n by less than 1 / 2n and cannot reach the
    // next whole number: the floor is exact, and N * M fits 64 bits. N * M
    // grows by 2 k M a step, so it is kept as a sum, not multiplied out.
    const std::uint64_t reciprocal = kStepReciprocals[static_cast<std::size_t>(n)];
    std::uint64_t scaled = static_cast<std::uint64_t>(rest) * reciprocal;
    const std::uint64_t stepScaled = static_cast<std::uint64_t>(twoK) * reciprocal;
    const auto minorAt = [&](std::uint64_t a) { return static_cast<std::ptrdiff_t>(a >> 39) * minorStride; };
    // Four steps an iteration: the steps are independent, so they overlap.
    const auto fourSteps = [&](std::uint32_t* q, std::uint64_t a) {
        q[minorAt(a)] = value;
        q[majorStride + minorAt(a + stepScaled)] = value;
        q[2 * majorStride + minorAt(a + 2 * stepScaled)] = value;
        q[3 * majorStride + minorAt(a + 3 * stepScaled)] = value;
    };
    if (count < 4) {
        // One to three steps; the last one repeated, as below.
        const auto stepAt = [&](std::int64_t s) {
            s = std::min(s, count - 1);
            p[s * majorStride + minorAt(scaled + static_cast<std::uint64_t>(s) * stepScaled)] = value;
        };
        stepAt(0);
        stepAt(1);
        stepAt(2);
        return;
    }
    // The last four steps come after the loop, so no loop over the remainder
    // mispredicts its end. They may repeat steps the loop already took, which
    // is harmless: a line's steps all store the same value.
    const std::int64_t tail = count - 4;
    fourSteps(p + tail * majorStride, scaled + static_cast<std::uint64_t>(tail) * stepScaled);
    for (std::int64_t s = 0; s < tail; s += 4, p += 4 * majorStride, scaled += 4 * stepScaled) fourSteps(p, scaled);
}

// `ifSet` where `mask` is all ones, `ifClear` where it is zero: a choice no
// branch can mispredict (compilers turn a ternary on random data into one).
inline std::int64_t masked(std::int64_t mask, std::int64_t ifSet, std::int64_t ifClear) {
    return ifClear ^ ((ifSet ^ ifClear) & mask);
}

// How a segment is walked: along its major axis (x on a tie), from the end
// with the smaller major coordinate (the first on a tie). Which axis and which
// end are as good as random from ray to ray, so both are chosen by masks that
// no branch can mispredict.
struct LineAxes {
    std::int64_t xMajor;  // all ones when x is the major axis
    std::int64_t x, y;    // the end the walk starts from
    std::int64_t n, k;    // major and minor steps
    std::ptrdiff_t sv;    // the minor direction, -1 or 1
    std::int64_t pick(std::int64_t ifX, std::int64_t ifY) const { return masked(xMajor, ifX, ifY); }
    // Pointer steps in a raster `width` pixels wide.
    std::ptrdiff_t majorStride(int width) const { return pick(1, width); }
    std::ptrdiff_t minorStride(int width) const { return pick(sv * width, sv); }
};

[[gnu::always_inline]] inline LineAxes axesOf(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
    const std::int64_t dx = x2 - x1, dy = y2 - y1;
    const std::int64_t ax = std::abs(dx), ay = std::abs(dy);
    LineAxes a;
    a.xMajor = -static_cast<std::int64_t>(ax >= ay);
    const std::int64_t flip = a.pick(dx, dy) >> 63;  // all ones to start at the second end
    a.x = masked(flip, x2, x1);
    a.y = masked(flip, y2, y1);
    a.n = a.pick(ax, ay);
    a.k = a.pick(ay, ax);
    const std::int64_t minorDelta = (a.pick(dy, dx) ^ flip) - flip;  // negated when flipped
    a.sv = (minorDelta >> 63) | 1;
    return a;
}

// Bresenham between two pixels whose coordinates are within a few million.
void drawSegment(const Raster& r, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                 std::uint32_t value) {
    const LineAxes axes = axesOf(x1, y1, x2, y2);
    const auto pick = [&axes](std::int64_t ifX, std::int64_t ifY) { return axes.pick(ifX, ifY); };
    // u is the major axis, v the minor one; walk u upwards.
    const std::int64_t u0 = pick(axes.x, axes.y), v0 = pick(axes.y, axes.x);
    const std::int64_t n = axes.n, k = axes.k;
    const std::int64_t sv = axes.sv, vDown = sv >> 1;  // all ones when v goes down
    const std::int64_t uMax = pick(r.width, r.height) - 1;
    const std::int64_t vMax = pick(r.height, r.width) - 1;

    // Step i lies at u0 + i, v0 + sv * m(i), m(i) = floor((2 i k + n) / (2 n)).
    std::int64_t iFirst = std::max<std::int64_t>(0, -u0);
    std::int64_t iLast = std::min(n, uMax - u0);
    // The minor offsets m that keep v inside 0..vMax.
    const std::int64_t mLow = masked(vDown, v0 - vMax, -v0);
    const std::int64_t mHigh = masked(vDown, v0, vMax - v0);
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
    const std::int64_t x = pick(u, v), y = pick(v, u);
    walkSteps(r.pixels + y * r.width + x, axes.majorStride(r.width), axes.minorStride(r.width), rest, k, n,
              iLast - iFirst + 1, value);
}

// The same line when both its end pixels lie on the raster, as most do: then
// every step does, and no step needs cutting. Always inlined: a call costs as
// much as a short ray's steps.
[[gnu::always_inline]] inline void drawSegmentOnRaster(const Raster& r, std::int64_t x1, std::int64_t y1,
                                                       std::int64_t x2, std::int64_t y2, std::uint32_t value) {
    const LineAxes a = axesOf(x1, y1, x2, y2);
    walkSteps(r.pixels + a.y * r.width + a.x, a.majorStride(r.width), a.minorStride(r.width), a.n, a.k, a.n, a.n + 1,
              value);
}

inline bool onRaster(const Raster& r, std::int64_t px, std::int64_t py) {
    return static_cast<std::uint64_t>(px) < static_cast<std::uint64_t>(r.width) &&
           static_cast<std::uint64_t>(py) < static_cast<std::uint64_t>(r.height);
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

// The line between two ends that have been snapped to pixels.
inline void drawSnapped(const Raster& r, std::int64_t px1, std::int64_t py1, bool firstOnRaster, std::int64_t px2,
                        std::int64_t py2, std::uint32_t value) {
    if (firstOnRaster && onRaster(r, px2, py2))
        drawSegmentOnRaster(r, px1, py1, px2, py2, value);
    else
        drawSegment(r, px1, py1, px2, py2, value);
}

// A line with an end beyond kExactLineLimit, or not finite.
void drawFarLine(const Raster& r, double x1, double y1, double x2, double y2, std::uint32_t value) {
    // The sum of four finite floats is finite in double; an infinity or a NaN
    // among them makes it infinite or NaN. One test instead of four.
    if (!std::isfinite((x1 + y1) + (x2 + y2))) return;
    // Pixel p covers [p - 1/2, p + 1/2): the raster spans [-1/2, size - 1/2).
    if (!clipSegment(x1, y1, x2, y2, -0.5 - kLineClipMargin, r.width - 0.5 + kLineClipMargin, -0.5 - kLineClipMargin,
                     r.height - 0.5 + kLineClipMargin))
        return;
    drawSegment(r, static_cast<std::int64_t>(floorWhole(x1 + 0.5)), static_cast<std::int64_t>(floorWhole(y1 + 0.5)),
                static_cast<std::int64_t>(floorWhole(x2 + 0.5)), static_cast<std::int64_t>(floorWhole(y2 + 0.5)),
                value);
}

// A position snapped to its pixel, and whether it was near enough for the
// exact walk (a NaN is not).
struct NearPixel {
    std::int64_t x, y;
    bool near;
};

#if defined(__SSE2__)
inline NearPixel snapPosition(float xf, float yf) {
    // Both coordinates at once, without a branch: near is |v| <= 2^20 (NaN
    // is not), and the pixel floor(v + 1/2) is the truncation, one less where
    // that went up. A scalar conversion pair per coordinate cost more than
    // the rest of a short ray's setup.
    const __m128d v = _mm_cvtps_pd(_mm_set_ps(0, 0, yf, xf));  // exact
    const __m128d magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), v);
    const bool isNear = _mm_movemask_pd(_mm_cmple_pd(magnitude, _mm_set1_pd(kExactLineLimit))) == 3;
    const __m128d d = _mm_add_pd(v, _mm_set1_pd(0.5));
    // Near positions fit 32 bits.
    const __m128i t = _mm_cvttpd_epi32(d);
    const __m128i wentUp =
        _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpgt_pd(_mm_cvtepi32_pd(t), d)), _MM_SHUFFLE(3, 3, 2, 0));
    const __m128i p = _mm_add_epi32(t, wentUp);
    return {_mm_cvtsi128_si32(p), _mm_cvtsi128_si32(_mm_shuffle_epi32(p, _MM_SHUFFLE(1, 1, 1, 1))), isNear};
}
#else
// floor(v + 1/2) for |v| <= 2^20, as floorWhole gives it: the truncation, one
// less where that went up.
inline std::int64_t snapNear(double v) {
    const double d = v + 0.5;
    const auto t = static_cast<std::int64_t>(d);
    return t - static_cast<std::int64_t>(static_cast<double>(t) > d);
}

// NaN fails the comparison, so it takes the far way.
inline bool near(double x, double y) { return std::fabs(x) <= kExactLineLimit && std::fabs(y) <= kExactLineLimit; }

inline NearPixel snapPosition(float xf, float yf) {
    const double x = xf, y = yf;
    if (!near(x, y)) return {0, 0, false};
    return {snapNear(x), snapNear(y), true};
}
#endif

}  // namespace

void Surface::line(float x1f, float y1f, float x2f, float y2f, Colour c) {
    const Raster r{pixels_.data(), width_, height_};
    const NearPixel p1 = snapPosition(x1f, y1f), p2 = snapPosition(x2f, y2f);
    if (p1.near && p2.near) {
        drawSnapped(r, p1.x, p1.y, onRaster(r, p1.x, p1.y), p2.x, p2.y, toPixel(c));
        return;
    }
    drawFarLine(r, x1f, y1f, x2f, y2f, toPixel(c));
}

void Surface::rays(float xf, float yf, std::span<const Point> ends, Colour c) {
    const Raster r{pixels_.data(), width_, height_};
    const std::uint32_t value = toPixel(c);
    const NearPixel start = snapPosition(xf, yf);
    if (!start.near) {
        for (const Point& e : ends) drawFarLine(r, xf, yf, e.x, e.y, value);
        return;
    }
    const bool startOnRaster = onRaster(r, start.x, start.y);
    for (const Point& e : ends) {
        const NearPixel end = snapPosition(e.x, e.y);
        if (end.near)
            drawSnapped(r, start.x, start.y, startOnRaster, end.x, end.y, value);
        else
            drawFarLine(r, xf, yf, e.x, e.y, value);
    }
}

}  // namespace painter
