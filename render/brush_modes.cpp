#include "render/brush_modes.h"

#include "platform/exact_math.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace painter {
namespace {

float f(double v) { return static_cast<float>(v); }  // positions go to the surface in single precision

// Random walk of modes 9, 10 and 11: 20 whole steps from the anchor, x drawn
// before y. Modes 10 and 11 mark a position only where the picture is still black.
void randomWalk(int mode, PictureState& s, const PixelMark& m, Surface& pic, RandomGenerator& rng) {
    double px = s.i + m.sm;
    double py = s.j + m.cm;
    const int w = mode == 9 ? 5 : 9;
    const int h = mode == 9 ? 2 : 4;
    if (mode == 10) s.fillColor = m.colour;
    // The generator and the walk stay in registers through the 20 steps; no
    // one looks at the counter n until the walk is done, when it is 21.
    RandomGenerator g = rng;
    if (mode == 9) {
        std::uint32_t* pixels = pic.pixels();
        const std::uint32_t value = Surface::toPixel(m.colour);
        for (int n = 1; n <= 20; ++n) {
            px += walkStep(g.nextBits(), w, h);
            py += walkStep(g.nextBits(), w, h);
            if (const std::ptrdiff_t k = pic.indexOf(f(px), f(py)); k >= 0) pixels[k] = value;  // PSet
        }
    } else {
        for (int n = 1; n <= 20; ++n) {
            px += walkStep(g.nextBits(), w, h);
            py += walkStep(g.nextBits(), w, h);
            if (pic.point(f(px), f(py)) == 0) pic.circle(f(px), f(py), 1, m.colour, solidFill(s.fillColor));
        }
    }
    rng = g;
    s.n = 21;
}

// Triangle of modes 14 and 15: three points on a circle of radius 150 / scale
// around the pixel itself, joined P1-P2, P2-P3, P3-P1.
void triangle(double scale, const PictureState& s, const PixelMark& m, Surface& pic) {
    const double x1 = s.i + m.sr / scale, y1 = s.j + m.cr / scale;
    const double x2 = s.i + m.sg / scale, y2 = s.j + m.cg / scale;
    const double x3 = s.i + m.sb / scale, y3 = s.j + m.cb / scale;
    pic.line(f(x1), f(y1), f(x2), f(y2), m.colour);
    pic.line(f(x2), f(y2), f(x3), f(y3), m.colour);
    pic.line(f(x3), f(y3), f(x1), f(y1), m.colour);
}

}  // namespace

void MarkPixel(int mode, PictureState& s, const PixelMark& m, Surface& pic, RandomGenerator& rng) {
    const Colour c = m.colour;
    const double ax = s.i + m.sm;  // the anchor point
    const double ay = s.j + m.cm;
    auto rnd = [&rng] { return static_cast<double>(rng.next()); };
    switch (mode) {
    default:
    case 1: pic.pset(f(s.i), f(s.j), c); break;
    case 2: pic.circle(f(ax), f(ay), 1, c, solidFill(s.fillColor)); break;
    case 3: pic.line(f(s.i + m.ex1), f(s.j + m.ey1), f(s.i - m.ex2), f(s.j - m.ey2), c); break;
    case 4:
        s.fillColor = 0;
        pic.circle(f(ax), f(ay), f(s.rr), c, solidFill(s.fillColor));
        break;
    case 5:
        s.fillColor = c;
        pic.circle(f(ax), f(ay), f(s.rr), c, solidFill(s.fillColor));
        break;
    case 6: {
        s.fillColor = 0;
        const double asp = rnd() * 2 + 0.1;
        pic.ellipse(f(ax), f(ay), f(2 * s.rr), f(asp), c, solidFill(s.fillColor));
        break;
    }
    case 7: {
        s.fillColor = c;
        const double asp = rnd() * 5 + 0.01;
        pic.ellipse(f(ax), f(ay), f(s.rr / 3), f(asp), c, solidFill(s.fillColor));
        break;
    }
    case 8: {
        s.fillColor = c;
        const double asp = rnd() * 5 + 0.01;
        pic.arc(f(ax), f(ay), f(5 * s.rr), 2, 2, f(asp), c);
        break;
    }
    case 9:
    case 10:
    case 11: randomWalk(mode, s, m, pic, rng); break;
    case 12: pic.line(f(s.i), f(s.j), f(ax), f(ay), c); break;
    case 13: pic.line(f(ax), f(ay), f(ax + m.sr / 5), f(ay + m.cr / 5), c); break;
    case 14: triangle(5, s, m, pic); break;
    case 15: triangle(static_cast<float>(rnd() * 6 + 2), s, m, pic); break;  // scale stored single
    case 16: pic.box(f(ax), f(ay), f(ax + 40), f(ay + 40), c, solidFill(s.fillColor)); break;
    case 17: {
        const double scale = (xm::sin(s.blt / 50) + 1) * 30;
        pic.box(f(ax), f(ay), f(ax + scale), f(ay + scale), c, solidFill(s.fillColor));
        break;
    }
    case 18: {
        // The ten ends are drawn first, the generator in registers, then the
        // rays in the same order: drawing draws no random numbers.
        RandomGenerator g = rng;
        std::array<Surface::Point, 10> ends;
        for (Surface::Point& end : ends) {
            const float ox = rayOffset(g.nextBits());  // stored single
            const float oy = rayOffset(g.nextBits());
            end = {f(ax + ox), f(ay + oy)};
        }
        rng = g;
        pic.rays(f(ax), f(ay), ends, c);
        break;
    }
    }
}

}  // namespace painter
