#pragma once
// A drawing surface of our own: a raster of 32-bit pixels with aliased,
// span-based figures. Every figure clips against the raster in one place
// (see surface.cpp), so any position or radius - fractional, negative, huge,
// infinite or NaN - is safe and costs no more than the visible part.
//
// Positions and radii arrive as single-precision numbers. The one rule by which
// a position becomes a pixel: pixel p covers the positions [p - 1/2, p + 1/2),
// i.e. p = floor(v + 1/2). See surface.cpp for which pixels each figure covers.
//
// Pixels are stored so that a QImage of format RGBX8888 can wrap them directly
// (on a little-endian machine the 32-bit word is 0xFF000000 | colour).

#include "platform/colour.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace painter {

// How a closed figure (a full circle, an ellipse, a box) paints its inside:
// solid in a colour (FillStyle 0), or not at all (every other FillStyle).
struct Fill {
    bool solid = false;
    Colour colour = 0;
};
inline constexpr Fill kNoFill{};
constexpr Fill solidFill(Colour c) { return {true, c}; }

class Surface {
public:
    static constexpr int kPictureWidth = 700;
    static constexpr int kPictureHeight = 525;

    explicit Surface(int width = kPictureWidth, int height = kPictureHeight);

    int width() const { return width_; }
    int height() const { return height_; }

    // BackColor: setting it erases everything to that colour.
    void setBackColor(Colour c);
    Colour backColor() const { return backColor_; }
    void cls();  // erase to the background colour

    Colour foreColor = 0;
    double fontSize = 12;
    float currentX = 0, currentY = 0;

    // PSet: one pixel.
    void pset(float x, float y, Colour c) {
        if (const std::ptrdiff_t k = indexOf(x, y); k >= 0) pixels_[static_cast<std::size_t>(k)] = toPixel(c);
    }
    // Point: the colour at (x, y), or -1 outside the surface (or for NaN).
    Colour point(float x, float y) const {
        const std::ptrdiff_t k = indexOf(x, y);
        return k >= 0 ? toColour(pixels_[static_cast<std::size_t>(k)]) : -1;
    }
    // The pixel that position (x, y) lands on, as an index into pixels(), or
    // -1 when it lies off the raster (or is NaN). Inline: the walking brush
    // modes set and read millions of single pixels a picture.
    std::ptrdiff_t indexOf(float x, float y) const {
        // floor(v + 1/2) for the positions that land on the raster; NaN fails every test.
        const double u = static_cast<double>(x) + 0.5, v = static_cast<double>(y) + 0.5;
        if (u >= 0 && u < width_ && v >= 0 && v < height_)
            return static_cast<std::ptrdiff_t>(v) * width_ + static_cast<std::ptrdiff_t>(u);
        return -1;
    }
    // Line: a segment, both end pixels included.
    void line(float x1, float y1, float x2, float y2, Colour c);
    // Lines from one start to each of `ends` in turn, the same pixels as a
    // line() call each; the start is snapped once (a brush mode draws ten
    // rays from every pixel).
    struct Point {
        float x = 0, y = 0;
    };
    void rays(float x, float y, std::span<const Point> ends, Colour c);
    // Line, box form: the rectangle with those corners, outlined in c, its
    // inside painted as `fill` says.
    void box(float x1, float y1, float x2, float y2, Colour c, Fill fill);
    // Circle: full circle outlined in c, its inside painted as `fill` says.
    // Radius 1 - the specks of the walking modes, a few million a picture - is
    // painted here directly: the 3 x 3 block the general figure gives for it.
    void circle(float x, float y, float radius, Colour c, Fill fill) {
        if (radius == 1.0f)
            speck(x, y, c, fill);
        else
            ellipse(x, y, radius, 1.0f, c, fill);
    }
    // Circle with an aspect (vertical half-axis / horizontal half-axis); the
    // radius is the longer half-axis. Closed, its inside painted as `fill` says.
    void ellipse(float x, float y, float radius, float aspect, Colour c, Fill fill);
    // Circle with start and end angle (radians, counter-clockwise from the
    // positive x axis, y up) and an aspect: an open arc, never filled. Equal
    // angles give the whole outline.
    void arc(float x, float y, float radius, float start, float end, float aspect, Colour c);

    // Direct access: row-major, width() words per row.
    std::uint32_t* pixels() { return pixels_.data(); }
    const std::uint32_t* pixels() const { return pixels_.data(); }
    std::uint32_t* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const std::uint32_t* row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }

    static constexpr std::uint32_t toPixel(Colour c) {
        return 0xFF000000u | (static_cast<std::uint32_t>(c) & 0xFFFFFFu);
    }
    static constexpr Colour toColour(std::uint32_t p) { return static_cast<Colour>(p & 0xFFFFFFu); }

private:
    void speck(float x, float y, Colour c, Fill fill);

    int width_, height_;
    Colour backColor_ = 0;
    std::vector<std::uint32_t> pixels_;
};

}  // namespace painter
