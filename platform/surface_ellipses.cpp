// Circles, ellipses and arcs on the drawing surface (see surface.cpp for
// the positions).
//
// Circles, ellipses and arcs. The centre is snapped to its pixel (cx, cy) by
// the rule of surface.cpp. The half-axes are a (horizontal) and b (vertical): a circle
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

#include "platform/surface.h"

#include "platform/exact_math.h"
#include "platform/surface_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace painter {
namespace {

using namespace raster;

constexpr double kTwoPi = 6.283185307179586476925286766559;

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

enum class FillKind { None, Solid };
// How a figure's rows are painted: the outline alone, the outline and a fill
// of another colour, or outline and fill in one colour, one run a row.
enum class RowStyle { Outline, Filled, OneColour };

// Rows of an ellipse whose centre lies closer than this to the raster are
// drawn in 64-bit integers; distances from such a centre are exact.
constexpr double kNearCentre = 1073741824.0;  // 2^30
// Wider half-widths are cut to this: with the centre nearer than 2^30, a span
// that wide already covers the raster, so no visible pixel changes. It is the
// largest 32-bit integer, so that two rows' widths convert in one instruction.
constexpr double kWidthCap = 2147483647.0;  // 2^31 - 1
// With a vertical half-axis B below this, no row but the centre one reaches
// floor(A): row d >= 1 reaches A * sqrt(1 - d^2 / B^2) <= A * (1 - 1 / (2 B^2))
// exactly, short of A by far more than the few roundings of rowReach add.
// So the columns within floor(A) of the centre hold every row.
constexpr double kExactRows = 16777216.0;  // 2^24

// One figure: centre pixel (cx, cy), half-axes grown by half a pixel (A, B).
struct EllipseJob {
    Raster r;
    double cx = 0, cy = 0, A = 0, B = 0;
    double ratio = 1;  // A / B
    FillKind fill = FillKind::None;
    std::uint32_t outline = 0, inside = 0;
    ArcSweep sweep{};

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
            if (fill == FillKind::Solid) out.inside = clipColumns(r, x - interior, x + interior);
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
    std::int32_t cappedWidth(double d) const {
        return static_cast<std::int32_t>(std::min(rowReach(A, B, ratio, d), kWidthCap));
    }
    // cappedWidth of rows d0, d0 + 1, ... d0 + n - 1 (d0 + n <= kStretch + 2 rows of room).
    void cappedWidths(std::int64_t d0, int n, std::int32_t* out) const {
#if defined(__SSE2__)
        // Two rows a step, with the very operations of rowReach: the same
        // correctly rounded sqrt, the clamp at 0 only ever touches rows
        // outside (d > B), which get -1, and the centre row, the one row
        // that rowReach takes apart, is set afterwards.
        const __m128d b = _mm_set1_pd(B), k = _mm_set1_pd(ratio), cap = _mm_set1_pd(kWidthCap);
        const __m128d sign = _mm_set1_pd(-0.0), zero = _mm_setzero_pd(), two = _mm_set1_pd(2);
        const __m128i none = _mm_set1_epi32(-1);
        __m128d d = _mm_set_pd(static_cast<double>(d0 + 1), static_cast<double>(d0));
        for (int i = 0; i < n; i += 2, d = _mm_add_pd(d, two)) {
            const __m128d dd = _mm_andnot_pd(sign, d);
            const __m128d q = _mm_max_pd(_mm_mul_pd(_mm_sub_pd(b, dd), _mm_add_pd(b, dd)), zero);
            const __m128d reach = _mm_min_pd(_mm_mul_pd(_mm_sqrt_pd(q), k), cap);
            const __m128i in = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmple_pd(dd, b)), _MM_SHUFFLE(3, 3, 2, 0));
            const __m128i w = _mm_or_si128(_mm_cvttpd_epi32(reach), _mm_andnot_si128(in, none));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), w);
        }
        if (d0 <= 0 && d0 + n > 0) out[-d0] = cappedWidth(0);
#else
        for (int i = 0; i < n; ++i) out[i] = cappedWidth(static_cast<double>(d0 + i));
#endif
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
        std::int32_t widths[kStretch + 4];  // room for the last pair's second row
        for (std::int64_t d0 = dFirst; d0 <= dLast; d0 += kStretch) {
            const int n = static_cast<int>(std::min<std::int64_t>(kStretch, dLast - d0 + 1));
            cappedWidths(d0 - 1, n + 2, widths);
            for (int i = 1; i <= n; ++i)
                if (widths[i] >= 0)
                    paintPair(d0 + i - 1, std::int64_t{widths[i]},
                              std::int64_t{std::min({widths[i] - 1, widths[i - 1], widths[i + 1]})});
        }
    }

    // One row of a figure whose columns all lie on the raster; p points at
    // its centre column. With the fill in the outline's colour the row is a
    // single run.
    template <RowStyle kStyle>
    void paintWholeRow(std::uint32_t* p, int here, int interior) const {
        if (interior < 0 || kStyle == RowStyle::OneColour) {
            paint(p - here, 2 * here + 1, outline);
            return;
        }
        paint(p - here, here - interior, outline);
        paint(p + interior + 1, here - interior, outline);
        if constexpr (kStyle == RowStyle::Filled) paint(p - interior, 2 * interior + 1, inside);
    }

    // A whole outline or closed figure near the raster: rows y - d and y + d
    // for d = dFirst..dLast, those of them on the raster. Up to dBoth both
    // rows of a pair are on the raster (none when the centre row is off it)
    // and share their runs; past it, only the rows on one side are. With
    // kInside every column of the figure lies on the raster (the common
    // case): no run is cut, and the four outline runs of a pair (equally
    // long by symmetry) go in one loop.
    // kStyle is what the fill and the colours say, known to the compiler so
    // that the pair loop tests nothing but the widths.
    template <bool kInside, RowStyle kStyle>
    void drawRows(std::int64_t x, std::int64_t y, std::int64_t dFirst, std::int64_t dLast) const {
        const std::int64_t lastRow = r.height - 1;
        const bool centreOn = y >= 0 && y <= lastRow;
        const std::int64_t dBoth = centreOn ? std::min(y, lastRow - y) : -1;
        const std::int64_t side = (centreOn ? y < lastRow - y : y < 0) ? 1 : -1;
        constexpr bool solid = kStyle != RowStyle::Outline;
        constexpr bool oneRun = kStyle == RowStyle::OneColour;
        const std::uint32_t edge = outline, in = inside;
        const std::ptrdiff_t stride = r.width;
        const auto paintRuns = [&](std::uint32_t* row, const RowRuns& runs) {
            paint(row, runs.left, edge);
            paint(row, runs.right, edge);
            paint(row, runs.inside, in);
        };
        // The pairs, a stretch of rows at a time as in walkRows, but with the
        // two rows' pointers stepped outwards rather than worked out anew:
        // this loop runs once for every row pair of every outline and disc.
        constexpr int kStretch = 64;
        std::int32_t widths[kStretch + 4];  // room for the last pair's second row
        const std::int64_t dPairs = std::min(dLast, dBoth);
        for (std::int64_t d0 = dFirst; d0 <= dPairs; d0 += kStretch) {
            const int count = static_cast<int>(std::min<std::int64_t>(kStretch, dPairs - d0 + 1));
            cappedWidths(d0 - 1, count + 2, widths);
            std::uint32_t* top = r.row(static_cast<int>(y - d0));
            std::uint32_t* bottom = r.row(static_cast<int>(y + d0));
            for (int i = 1; i <= count; ++i, top -= stride, bottom += stride) {
                const int here = widths[i];
                if (here < 0) continue;
                const int interior = std::min({here - 1, widths[i - 1], widths[i + 1]});
                // On the centre row both rows are the same one: its inside is
                // painted once, its outline twice, which is harmless.
                if constexpr (!kInside) {
                    const RowRuns row = runs<std::int64_t>(x, here, interior);
                    paintRuns(top, row);
                    if (top != bottom) paintRuns(bottom, row);
                    continue;
                }
                std::uint32_t* const t = top + x;
                std::uint32_t* const b = bottom + x;
                if (interior < 0 || oneRun) {
                    paint(t - here, 2 * here + 1, edge);
                    paint(b - here, 2 * here + 1, edge);
                    continue;
                }
                std::uint32_t *p0 = t - here, *p1 = t + interior + 1, *p2 = b - here, *p3 = b + interior + 1;
                const int n = here - interior;
                if (n < 4) {
                    for (int k = 0; k < n; ++k) p0[k] = p1[k] = p2[k] = p3[k] = edge;
                } else {
                    // The rows near the ends of a flat or tall figure: wide stores.
                    paint(p0, n, edge);
                    paint(p1, n, edge);
                    paint(p2, n, edge);
                    paint(p3, n, edge);
                }
                if constexpr (solid) {
                    paint(t - interior, 2 * interior + 1, in);
                    if (t != b) paint(b - interior, 2 * interior + 1, in);
                }
            }
        }
        walkRows(std::max(dFirst, dBoth + 1), dLast, [&](std::int64_t d, std::int64_t here, std::int64_t interior) {
            std::uint32_t* row = r.row(static_cast<int>(y + side * d));
            if constexpr (kInside)
                paintWholeRow<kStyle>(row + x, static_cast<int>(here), static_cast<int>(interior));
            else
                paintRuns(row, runs(x, here, interior));
        });
    }

    void draw() const {
        const double reachX = floorNonNegative(A);
        const double reachY = floorNonNegative(B);
        if (cx + reachX < 0 || cx - reachX > r.width - 1) return;
        if (cy + reachY < 0 || cy - reachY > r.height - 1) return;

        if (fill == FillKind::None) {
            // Nothing to draw when the raster lies wholly in the figure's
            // interior: every visible row's interior reaches past both sides.
            // Rows -1 and height are the farthest from the centre that the
            // visible outline depends on, and a row's width only shrinks away
            // from the centre.
            const double edge = std::min(width(-1 - cy), width(r.height - cy));
            if (edge - 1 >= std::max(cx, (r.width - 1) - cx)) return;
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
            if (!sweep.partial) {
                const bool columnsInside = B < kExactRows && cx - reachX >= 0 && cx + reachX <= r.width - 1;
                const RowStyle style = fill != FillKind::Solid ? RowStyle::Outline
                                       : inside == outline     ? RowStyle::OneColour
                                                               : RowStyle::Filled;
                const auto drawIn = [&]<RowStyle kStyle>() {
                    if (columnsInside)
                        drawRows<true, kStyle>(x, y, dFirst, dLast);
                    else
                        drawRows<false, kStyle>(x, y, dFirst, dLast);
                };
                if (style == RowStyle::Outline)
                    drawIn.template operator()<RowStyle::Outline>();
                else if (style == RowStyle::OneColour)
                    drawIn.template operator()<RowStyle::OneColour>();
                else
                    drawIn.template operator()<RowStyle::Filled>();
                return;
            }
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

// The figure of a circle call: its centre pixel and its half-axes grown by
// half a pixel; false when nothing is to be drawn. The full figure and the
// arc share it, so they cover the same outline.
inline bool shapeOf(float x, float y, float radius, float aspect, EllipseJob& job) {
    const double cx = snap(x), cy = snap(y);
    if (!allFinite({cx, cy, radius, aspect}) || radius < 0) return false;
    const double r = radius, asp = std::fabs(static_cast<double>(aspect));
    double a = r, b = r;
    if (asp < 1)
        b = r * asp;
    else if (asp > 1)
        a = r / asp;
    job.cx = cx;
    job.cy = cy;
    job.A = a + 0.5;
    job.B = b + 0.5;
    job.ratio = job.A / job.B;
    return true;
}

}  // namespace

void Surface::speck(float x, float y, Colour c, Fill fill) {
    // The circle of radius 1: half-axes 1.5, so every row of the 3 x 3 block
    // around the centre pixel reaches one column; only the centre has all four
    // neighbours in the figure, so it is the interior and the other eight the
    // outline. Clipping is per pixel; a NaN or infinite centre fails the tests.
    const double cx = snap(x), cy = snap(y);
    if (!(cx >= -1 && cx <= width_ && cy >= -1 && cy <= height_)) return;
    const int x0 = static_cast<int>(cx), y0 = static_cast<int>(cy);
    const std::uint32_t edge = toPixel(c);
    const bool solid = fill.solid;
    const std::uint32_t inside = toPixel(fill.colour);
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

void Surface::ellipse(float x, float y, float radius, float aspect, Colour c, Fill fill) {
    EllipseJob job{.r = {pixels_.data(), width_, height_},
                   .fill = fill.solid ? FillKind::Solid : FillKind::None,
                   .outline = toPixel(c),
                   .inside = toPixel(fill.colour)};
    if (shapeOf(x, y, radius, aspect, job)) job.draw();
}

void Surface::arc(float x, float y, float radius, float start, float end, float aspect, Colour c) {
    if (!allFinite({start, end})) return;
    EllipseJob job{.r = {pixels_.data(), width_, height_}, .fill = FillKind::None, .outline = toPixel(c)};
    // Equal angles reduce to equal angles: the whole outline, without the two
    // library remainders (mode 8 draws one such arc a pixel).
    if (start != end) {
        job.sweep.start = std::fmod(std::fabs(static_cast<double>(start)), kTwoPi);
        job.sweep.end = std::fmod(std::fabs(static_cast<double>(end)), kTwoPi);
        job.sweep.partial = job.sweep.start != job.sweep.end;
    }
    if (shapeOf(x, y, radius, aspect, job)) job.draw();
}

}  // namespace painter
