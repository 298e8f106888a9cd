#pragma once
// A surface that keeps a fill beside it for the tests, which set one up and
// then draw several figures with it: FillStyle 0 fills solid in FillColor,
// every other style leaves the inside. The program passes each figure its
// fill; these forms only spare the tests' tables repeating it.

#include "platform/surface.h"

namespace painter::testing {

class FillingSurface : public Surface {
public:
    using Surface::Surface;
    FillingSurface(const Surface& s) : Surface(s) {}  // NOLINT: a recorded surface to draw on

    int fillStyle = 0;
    Colour fillColor = 0;
    Fill fill() const { return fillStyle == 0 ? solidFill(fillColor) : kNoFill; }

    using Surface::box;
    using Surface::circle;
    using Surface::ellipse;
    void box(float x1, float y1, float x2, float y2, Colour c) { Surface::box(x1, y1, x2, y2, c, fill()); }
    void circle(float x, float y, float radius, Colour c) { Surface::circle(x, y, radius, c, fill()); }
    void ellipse(float x, float y, float radius, float aspect, Colour c) {
        Surface::ellipse(x, y, radius, aspect, c, fill());
    }
};

}  // namespace painter::testing
