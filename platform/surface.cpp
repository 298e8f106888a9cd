// The drawing surface: which pixels each figure covers, and how it clips.
// Circles, ellipses and arcs are in surface_ellipses.cpp, lines in
// surface_lines.cpp, text in surface_text.cpp; what they share in
// surface_raster.h.
//
// Positions. Pixel p covers the positions [p - 1/2, p + 1/2), so a position v
// lands on p = floor(v + 1/2), computed in double from the single-precision
// argument (v + 1/2 is exact in double for every float that can matter, so the
// rule is the same on every machine). A NaN anywhere in a call draws nothing,
// and Point gives -1 for it. An infinite position, radius, aspect or angle
// draws nothing either: such a figure has no sensible visible part.
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
// directly. The line clips in closed form (surface_lines.cpp). Figures only ever visit
// visible rows, so huge radii and boxes cost no more than the raster itself.

#include "platform/surface.h"

#include "platform/surface_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace painter {

using namespace raster;

Surface::Surface(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, toPixel(0)) {}

void Surface::setBackColor(Colour c) {
    backColor_ = c;
    cls();
}

void Surface::cls() { std::fill(pixels_.begin(), pixels_.end(), toPixel(backColor_)); }

void Surface::box(float x1, float y1, float x2, float y2, Colour c, Fill fill) {
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
    const bool solid = fill.solid && right - left >= 2;
    const Run insideRun = solid ? clipColumns(r, left + 1, right - 1) : Run{};
    const std::uint32_t inside = toPixel(fill.colour);
    const int first = static_cast<int>(yFirst), last = static_cast<int>(yLast);
    std::uint32_t* model = r.row(first);
    paint(model, leftSide, edge);
    paint(model, rightSide, edge);
    paint(model, insideRun, inside);
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

}  // namespace painter
