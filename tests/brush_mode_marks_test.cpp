// Each brush mode's marks, pixel for pixel, against the same figures drawn
// straight with the surface's primitives from the modes' own rules: where the
// mark sits (the pixel or the anchor), its radius, aspect, scale, walk step,
// fill, and how many random numbers it draws in which order.
#include "filling_surface.h"
#include "platform/exact_math.h"
#include "render/brush_modes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <ostream>

namespace painter {
namespace {

using testing::FillingSurface;

// One pixel of the scan: its position, levels and brush radius, chosen so that
// every offset is several pixels long and no two of them are alike.
struct Fixture {
    double i = 90, j = 100;
    double ret = 130, grt = 40, blt = 210;
    double fi1 = 0.37;
    double rr = 7.3;
    Colour c = rgb(130, 40, 210);
    double sr = 150 * std::sin(ret / 50), sg = 150 * std::sin(grt / 50), sb = 150 * std::sin(blt / 50);
    double cr = 150 * std::cos(ret / 50), cg = 150 * std::cos(grt / 50), cb = 150 * std::cos(blt / 50);
    double sm = ((sr + sg) + sb) / 3, cm = ((cr + cg) + cb) / 3;
    double ex1 = std::sin(blt / fi1) * (sr / 2), ex2 = std::sin(grt / fi1) * (sg / 2);
    double ey1 = std::cos(grt / fi1) * (cr / 2), ey2 = std::cos(ret / fi1) * (cg / 2);
    double ax = i + sm, ay = j + cm;  // the anchor
};

// A fill colour left by an earlier picture, and a few coloured pixels on the
// black, so that modes without a fill of their own and the walks that mark
// only black show what they do.
constexpr Colour kLeftFill = 0x123456;

Surface startingSurface() {
    Surface s(200, 220);
    for (int y = 0; y < s.height(); y += 3)
        for (int x = 0; x < s.width(); x += 2) s.pset(static_cast<float>(x), static_cast<float>(y), 0x0000FF);
    return s;
}

float f(double v) { return static_cast<float>(v); }

using Expected = std::function<void(FillingSurface&, const Fixture&, RandomGenerator&)>;

struct ModeCase {
    int mode;
    Colour fillAfter;  // -1: the colour C
    int draws;
    Expected draw;
};

void PrintTo(const ModeCase& c, std::ostream* os) { *os << "mode " << c.mode; }

double rnd(RandomGenerator& g) { return static_cast<double>(g.next()); }

void walk(FillingSurface& p, const Fixture& x, RandomGenerator& g, double w, double h, bool onlyBlack) {
    double px = x.ax, py = x.ay;
    for (int n = 1; n <= 20; ++n) {
        const double stx = std::floor(rnd(g) * w - h);
        const double sty = std::floor(rnd(g) * w - h);
        px = px + stx;
        py = py + sty;
        if (!onlyBlack)
            p.pset(f(px), f(py), x.c);
        else if (p.point(f(px), f(py)) == 0)
            p.circle(f(px), f(py), 1, x.c);
    }
}

void triangle(FillingSurface& p, const Fixture& x, double scale) {
    const float x1 = f(x.i + x.sr / scale), y1 = f(x.j + x.cr / scale);
    const float x2 = f(x.i + x.sg / scale), y2 = f(x.j + x.cg / scale);
    const float x3 = f(x.i + x.sb / scale), y3 = f(x.j + x.cb / scale);
    p.line(x1, y1, x2, y2, x.c);
    p.line(x2, y2, x3, y3, x.c);
    p.line(x3, y3, x1, y1, x.c);
}

const ModeCase kModes[] = {
    {1, kLeftFill, 0, [](FillingSurface& p, const Fixture& x, RandomGenerator&) { p.pset(f(x.i), f(x.j), x.c); }},
    {2, kLeftFill, 0,
     [](FillingSurface& p, const Fixture& x, RandomGenerator&) { p.circle(f(x.ax), f(x.ay), 1, x.c); }},
    {3, kLeftFill, 0,
     [](FillingSurface& p, const Fixture& x, RandomGenerator&) {
         p.line(f(x.i + x.ex1), f(x.j + x.ey1), f(x.i - x.ex2), f(x.j - x.ey2), x.c);
     }},
    {4, 0, 0,
     [](FillingSurface& p, const Fixture& x, RandomGenerator&) {
         p.fillColor = 0;
         p.circle(f(x.ax), f(x.ay), f(x.rr), x.c);
     }},
    {5, -1, 0,
     [](FillingSurface& p, const Fixture& x, RandomGenerator&) {
         p.fillColor = x.c;
         p.circle(f(x.ax), f(x.ay), f(x.rr), x.c);
     }},
    {6, 0, 1,
     [](FillingSurface& p, const Fixture& x, RandomGenerator& g) {
         p.fillColor = 0;
         const double asp = rnd(g) * 2 + 0.1;
         p.ellipse(f(x.ax), f(x.ay), f(2 * x.rr), f(asp), x.c);
     }},
    {7, -1, 1,
     [](FillingSurface& p, const Fixture& x, RandomGenerator& g) {
         p.fillColor = x.c;
         const double asp = rnd(g) * 5 + 0.01;
         p.ellipse(f(x.ax), f(x.ay), f(x.rr / 3), f(asp), x.c);
     }},
    {8, -1, 1,
     [](FillingSurface& p, const Fixture& x, RandomGenerator& g) {
         p.fillColor = x.c;
         const double asp = rnd(g) * 5 + 0.01;
         p.arc(f(x.ax), f(x.ay), f(5 * x.rr), 2, 2, f(asp), x.c);
     }},
    {9, kLeftFill, 40, [](FillingSurface& p, const Fixture& x, RandomGenerator& g) { walk(p, x, g, 5, 2, false); }},
    {10, -1, 40,
     [](FillingSurface& p, const Fixture& x, RandomGenerator& g) {
         p.fillColor = x.c;
         walk(p, x, g, 9, 4, true);
     }},
    {11, kLeftFill, 40, [](FillingSurface& p, const Fixture& x, RandomGenerator& g) { walk(p, x, g, 9, 4, true); }},
    {12, kLeftFill, 0,
     [](FillingSurface& p, const Fixture& x, RandomGenerator&) { p.line(f(x.i), f(x.j), f(x.ax), f(x.ay), x.c); }},
    {13, kLeftFill, 0,
     [](FillingSurface& p, const Fixture& x, RandomGenerator&) {
         p.line(f(x.ax), f(x.ay), f(x.ax + x.sr / 5), f(x.ay + x.cr / 5), x.c);
     }},
    {14, kLeftFill, 0, [](FillingSurface& p, const Fixture& x, RandomGenerator&) { triangle(p, x, 5); }},
    {15, kLeftFill, 1,
     [](FillingSurface& p, const Fixture& x, RandomGenerator& g) {
         const float scale = static_cast<float>(rnd(g) * 6 + 2);
         triangle(p, x, scale);
     }},
    {16, kLeftFill, 0,
     [](FillingSurface& p, const Fixture& x, RandomGenerator&) {
         p.box(f(x.ax), f(x.ay), f(x.ax + 40), f(x.ay + 40), x.c);
     }},
    {17, kLeftFill, 0,
     [](FillingSurface& p, const Fixture& x, RandomGenerator&) {
         const double scale = (xm::sin(x.blt / 50) + 1) * 30;
         p.box(f(x.ax), f(x.ay), f(x.ax + scale), f(x.ay + scale), x.c);
     }},
    {18, kLeftFill, 20,
     [](FillingSurface& p, const Fixture& x, RandomGenerator& g) {
         for (int ray = 1; ray <= 10; ++ray) {
             const float ox = static_cast<float>(rnd(g) * 100 - 50);
             const float oy = static_cast<float>(rnd(g) * 100 - 50);
             p.line(f(x.ax), f(x.ay), f(x.ax + ox), f(x.ay + oy), x.c);
         }
     }},
};

int differingPixels(const Surface& a, const Surface& b) {
    int n = 0;
    for (int k = 0; k < a.width() * a.height(); ++k) n += a.pixels()[k] != b.pixels()[k];
    return n;
}

class BrushModeMarks : public ::testing::TestWithParam<ModeCase> {};

TEST_P(BrushModeMarks, MarkIsTheFigureOfItsRules) {
    const ModeCase& c = GetParam();
    const Fixture x;
    PictureState s;
    s.i = x.i;
    s.j = x.j;
    s.rr = x.rr;
    s.blt = x.blt;
    PixelMark m;
    m.colour = x.c;
    m.sr = x.sr;
    m.sg = x.sg;
    m.sb = x.sb;
    m.cr = x.cr;
    m.cg = x.cg;
    m.cb = x.cb;
    m.sm = x.sm;
    m.cm = x.cm;
    m.ex1 = x.ex1;
    m.ex2 = x.ex2;
    m.ey1 = x.ey1;
    m.ey2 = x.ey2;

    s.fillColor = kLeftFill;
    Surface painted = startingSurface();
    RandomGenerator rng;
    rng.randomize(4397554);
    MarkPixel(c.mode, s, m, painted, rng);

    FillingSurface expected = startingSurface();
    expected.fillColor = kLeftFill;
    RandomGenerator own;
    own.randomize(4397554);
    c.draw(expected, x, own);

    const Surface untouched = startingSurface();
    ASSERT_GT(differingPixels(expected, untouched), 0) << "mode " << c.mode << ": the fixture shows no mark";
    EXPECT_EQ(differingPixels(painted, expected), 0) << "mode " << c.mode << ": pixels differ from its figure";
    EXPECT_EQ(s.fillColor, c.fillAfter < 0 ? x.c : c.fillAfter) << "mode " << c.mode << ": fill colour";
    EXPECT_EQ(rng.draws(), static_cast<std::uint64_t>(c.draws)) << "mode " << c.mode << ": random draws";
    EXPECT_EQ(rng.next(), own.next()) << "mode " << c.mode << ": the generator is left elsewhere";
}

INSTANTIATE_TEST_SUITE_P(AllModes, BrushModeMarks, ::testing::ValuesIn(kModes),
                         [](const ::testing::TestParamInfo<ModeCase>& info) {
                             return "Mode" + std::to_string(info.param.mode);
                         });

}  // namespace
}  // namespace painter
