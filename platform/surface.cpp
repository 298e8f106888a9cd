// The drawing surface: which pixels each figure covers, and how it clips.
//
// Positions. Pixel p covers the positions [p - 1/2, p + 1/2), so a position v
// lands on p = floor(v + 1/2), computed in double from the single-precision
// argument (v + 1/2 is exact in double for every float that can matter, so the
// rule is the same on every machine). A NaN anywhere in a call draws nothing,
// and Point gives -1 for it. An infinite position, radius, aspect or angle
// draws nothing either: such a figure has no sensible visible part.
//
// Circles, ellipses and arcs. The centre is snapped to its pixel (cx, cy) by
// the rule above. The half-axes are a (horizontal) and b (vertical): a circle
// has a = b = radius; an ellipse with aspect asp (its absolute value) has
// a = R, b = R * asp when asp < 1 and b = R, a = R / asp when asp > 1, so the
// radius is always the longer half-axis. The figure covers pixel
// (cx + dx, cy + dy) when that pixel's centre lies inside or on the ellipse
// with half-axes A = a + 1/2 and B = b + 1/2: radius 0 is one pixel, radius 1
// a 3 x 3 block, and the figure reaches exactly floor(A) columns and floor(B)
// rows from its centre. Every row's extent comes from one function,
// rowReach, so the outline, the fill and the clipping can never disagree.
// The outline is the figure's pixels that have a 4-neighbour outside the
// figure; per row it follows from the half-widths of that row and its two
// neighbours and is at most two runs. A closed figure with FillStyle 0 paints
// the remaining (interior) pixels in FillColor; outline and interior never
// overlap, so every pixel is written once. A negative radius draws nothing.
//
// Arcs. An arc with different start and end angles draws only the outline
// pixels whose angle - atan2(-dy, dx), y up, taken in [0, 2 pi) - lies on the
// counter-clockwise sweep from the start angle to the end angle, both
// included. Angles count modulo 2 pi; a negative angle counts by its absolute
// value. Equal angles (after that reduction) give the whole outline. An arc is
// never filled, whatever FillStyle says.
//
// Lines. Both end points are snapped by the rule above and joined by the
// Bresenham line: for every step along the major axis the minor coordinate is
// the nearest one to the exact line. The segment is walked from its end with
// the smaller major coordinate, a tie going away from that end, so a line and
// its reverse cover the same pixels. Only the steps that lie inside the raster are walked: the first and
// last visible steps are found in closed form. End points beyond 2^20 pixels
// are first clipped in double precision against the raster grown by a margin
// (Liang-Barsky), so the integer walk never overflows and never spends time on
// invisible length.
//
// Boxes. Both corners are snapped; the box is the inclusive rectangle between
// them: its border in the drawing colour, the inside in FillColor with
// FillStyle 0. A box with equal corners is one pixel.
//
// FillStyle 0 is solid; every other value is treated as transparent.
//
// Clipping happens in one place: clipColumns cuts a run of columns to the
// raster and visibleRow drops rows off it (fillSpan puts the two together).
// Every figure but the line goes through them, except a circle or ellipse that
// lies wholly on the raster, which is known once per figure and then painted
// directly. The line clips in closed form (above). Figures only ever visit
// visible rows, so huge radii and boxes cost no more than the raster itself.

#include "platform/surface.h"

#include "platform/exact_math.h"
#include "platform/whole_numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace painter {
namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;
// Beyond this many pixels a line's end points are clipped in double first, so
// that the exact integer walk stays far from overflow.
constexpr double kExactLineLimit = 1048576.0;  // 2^20
// How far outside the raster a pre-clipped line end may stay; more than the
// rounding of the clip itself can move it.
constexpr double kLineClipMargin = 4.0;


// The pixel that covers position v (integral, or NaN for NaN).
inline double snap(float v) { return floorWhole(static_cast<double>(v) + 0.5); }

// floor(v) for v >= 0, without a library call on targets that lack a rounding
// instruction. Doubles from 2^52 on are whole numbers already.
inline double floorNonNegative(double v) {
    return v < 4503599627370496.0 ? static_cast<double>(static_cast<std::int64_t>(v)) : v;
}

inline bool allFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

struct Raster {
    std::uint32_t* pixels;
    int width;
    int height;
    std::uint32_t* row(int y) const { return pixels + static_cast<std::size_t>(y) * width; }
};

// A run of pixels within one row; count 0 when empty.
struct Run {
    int first = 0;
    int count = 0;
};

// Columns x0..x1 (inclusive) cut to the raster; x0, x1 whole numbers held as
// doubles (any size) or as 64-bit integers. With visibleRow below, the one
// place where figures meet the raster's edges.
template <typename T>
inline Run clipColumns(const Raster& r, T x0, T x1) {
    x0 = std::max(x0, T(0));
    x1 = std::min(x1, T(r.width - 1));
    if (!(x0 <= x1)) return {};
    const int first = static_cast<int>(x0);
    return {first, static_cast<int>(x1) - first + 1};
}

inline bool visibleRow(const Raster& r, double y) { return y >= 0 && y < r.height; }

inline void paint(std::uint32_t* p, int count, std::uint32_t value) {
#if defined(__SSE2__)
    // Four pixels a store; the library's fill_n stores one at a time here,
    // and the filled figures write hundreds of pixels per call. The last store
    // may overlap the one before: it writes the same value.
    if (count >= 4) {
        const __m128i v = _mm_set1_epi32(static_cast<int>(value));
        for (int i = 0; i + 4 < count; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + count - 4), v);
        return;
    }
#endif
    // The outline's runs are mostly a pixel or two: a plain loop.
    for (int i = 0; i < count; ++i) p[i] = value;
}

inline void paint(std::uint32_t* row, Run run, std::uint32_t value) { paint(row + run.first, run.count, value); }

// Pixels x0..x1 of row y, whatever part of them is visible.
inline void fillSpan(const Raster& r, double y, double x0, double x1, std::uint32_t value) {
    if (!visibleRow(r, y)) return;
    paint(r.row(static_cast<int>(y)), clipColumns(r, x0, x1), value);
}

// How far the ellipse's span reaches d rows from its centre: the span's
// half-width is the whole part of this, and -1 means the row lies outside.
// In exact arithmetic the half-width is the largest whole dx with
// (dx / A)^2 + (d / B)^2 <= 1, with ratio = A / B; this formula, correctly
// rounded square root and all, gives the same bits on every machine. For a circle the ratio is exactly 1 and this is
// sqrt(A^2 - d^2), exact whenever that is a whole number, so the pixels on the
// exact boundary are always in. Every row of every figure is measured here.
inline double rowReach(double A, double B, double ratio, double d) {
    d = std::fabs(d);
    if (!(d <= B)) return -1;
    // The centre row reaches exactly A; B * (A / B) might miss it by a hair.
    if (d == 0) return A;
    // (B - d) * (B + d) rather than B * B - d * d: no cancellation near the top.
    return std::sqrt((B - d) * (B + d)) * ratio;
}

struct ArcSweep {
    bool partial = false;  // false: the whole outline
    double start = 0, end = 0;
};

inline bool onSweep(const ArcSweep& sweep, double dx, double upDy) {
    double angle = xm::atan2(upDy, dx);
    if (angle < 0) angle += kTwoPi;
    if (sweep.start <= sweep.end) return angle >= sweep.start && angle <= sweep.end;
    return angle >= sweep.start || angle <= sweep.end;
}

enum class Fill { None, Solid };

// Rows of an ellipse whose centre lies closer than this to the raster are
// drawn in 64-bit integers; distances from such a centre are exact.
constexpr double kNearCentre = 1073741824.0;  // 2^30
// Wider half-widths are cut to this: with the centre nearer than 2^30, a span
// that wide already covers the raster, so no visible pixel changes.
constexpr double kWidthCap = 2147483648.0;  // 2^31

// One figure: centre pixel (cx, cy), half-axes grown by half a pixel (A, B).
struct EllipseJob {
    Raster r;
    double cx, cy, A, B;
    double ratio;  // A / B
    Fill fill;
    std::uint32_t outline, inside;
    ArcSweep sweep;

    struct RowRuns {
        Run left, right, inside;
    };

    // The runs of a row whose span has half-width `here` (>= 0) and whose
    // interior - the pixels with all four neighbours in the figure - has
    // half-width `interior` (-1: none).
    template <typename T>
    RowRuns runs(T x, T here, T interior) const {
        RowRuns out;
        if (interior < 0) {
            out.left = clipColumns(r, x - here, x + here);
        } else {
            out.left = clipColumns(r, x - here, x - interior - 1);
            out.right = clipColumns(r, x + interior + 1, x + here);
            if (fill == Fill::Solid) out.inside = clipColumns(r, x - interior, x + interior);
        }
        return out;
    }

    void paintRow(double y, const RowRuns& runs) const {
        if (!visibleRow(r, y)) return;
        std::uint32_t* p = r.row(static_cast<int>(y));
        if (sweep.partial) {
            arcRun(p, y, runs.left);
            arcRun(p, y, runs.right);
            return;
        }
        paint(p, runs.left, outline);
        paint(p, runs.right, outline);
        paint(p, runs.inside, inside);
    }

    // The outline pixels of a run that lie on the arc's sweep.
    void arcRun(std::uint32_t* p, double y, Run run) const {
        // cy - y rather than -(y - cy): +0 on the centre row, whose left half
        // must have the angle pi, not -pi.
        const double upDy = cy - y;
        for (int x = run.first; x < run.first + run.count; ++x)
            if (onSweep(sweep, x - cx, upDy)) p[x] = outline;
    }

    // The half-width of the span d rows from the centre, -1 for none.
    double width(double d) const {
        const double reach = rowReach(A, B, ratio, d);
        return reach < 0 ? -1 : floorNonNegative(reach);
    }
    // The same, cut to kWidthCap; truncation is the whole part of a reach >= 0.
    std::int64_t cappedWidth(double d) const {
        return static_cast<std::int64_t>(std::min(rowReach(A, B, ratio, d), kWidthCap));
    }

    // Calls paintPair(d, here, interior) for the distances dFirst..dLast from
    // the centre row whose rows are in the figure: `here` is the row's
    // half-width, `interior` that of its interior - the pixels with all four
    // neighbours in the figure (-1: none).
    template <typename PaintPair>
    void walkRows(std::int64_t dFirst, std::int64_t dLast, PaintPair&& paintPair) const {
        // The half-widths of a stretch of rows first, then the painting: the
        // square roots pipeline freely in a loop without unpredictable branches.
        constexpr int kStretch = 64;
        std::int64_t widths[kStretch + 2];
        for (std::int64_t d0 = dFirst; d0 <= dLast; d0 += kStretch) {
            const int n = static_cast<int>(std::min<std::int64_t>(kStretch, dLast - d0 + 1));
            for (int i = 0; i < n + 2; ++i) widths[i] = cappedWidth(static_cast<double>(d0 - 1 + i));
            for (int i = 1; i <= n; ++i)
                if (widths[i] >= 0) paintPair(d0 + i - 1, widths[i], std::min({widths[i] - 1, widths[i - 1], widths[i + 1]}));
        }
    }

    // The common case, a figure that lies wholly on the raster: the same rows
    // as below, painted without clipping, the four outline runs of a row pair
    // (equally long by symmetry) in one loop.
    void drawWhollyInside() const {
        const int x = static_cast<int>(cx), y = static_cast<int>(cy);
        const bool solid = fill == Fill::Solid;
        const std::uint32_t c = outline;
        walkRows(0, static_cast<std::int64_t>(floorNonNegative(B)), [&](std::int64_t d, std::int64_t here64, std::int64_t interior64) {
            const int here = static_cast<int>(here64), interior = static_cast<int>(interior64);
            // On the centre row both rows are the same one; painting it twice is harmless.
            std::uint32_t* top = r.row(y - static_cast<int>(d)) + x;
            std::uint32_t* bottom = r.row(y + static_cast<int>(d)) + x;
            if (interior < 0) {
                paint(top - here, 2 * here + 1, c);
                paint(bottom - here, 2 * here + 1, c);
                return;
            }
            std::uint32_t *p0 = top - here, *p1 = top + interior + 1, *p2 = bottom - here, *p3 = bottom + interior + 1;
            for (int i = 0, n = here - interior; i < n; ++i) p0[i] = p1[i] = p2[i] = p3[i] = c;
            if (solid) {
                paint(top - interior, 2 * interior + 1, inside);
                if (d > 0) paint(bottom - interior, 2 * interior + 1, inside);
            }
        });
    }

    void draw() const {
        const double reachX = floorNonNegative(A);
        const double reachY = floorNonNegative(B);
        if (cx + reachX < 0 || cx - reachX > r.width - 1) return;
        if (cy + reachY < 0 || cy - reachY > r.height - 1) return;

        if (fill == Fill::None) {
            // Nothing to draw when the raster lies wholly in the figure's
            // interior: every visible row's interior reaches past both sides.
            // Rows -1 and height are the farthest from the centre that the
            // visible outline depends on, and a row's width only shrinks away
            // from the centre.
            const double edge = std::min(width(-1 - cy), width(r.height - cy));
            if (edge - 1 >= std::max(cx, (r.width - 1) - cx)) return;
        }

        if (!sweep.partial && cx - reachX >= 0 && cx + reachX <= r.width - 1 && cy - reachY >= 0 &&
            cy + reachY <= r.height - 1) {
            drawWhollyInside();
            return;
        }

        const double yTop = std::max(cy - reachY, 0.0);
        const double yBottom = std::min(cy + reachY, static_cast<double>(r.height - 1));
        if (std::fabs(cx) < kNearCentre && std::fabs(cy) < kNearCentre) {
            // Rows come in pairs cy - d and cy + d with the same runs: walk the
            // distances d that have a visible row and paint both rows of each.
            const auto x = static_cast<std::int64_t>(cx);
            const auto top = static_cast<std::int64_t>(yTop), bottom = static_cast<std::int64_t>(yBottom);
            const auto y = static_cast<std::int64_t>(cy);
            std::int64_t dFirst = 0;
            if (y < top) dFirst = top - y;
            if (y > bottom) dFirst = y - bottom;
            const std::int64_t dLast = std::max(y - top, bottom - y);
            walkRows(dFirst, dLast, [&](std::int64_t d, std::int64_t here, std::int64_t interior) {
                const RowRuns row = runs(x, here, interior);
                paintRow(static_cast<double>(y - d), row);
                if (d > 0) paintRow(static_cast<double>(y + d), row);
            });
        } else {
            // A centre this far away: one visible row at a time, in doubles.
            double above = width(yTop - 1 - cy), here = width(yTop - cy);
            for (double y = yTop; y <= yBottom; ++y) {
                const double below = width(y + 1 - cy);
                if (here >= 0) paintRow(y, runs(cx, here, std::min({here - 1, above, below})));
                above = here;
                here = below;
            }
        }
    }
};

// Half-axes for a radius and an aspect; false when nothing is to be drawn.
inline bool halfAxes(double radius, double aspect, double& a, double& b) {
    if (!allFinite({radius, aspect}) || radius < 0) return false;
    aspect = std::fabs(aspect);
    a = radius;
    b = radius;
    if (aspect < 1) b = radius * aspect;
    else if (aspect > 1) a = radius / aspect;
    return true;
}

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
bool clipSegment(double& x1, double& y1, double& x2, double& y2, double xLo, double xHi, double yLo,
                 double yHi) {
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

Surface::Surface(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, toPixel(0)) {}

void Surface::setBackColor(Colour c) {
    backColor_ = c;
    cls();
}

void Surface::cls() { std::fill(pixels_.begin(), pixels_.end(), toPixel(backColor_)); }

void Surface::line(float x1f, float y1f, float x2f, float y2f, Colour c) {
    double x1 = x1f, y1 = y1f, x2 = x2f, y2 = y2f;
    // The sum of four finite floats is finite in double; an infinity or a NaN
    // among them makes it infinite or NaN. One test instead of four.
    if (!std::isfinite((x1 + y1) + (x2 + y2))) return;
    const double far = std::max({std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2)});
    if (far > kExactLineLimit) {
        // Pixel p covers [p - 1/2, p + 1/2): the raster spans [-1/2, size - 1/2).
        if (!clipSegment(x1, y1, x2, y2, -0.5 - kLineClipMargin, width_ - 0.5 + kLineClipMargin,
                         -0.5 - kLineClipMargin, height_ - 0.5 + kLineClipMargin))
            return;
    }
    const Raster r{pixels_.data(), width_, height_};
    drawSegment(r, static_cast<std::int64_t>(floorWhole(x1 + 0.5)), static_cast<std::int64_t>(floorWhole(y1 + 0.5)),
                static_cast<std::int64_t>(floorWhole(x2 + 0.5)), static_cast<std::int64_t>(floorWhole(y2 + 0.5)),
                toPixel(c));
}

void Surface::box(float x1, float y1, float x2, float y2, Colour c) {
    const double ax = snap(x1), ay = snap(y1), bx = snap(x2), by = snap(y2);
    if (!allFinite({ax, ay, bx, by})) return;
    const double left = std::min(ax, bx), right = std::max(ax, bx);
    const double top = std::min(ay, by), bottom = std::max(ay, by);
    const Raster r{pixels_.data(), width_, height_};
    const std::uint32_t edge = toPixel(c);
    fillSpan(r, top, left, right, edge);
    if (bottom > top) fillSpan(r, bottom, left, right, edge);
    if (bottom - top < 2) return;
    const double yFirst = std::max(top + 1, 0.0);
    const double yLast = std::min(bottom - 1, static_cast<double>(height_ - 1));
    if (!(yFirst <= yLast)) return;
    // Every row between top and bottom has the same three runs.
    const Run leftSide = clipColumns(r, left, left);
    const Run rightSide = right > left ? clipColumns(r, right, right) : Run{};
    const bool solid = fillStyle == 0 && right - left >= 2;
    const Run inside = solid ? clipColumns(r, left + 1, right - 1) : Run{};
    const std::uint32_t fill = toPixel(fillColor);
    const int first = static_cast<int>(yFirst), last = static_cast<int>(yLast);
    std::uint32_t* model = r.row(first);
    paint(model, leftSide, edge);
    paint(model, rightSide, edge);
    paint(model, inside, fill);
    if (solid) {
        // A solid box's rows are all alike: copy the first one.
        const Run whole = clipColumns(r, left, right);
        for (int y = first + 1; y <= last; ++y) std::copy_n(model + whole.first, whole.count, r.row(y) + whole.first);
    } else {
        for (int y = first + 1; y <= last; ++y) {
            paint(r.row(y), leftSide, edge);
            paint(r.row(y), rightSide, edge);
        }
    }
}

void Surface::speck(float x, float y, Colour c) {
    // The circle of radius 1: half-axes 1.5, so every row of the 3 x 3 block
    // around the centre pixel reaches one column; only the centre has all four
    // neighbours in the figure, so it is the interior and the other eight the
    // outline. Clipping is per pixel; a NaN or infinite centre fails the tests.
    const double cx = snap(x), cy = snap(y);
    if (!(cx >= -1 && cx <= width_ && cy >= -1 && cy <= height_)) return;
    const int x0 = static_cast<int>(cx), y0 = static_cast<int>(cy);
    const std::uint32_t edge = toPixel(c);
    const bool solid = fillStyle == 0;
    const std::uint32_t inside = toPixel(fillColor);
    if (x0 >= 1 && x0 < width_ - 1 && y0 >= 1 && y0 < height_ - 1) {
        std::uint32_t* p = pixels_.data() + static_cast<std::size_t>(y0) * width_ + x0;
        p[-width_ - 1] = p[-width_] = p[-width_ + 1] = edge;
        p[-1] = p[1] = edge;
        if (solid) p[0] = inside;
        p[width_ - 1] = p[width_] = p[width_ + 1] = edge;
        return;
    }
    for (int y = y0 - 1; y <= y0 + 1; ++y) {
        if (y < 0 || y >= height_) continue;
        for (int xx = x0 - 1; xx <= x0 + 1; ++xx) {
            if (xx < 0 || xx >= width_) continue;
            const bool centre = xx == x0 && y == y0;
            if (centre && !solid) continue;
            pixels_[static_cast<std::size_t>(y) * width_ + xx] = centre ? inside : edge;
        }
    }
}

void Surface::ellipse(float x, float y, float radius, float aspect, Colour c) {
    const double cx = snap(x), cy = snap(y);
    double a, b;
    if (!allFinite({cx, cy}) || !halfAxes(radius, aspect, a, b)) return;
    const EllipseJob job{{pixels_.data(), width_, height_}, cx, cy, a + 0.5, b + 0.5, (a + 0.5) / (b + 0.5),
                         fillStyle == 0 ? Fill::Solid : Fill::None, toPixel(c), toPixel(fillColor), ArcSweep{}};
    job.draw();
}

void Surface::arc(float x, float y, float radius, float start, float end, float aspect, Colour c) {
    const double cx = snap(x), cy = snap(y);
    double a, b;
    if (!allFinite({cx, cy, start, end}) || !halfAxes(radius, aspect, a, b)) return;
    ArcSweep sweep;
    // Equal angles reduce to equal angles: the whole outline, without the two
    // library remainders (mode 8 draws one such arc a pixel).
    if (start != end) {
        sweep.start = std::fmod(std::fabs(static_cast<double>(start)), kTwoPi);
        sweep.end = std::fmod(std::fabs(static_cast<double>(end)), kTwoPi);
        sweep.partial = sweep.start != sweep.end;
    }
    const EllipseJob job{{pixels_.data(), width_, height_}, cx, cy, a + 0.5, b + 0.5, (a + 0.5) / (b + 0.5), Fill::None, toPixel(c), 0, sweep};
    job.draw();
}

}  // namespace painter
