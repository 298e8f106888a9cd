// Tests of the drawing surface: which pixels each figure covers, how figures
// clip at the raster's edges, and that no position, radius or aspect - however
// hostile - crashes, writes outside the raster or draws where it must not.

#include "platform/surface.h"
#include "filling_surface.h"
#include "platform/exact_math.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <numbers>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace painter {
namespace {

using testing::FillingSurface;

constexpr Colour kBack = 0x203040;
constexpr Colour kInk = 0x00FF00;
constexpr Colour kFill = 0x0000FF;
constexpr Colour kOther = 0x777777;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kPi = std::numbers::pi_v<float>;

using Draw = std::function<void(FillingSurface&)>;

FillingSurface blank(int width, int height) {
    FillingSurface s(width, height);
    s.setBackColor(kBack);
    return s;
}

struct Extent {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // inclusive; x1 < x0 when empty
    bool empty() const { return x1 < x0; }
    bool operator==(const Extent&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Extent& e) {
    if (e.empty()) return os << "(empty)";
    return os << "[" << e.x0 << ".." << e.x1 << "] x [" << e.y0 << ".." << e.y1 << "]";
}

// Bounding box of every pixel that differs from the background.
Extent extentOf(const FillingSurface& s) {
    Extent e{s.width(), s.height(), -1, -1};
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (FillingSurface::toColour(s.row(y)[x]) != kBack) {
                e.x0 = std::min(e.x0, x);
                e.y0 = std::min(e.y0, y);
                e.x1 = std::max(e.x1, x);
                e.y1 = std::max(e.y1, y);
            }
    return e.x1 < 0 ? Extent{} : e;
}

int countOf(const FillingSurface& s, Colour c) {
    int n = 0;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) n += FillingSurface::toColour(s.row(y)[x]) == c;
    return n;
}

Colour at(const FillingSurface& s, int x, int y) { return FillingSurface::toColour(s.row(y)[x]); }

bool samePixels(const FillingSurface& a, const FillingSurface& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::equal(a.pixels(), a.pixels() + a.width() * a.height(), b.pixels());
}

// ---------------------------------------------------------------------------
// The position rule: pixel p covers [p - 1/2, p + 1/2).

struct PositionCase {
    const char* name;
    float x, y;
    int px, py;  // -1: the position lies outside the 10 x 10 raster
};

class SurfacePosition : public ::testing::TestWithParam<PositionCase> {};

TEST_P(SurfacePosition, PSetAndPointAgreeOnThePixel) {
    const PositionCase& c = GetParam();
    FillingSurface s = blank(10, 10);
    s.pset(c.x, c.y, kInk);
    if (c.px < 0) {
        EXPECT_TRUE(extentOf(s).empty()) << "a position outside drew something";
        EXPECT_EQ(s.point(c.x, c.y), -1);
    } else {
        EXPECT_EQ(extentOf(s), (Extent{c.px, c.py, c.px, c.py}));
        EXPECT_EQ(countOf(s, kInk), 1);
        EXPECT_EQ(s.point(c.x, c.y), kInk);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FillingSurface, SurfacePosition,
    ::testing::Values(PositionCase{"origin", 0, 0, 0, 0}, PositionCase{"justBelowHalf", 0.49f, 0.4999f, 0, 0},
                      PositionCase{"halfGoesUp", 0.5f, 0.5f, 1, 1},
                      PositionCase{"oneAndAHalfGoesUpNotToEven", 1.5f, 2.5f, 2, 3},
                      PositionCase{"minusHalfIsPixelZero", -0.5f, -0.5f, 0, 0},
                      PositionCase{"justBelowMinusHalfIsOutside", -0.5001f, 3, -1, -1},
                      PositionCase{"lastPixel", 9.4999f, 9.4999f, 9, 9}, PositionCase{"pastLastPixel", 9.5f, 0, -1, -1},
                      PositionCase{"belowLastRow", 0, 9.5f, -1, -1}, PositionCase{"nanX", kNaN, 0, -1, -1},
                      PositionCase{"nanY", 0, kNaN, -1, -1}, PositionCase{"infinite", kInf, -kInf, -1, -1},
                      PositionCase{"huge", 1e30f, 5, -1, -1}, PositionCase{"hugeNegative", 5, -1e30f, -1, -1},
                      PositionCase{"tinyNegative", -1e-30f, 1e-30f, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SurfacePoint, SeesEveryMarkAtOnce) {
    FillingSurface s = blank(20, 20);
    EXPECT_EQ(s.point(5, 5), kBack);
    s.circle(5, 5, 1, kInk);
    EXPECT_EQ(s.point(4, 4), kInk) << "a corner of the radius-1 block";
    s.line(0, 19, 19, 19, kOther);
    EXPECT_EQ(s.point(10, 19), kOther);
}

// ---------------------------------------------------------------------------
// Extents: where each figure reaches, filled and outlined alike.

struct ExtentCase {
    const char* name;
    Draw draw;
    Extent expected;
};

class SurfaceExtent : public ::testing::TestWithParam<ExtentCase> {};

TEST_P(SurfaceExtent, FilledAndOutlinedReachTheSamePixels) {
    const ExtentCase& c = GetParam();
    for (int style : {0, 1}) {
        SCOPED_TRACE(style == 0 ? "filled" : "outlined");
        FillingSurface s = blank(100, 80);
        s.fillStyle = style;
        s.fillColor = kFill;
        c.draw(s);
        EXPECT_EQ(extentOf(s), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FillingSurface, SurfaceExtent,
    ::testing::Values(
        ExtentCase{"circleRadius0IsOnePixel", [](FillingSurface& s) { s.circle(50, 40, 0, kInk); }, {50, 40, 50, 40}},
        ExtentCase{"circleRadius1IsA3x3Block", [](FillingSurface& s) { s.circle(50, 40, 1, kInk); }, {49, 39, 51, 41}},
        ExtentCase{"circleRadius10", [](FillingSurface& s) { s.circle(50, 40, 10, kInk); }, {40, 30, 60, 50}},
        ExtentCase{
            "circleCentreSnapped", [](FillingSurface& s) { s.circle(50.4f, 39.5f, 10, kInk); }, {40, 30, 60, 50}},
        // The reach is floor(radius + 1/2).
        ExtentCase{"circleRadius2_4", [](FillingSurface& s) { s.circle(50, 40, 2.4f, kInk); }, {48, 38, 52, 42}},
        ExtentCase{"circleRadius2_5", [](FillingSurface& s) { s.circle(50, 40, 2.5f, kInk); }, {47, 37, 53, 43}},
        ExtentCase{"ellipseFlat", [](FillingSurface& s) { s.ellipse(50, 40, 20, 0.5f, kInk); }, {30, 30, 70, 50}},
        ExtentCase{"ellipseTall", [](FillingSurface& s) { s.ellipse(50, 40, 20, 2, kInk); }, {40, 20, 60, 60}},
        ExtentCase{"ellipseNegativeAspectCountsAsPositive",
                   [](FillingSurface& s) { s.ellipse(50, 40, 20, -0.5f, kInk); },
                   {30, 30, 70, 50}},
        ExtentCase{
            "ellipseAspect1IsCircle", [](FillingSurface& s) { s.ellipse(50, 40, 10, 1, kInk); }, {40, 30, 60, 50}},
        // B * (A / B) falls a hair short of A = 2 here; the centre row must still reach 2.
        ExtentCase{"ellipseCentreRowReachesItsFullWidth",
                   [](FillingSurface& s) { s.ellipse(50, 40, 1.5f, 0.054054055f, kInk); },
                   {48, 40, 52, 40}},
        ExtentCase{"ellipseAspect0IsARow", [](FillingSurface& s) { s.ellipse(50, 40, 20, 0, kInk); }, {30, 40, 70, 40}},
        ExtentCase{"ellipseHugeAspectIsAColumn",
                   [](FillingSurface& s) { s.ellipse(50, 40, 20, 1e9f, kInk); },
                   {50, 20, 50, 60}},
        ExtentCase{"circleAtTopLeftCorner", [](FillingSurface& s) { s.circle(0, 0, 5, kInk); }, {0, 0, 5, 5}},
        ExtentCase{"circleAtBottomRightCorner", [](FillingSurface& s) { s.circle(99, 79, 5, kInk); }, {94, 74, 99, 79}},
        ExtentCase{"circleOnLeftEdge", [](FillingSurface& s) { s.circle(-3, 40, 5, kInk); }, {0, 36, 2, 44}},
        ExtentCase{"circleJustOutside", [](FillingSurface& s) { s.circle(-6, 40, 5, kInk); }, {}},
        ExtentCase{"arcWholeOutline", [](FillingSurface& s) { s.arc(50, 40, 10, 2, 2, 1, kInk); }, {40, 30, 60, 50}},
        ExtentCase{"arcUpperRightQuarter",
                   [](FillingSurface& s) { s.arc(50, 40, 10, 0, kPi / 2, 1, kInk); },
                   {50, 30, 60, 40}},
        ExtentCase{"boxCornersSnappedAnyOrder",
                   [](FillingSurface& s) { s.box(10.4f, 20.6f, 5.5f, 30.2f, kInk); },
                   {6, 21, 10, 30}},
        ExtentCase{"boxZeroSizeIsOnePixel", [](FillingSurface& s) { s.box(3, 3, 3.2f, 2.9f, kInk); }, {3, 3, 3, 3}},
        ExtentCase{"boxOneRow", [](FillingSurface& s) { s.box(3, 3, 9, 3, kInk); }, {3, 3, 9, 3}},
        ExtentCase{"boxWiderThanTheRaster", [](FillingSurface& s) { s.box(-20, 10, 200, 30, kInk); }, {0, 10, 99, 30}},
        ExtentCase{
            "boxOverTheBottomRightCorner", [](FillingSurface& s) { s.box(90, 70, 120, 95, kInk); }, {90, 70, 99, 79}},
        ExtentCase{"lineDiagonal", [](FillingSurface& s) { s.line(0, 0, 99, 79, kInk); }, {0, 0, 99, 79}},
        ExtentCase{"lineAcrossTheRaster", [](FillingSurface& s) { s.line(-50, 10, 150, 10, kInk); }, {0, 10, 99, 10}},
        ExtentCase{
            "lineDownTheLastColumn", [](FillingSurface& s) { s.line(99.4f, 0.6f, 99.4f, 200, kInk); }, {99, 1, 99, 79}},
        ExtentCase{"lineSinglePixel", [](FillingSurface& s) { s.line(7.3f, 8.6f, 6.7f, 9.4f, kInk); }, {7, 9, 7, 9}},
        ExtentCase{"lineOutsideThroughNoPixel", [](FillingSurface& s) { s.line(-10, -1, 200, -1, kInk); }, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Closed figures: the outline, the fill and an independent reference.

struct ShapeCase {
    const char* name;
    float x, y, radius, aspect;
};

class SurfaceClosedFigure : public ::testing::TestWithParam<ShapeCase> {
protected:
    // The figure drawn filled (outline kInk, inside kFill) and outlined only.
    void SetUp() override {
        const ShapeCase& c = GetParam();
        filled.fillStyle = 0;
        filled.fillColor = kFill;
        filled.ellipse(c.x, c.y, c.radius, c.aspect, kInk);
        outlined.fillStyle = 1;
        outlined.fillColor = kFill;
        outlined.ellipse(c.x, c.y, c.radius, c.aspect, kInk);
    }
    bool inFigure(int x, int y) const {
        if (x < 0 || y < 0 || x >= filled.width() || y >= filled.height()) return false;
        return at(filled, x, y) != kBack;
    }
    FillingSurface filled = blank(120, 100);
    FillingSurface outlined = blank(120, 100);
};

TEST_P(SurfaceClosedFigure, OutlineIsTheSameFilledOrNot) {
    for (int y = 0; y < filled.height(); ++y)
        for (int x = 0; x < filled.width(); ++x)
            ASSERT_EQ(at(filled, x, y) == kInk, at(outlined, x, y) == kInk) << "at " << x << "," << y;
    EXPECT_EQ(countOf(outlined, kFill), 0);
}

TEST_P(SurfaceClosedFigure, OutlineIsExactlyThePixelsWithANeighbourOutside) {
    for (int y = 0; y < filled.height(); ++y)
        for (int x = 0; x < filled.width(); ++x) {
            if (!inFigure(x, y)) continue;
            const bool edge = !inFigure(x - 1, y) || !inFigure(x + 1, y) || !inFigure(x, y - 1) || !inFigure(x, y + 1);
            ASSERT_EQ(at(filled, x, y), edge ? kInk : kFill) << "at " << x << "," << y;
        }
}

TEST_P(SurfaceClosedFigure, MatchesThePointInEllipseReference) {
    // A pixel is in when its centre lies in the ellipse with half-axes grown by
    // half a pixel. Pixels within rounding distance of that boundary may go
    // either way and are not checked.
    const ShapeCase& c = GetParam();
    const long double cx = std::floor(c.x + 0.5L), cy = std::floor(c.y + 0.5L);
    const long double asp = std::fabs(static_cast<long double>(c.aspect));
    long double a = c.radius, b = c.radius;
    if (asp < 1) b = c.radius * asp;
    if (asp > 1) a = c.radius / asp;
    const long double A = a + 0.5L, B = b + 0.5L;
    for (int y = 0; y < filled.height(); ++y)
        for (int x = 0; x < filled.width(); ++x) {
            const long double u = (x - cx) / A, v = (y - cy) / B;
            const long double q = u * u + v * v;
            if (std::fabs(q - 1) < 1e-9L) continue;
            ASSERT_EQ(inFigure(x, y), q < 1) << "at " << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(
    FillingSurface, SurfaceClosedFigure,
    ::testing::Values(ShapeCase{"radius0", 60, 50, 0, 1}, ShapeCase{"radius1", 60, 50, 1, 1},
                      ShapeCase{"radius14", 60, 50, 14, 1}, ShapeCase{"fractionalEverything", 60.3f, 49.7f, 17.38f, 1},
                      ShapeCase{"radius45", 60, 50, 45, 1}, ShapeCase{"flatAspect", 60, 50, 40, 0.3f},
                      ShapeCase{"tallAspect", 60, 50, 45, 3}, ShapeCase{"veryFlat", 60, 50, 50, 0.02f},
                      ShapeCase{"veryTall", 60, 50, 45, 40}, ShapeCase{"oddAspect", 61.5f, 48.5f, 33.3f, 1.37f}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SurfaceCircle, PixelsExactlyOnTheBoundaryAreIn) {
    // Radius 4.5 grows to 5: (3, 4), (4, 3), (5, 0) and (0, 5) lie exactly on
    // the boundary circle; (5, 1) just outside.
    FillingSurface s = blank(30, 30);
    s.circle(15, 15, 4.5f, kInk);
    for (auto [dx, dy] : {std::pair{3, 4}, {4, 3}, {5, 0}, {0, 5}, {-3, -4}, {-5, 0}, {0, -5}})
        EXPECT_EQ(at(s, 15 + dx, 15 + dy), kInk) << dx << "," << dy;
    EXPECT_EQ(at(s, 20, 16), kBack);
    EXPECT_EQ(at(s, 19, 19), kBack);
}

TEST(SurfaceCircle, Radius1IsABlockWithAFilledCentre) {
    FillingSurface s = blank(10, 10);
    s.fillColor = kFill;
    s.circle(5, 5, 1, kInk);
    EXPECT_EQ(countOf(s, kInk), 8);
    EXPECT_EQ(at(s, 5, 5), kFill);
}

// ---------------------------------------------------------------------------
// Fill style and fill colour.

class SurfaceFill : public ::testing::Test {
protected:
    // A checkerboard underneath shows whether a figure overwrote its inside.
    void SetUp() override {
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                if ((x + y) % 2) s.pset(x, y, kOther);
    }
    FillingSurface s = blank(60, 60);
};

TEST_F(SurfaceFill, TransparentFiguresLeaveTheirInsideAlone) {
    s.fillStyle = 1;
    s.fillColor = kFill;
    s.circle(30, 30, 20, kInk);
    s.box(5, 5, 20, 20, kInk);
    s.ellipse(30, 30, 25, 0.4f, kInk);
    EXPECT_EQ(countOf(s, kFill), 0);
    EXPECT_EQ(at(s, 30, 30), kBack);
    EXPECT_EQ(at(s, 31, 30), kOther);
    EXPECT_EQ(at(s, 12, 13), kOther);
}

TEST_F(SurfaceFill, SolidFiguresFillWithTheirFillColour) {
    s.fillColor = kFill;  // fillStyle 0 from construction
    s.circle(15, 15, 8, kInk);
    s.box(35, 35, 55, 55, kInk);
    EXPECT_EQ(at(s, 15, 15), kFill);
    EXPECT_EQ(at(s, 16, 15), kFill);
    EXPECT_EQ(at(s, 45, 45), kFill);
    EXPECT_EQ(at(s, 35, 45), kInk);
}

TEST_F(SurfaceFill, ArcsAreNeverFilled) {
    s.fillStyle = 0;
    s.fillColor = kFill;
    s.arc(30, 30, 20, 2, 2, 1, kInk);
    s.arc(30, 30, 15, 0.5f, 4, 0.5f, kInk);
    s.arc(30, 30, 25, 5, 1, 2, kInk);
    EXPECT_EQ(countOf(s, kFill), 0);
    EXPECT_EQ(at(s, 30, 30), kBack);
}

TEST_F(SurfaceFill, BoxBorderIsTheSameFilledOrNot) {
    FillingSurface other = blank(60, 60);
    other.fillStyle = 1;
    other.box(7.6f, 50.2f, 44.4f, 3, kInk);
    s.fillColor = kFill;
    s.box(7.6f, 50.2f, 44.4f, 3, kInk);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            ASSERT_EQ(at(s, x, y) == kInk, at(other, x, y) == kInk) << x << "," << y;
            const bool inside = x > 8 && x < 44 && y > 3 && y < 50;
            ASSERT_EQ(at(s, x, y) == kFill, inside) << x << "," << y;
        }
}

TEST(SurfaceBackground, SettingBackColorErasesAndClsErasesToIt) {
    FillingSurface s(20, 10);
    EXPECT_EQ(countOf(s, 0), 200) << "a new surface is black";
    s.circle(5, 5, 3, kInk);
    s.setBackColor(kOther);
    EXPECT_EQ(s.backColor(), kOther);
    EXPECT_EQ(countOf(s, kOther), 200);
    s.fillColor = kFill;
    s.box(0, 0, 19, 9, kInk);
    s.cls();
    EXPECT_EQ(countOf(s, kOther), 200);
    EXPECT_EQ(s.pixels()[0], 0xFF000000u | kOther) << "pixels are stored as opaque RGBX words";
}

// ---------------------------------------------------------------------------
// Arcs.

class SurfaceArc : public ::testing::Test {
protected:
    static constexpr int kC = 40;
    FillingSurface arcOf(float start, float end, float aspect = 1) {
        FillingSurface s = blank(81, 81);
        s.arc(kC, kC, 30, start, end, aspect, kInk);
        return s;
    }
    FillingSurface outlineOf(float aspect = 1) {
        FillingSurface s = blank(81, 81);
        s.fillStyle = 1;
        s.ellipse(kC, kC, 30, aspect, kInk);
        return s;
    }
};

TEST_F(SurfaceArc, EqualAnglesGiveTheWholeOutline) {
    for (float aspect : {1.0f, 0.4f, 2.5f}) {
        const FillingSurface whole = outlineOf(aspect);
        EXPECT_TRUE(samePixels(arcOf(2, 2, aspect), whole)) << aspect;
        EXPECT_TRUE(samePixels(arcOf(0, 0, aspect), whole)) << aspect;
        EXPECT_TRUE(samePixels(arcOf(-2, 2, aspect), whole)) << "negative angles count by their size";
    }
}

TEST_F(SurfaceArc, QuarterLiesInItsQuadrantAndQuartersMakeTheWhole) {
    const FillingSurface whole = outlineOf();
    const FillingSurface q1 = arcOf(0, kPi / 2);
    for (int y = 0; y < 81; ++y)
        for (int x = 0; x < 81; ++x)
            if (at(q1, x, y) == kInk) {
                ASSERT_TRUE(x >= kC && y <= kC) << "y grows downwards, angles upwards";
            }
    EXPECT_EQ(at(q1, kC + 30, kC), kInk);
    EXPECT_EQ(at(q1, kC, kC - 30), kInk);

    FillingSurface all = blank(81, 81);
    const float bounds[] = {0, kPi / 2, kPi, 3 * kPi / 2, 0};
    for (int i = 0; i < 4; ++i) all.arc(kC, kC, 30, bounds[i], bounds[i + 1], 1, kInk);
    EXPECT_TRUE(samePixels(all, whole));
}

TEST_F(SurfaceArc, SweepRunsCounterClockwiseAcrossZero) {
    // From 3 pi / 2 (straight down) through 0 to pi / 2 (straight up): the right half.
    const FillingSurface right = arcOf(3 * kPi / 2, kPi / 2);
    const FillingSurface whole = outlineOf();
    for (int y = 0; y < 81; ++y)
        for (int x = 0; x < 81; ++x) {
            if (x == kC) continue;  // the two end pixels sit on the boundary angle
            ASSERT_EQ(at(right, x, y) == kInk, x > kC && at(whole, x, y) == kInk) << x << "," << y;
        }
}

TEST_F(SurfaceArc, AnglesCountModuloAFullTurnAndBySize) {
    EXPECT_TRUE(samePixels(arcOf(-1, -2.5f), arcOf(1, 2.5f)));
    // 20 and 20 - 2 pi (both as float) reduce to within a few 1e-7 of each
    // other; no outline pixel of radius 30 has an angle that close to 1.1504.
    EXPECT_TRUE(samePixels(arcOf(20, 2.5f), arcOf(20 - 2 * kPi, 2.5f)));
    EXPECT_FALSE(samePixels(arcOf(20, 2.5f), arcOf(20 - kPi, 2.5f)));
}

// ---------------------------------------------------------------------------
// Lines.

struct LineCase {
    const char* name;
    float x1, y1, x2, y2;
};

class SurfaceLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(SurfaceLine, OnePixelPerMajorStepNearestTheExactLine) {
    const LineCase& c = GetParam();
    FillingSurface s = blank(100, 80);
    s.line(c.x1, c.y1, c.x2, c.y2, kInk);
    const long ax = std::lround(std::floor(c.x1 + 0.5)), ay = std::lround(std::floor(c.y1 + 0.5));
    const long bx = std::lround(std::floor(c.x2 + 0.5)), by = std::lround(std::floor(c.y2 + 0.5));
    EXPECT_EQ(at(s, ax, ay), kInk) << "first end";
    EXPECT_EQ(at(s, bx, by), kInk) << "last end";
    const bool xMajor = std::abs(bx - ax) >= std::abs(by - ay);
    const long steps = std::max(std::abs(bx - ax), std::abs(by - ay));
    EXPECT_EQ(countOf(s, kInk), steps + 1);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) {
            if (at(s, x, y) != kInk) continue;
            // Distance along the minor axis from the exact line through the snapped ends.
            double off;
            if (steps == 0) {
                off = 0;
            } else if (xMajor) {
                off = y - (ay + double(by - ay) * (x - ax) / (bx - ax));
            } else {
                off = x - (ax + double(bx - ax) * (y - ay) / (by - ay));
            }
            ASSERT_LE(std::fabs(off), 0.5) << x << "," << y;
        }
    FillingSurface reversed = blank(100, 80);
    reversed.line(c.x2, c.y2, c.x1, c.y1, kInk);
    EXPECT_TRUE(samePixels(s, reversed)) << "a line and its reverse cover the same pixels";
}

INSTANTIATE_TEST_SUITE_P(FillingSurface, SurfaceLine,
                         ::testing::Values(LineCase{"horizontal", 3, 5, 90, 5}, LineCase{"vertical", 7, 70, 7, 2},
                                           LineCase{"diagonal", 0, 0, 79, 79}, LineCase{"antiDiagonal", 10, 70, 70, 10},
                                           LineCase{"shallow", 2, 3, 97, 20}, LineCase{"shallowUp", 2, 60, 97, 51},
                                           LineCase{"steep", 40, 2, 55, 77}, LineCase{"steepLeft", 60, 2, 41, 77},
                                           LineCase{"halfSlopeTies", 10, 10, 20, 15},
                                           LineCase{"fractionalEnds", 3.49f, 4.5f, 88.51f, 61.2f},
                                           LineCase{"point", 50.2f, 40.3f, 49.8f, 39.7f},
                                           LineCase{"edgeToEdge", 0, 79, 99, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// SurfaceClipping: a figure partly outside must draw exactly the visible part of the
// same figure drawn wholly inside a larger surface.

struct ClipCase {
    const char* name;
    std::function<void(FillingSurface&, float ox, float oy)> draw;
};

class SurfaceClipping : public ::testing::TestWithParam<ClipCase> {};

TEST_P(SurfaceClipping, DrawsTheVisiblePartOfTheUnclippedFigure) {
    constexpr int kW = 60, kH = 40, kOff = 300;
    const ClipCase& c = GetParam();
    for (int style : {0, 1}) {
        SCOPED_TRACE(style == 0 ? "filled" : "outlined");
        FillingSurface small = blank(kW, kH);
        FillingSurface big = blank(kW + 2 * kOff, kH + 2 * kOff);
        for (FillingSurface* s : {&small, &big}) {
            s->fillStyle = style;
            s->fillColor = kFill;
        }
        c.draw(small, 0, 0);
        c.draw(big, kOff, kOff);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                ASSERT_EQ(at(small, x, y), at(big, x + kOff, y + kOff)) << "at " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    FillingSurface, SurfaceClipping,
    ::testing::Values(
        ClipCase{"circleTopLeft", [](FillingSurface& s, float ox, float oy) { s.circle(ox + 2.25f, oy - 3.5f, 12.3f, kInk); }},
        ClipCase{"circleBottomRight",
                 [](FillingSurface& s, float ox, float oy) { s.circle(ox + 57.75f, oy + 44, 9, kInk); }},
        ClipCase{"circleCentreOutsideLeft",
                 [](FillingSurface& s, float ox, float oy) { s.circle(ox - 20, oy + 20, 25.5f, kInk); }},
        ClipCase{"circleEnclosingTheRaster",
                 [](FillingSurface& s, float ox, float oy) { s.circle(ox + 30, oy + 20, 60, kInk); }},
        ClipCase{"circleOutlineJustInsideTheCorners",
                 [](FillingSurface& s, float ox, float oy) { s.circle(ox + 30, oy + 20, 34, kInk); }},
        ClipCase{"circleGrazingTheCorners",
                 [](FillingSurface& s, float ox, float oy) { s.circle(ox + 29.5f, oy + 19.5f, 35.4f, kInk); }},
        ClipCase{"circleLargerThanTheRasterAbove",
                 [](FillingSurface& s, float ox, float oy) { s.circle(ox + 30, oy - 150, 170, kInk); }},
        ClipCase{"ellipseWiderThanTheRaster",
                 [](FillingSurface& s, float ox, float oy) { s.ellipse(ox + 30, oy + 20, 200, 0.1f, kInk); }},
        ClipCase{"ellipseTallerThanTheRaster",
                 [](FillingSurface& s, float ox, float oy) { s.ellipse(ox + 55, oy + 10, 125, 4.5f, kInk); }},
        ClipCase{"arcAcrossTheTopEdge",
                 [](FillingSurface& s, float ox, float oy) { s.arc(ox + 30, oy + 5, 28, 0.3f, 5.9f, 0.7f, kInk); }},
        ClipCase{"arcWholeOutlineAtTheSide",
                 [](FillingSurface& s, float ox, float oy) { s.arc(ox + 65, oy + 20, 40, 2, 2, 2.2f, kInk); }},
        ClipCase{"boxOverTheLeftEdge", [](FillingSurface& s, float ox, float oy) { s.box(ox - 10, oy + 5, ox + 20, oy + 30, kInk); }},
        ClipCase{"boxAroundTheRaster",
                 [](FillingSurface& s, float ox, float oy) { s.box(ox - 1, oy - 1, ox + 60, oy + 40, kInk); }},
        ClipCase{"boxThroughTheRaster",
                 [](FillingSurface& s, float ox, float oy) { s.box(ox + 20, oy - 50, ox + 30, oy + 90, kInk); }},
        ClipCase{"lineThroughBothSides",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox - 100, oy + 3, ox + 160, oy + 37, kInk); }},
        ClipCase{"lineSteepThroughTopAndBottom",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox + 10, oy - 90, ox + 50, oy + 130, kInk); }},
        ClipCase{"lineClippedAtACorner",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox - 10.5f, oy + 30.25f, ox + 20, oy - 10, kInk); }},
        ClipCase{"lineShallowOutThroughTheTop",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox + 5, oy + 10, ox + 70, oy - 12, kInk); }},
        ClipCase{"lineShallowOutThroughTheBottom",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox - 20, oy + 30, ox + 50, oy + 45, kInk); }},
        ClipCase{"lineSteepOutThroughTheLeft",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox + 10, oy + 5, ox - 8, oy + 35, kInk); }},
        ClipCase{"lineSteepOutThroughTheRight",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox + 50, oy + 5, ox + 70, oy + 35, kInk); }},
        ClipCase{"lineStartingJustAboveTheRaster",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox + 5, oy - 1, ox + 50, oy + 10, kInk); }},
        ClipCase{"lineStartingJustLeftOfTheRaster",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox - 1, oy + 5, ox + 10, oy + 38, kInk); }},
        ClipCase{"lineEndingJustBelowTheRaster",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox + 2, oy + 20, ox + 58, oy + 40, kInk); }},
        ClipCase{"lineMissingTheCorner",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox - 30, oy + 10, ox + 11, oy - 31, kInk); }},
        ClipCase{"lineAlongTheBottomRowOutwards",
                 [](FillingSurface& s, float ox, float oy) { s.line(ox + 30, oy + 39, ox + 250, oy + 39.4f, kInk); }},
        ClipCase{"psetOutsideAndInside",
                 [](FillingSurface& s, float ox, float oy) {
                     s.pset(ox - 1, oy, kInk);
                     s.pset(ox + 59.4f, oy + 39.4f, kInk);
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Hostile calls: none may crash, hang or write outside the raster (the
// sanitizer build checks the last), and those that say "nothing" must leave
// the surface untouched.

enum class Expect { Nothing, Something, Anything };

struct HostileCase {
    const char* name;
    Draw draw;
    Expect expect;
};

class SurfaceHostileCall : public ::testing::TestWithParam<HostileCase> {};

TEST_P(SurfaceHostileCall, NeitherCrashesNorDrawsWhereItMustNot) {
    const HostileCase& c = GetParam();
    for (int style : {0, 1}) {
        // Also on surfaces with no pixels and a single pixel, where every
        // figure lies at the edge.
        for (auto [w, h] : {std::pair{50, 40}, {1, 1}, {0, 0}, {0, 5}}) {
            SCOPED_TRACE(::testing::Message() << "fillStyle " << style << ", " << w << " x " << h);
            FillingSurface s = blank(w, h);
            s.fillStyle = style;
            s.fillColor = kFill;
            c.draw(s);
            if (c.expect == Expect::Nothing) {
                EXPECT_TRUE(extentOf(s).empty());
            } else if (c.expect == Expect::Something && w == 50) {
                EXPECT_FALSE(extentOf(s).empty());
            }
        }
    }
}

constexpr float kBig = 1e30f;

INSTANTIATE_TEST_SUITE_P(
    FillingSurface, SurfaceHostileCall,
    ::testing::Values(
        HostileCase{"psetNaN", [](FillingSurface& s) { s.pset(kNaN, 3, kInk); }, Expect::Nothing},
        HostileCase{"psetHuge", [](FillingSurface& s) { s.pset(kBig, -kBig, kInk); }, Expect::Nothing},
        HostileCase{"lineNaN", [](FillingSurface& s) { s.line(0, 0, kNaN, 30, kInk); }, Expect::Nothing},
        HostileCase{"lineInfinite", [](FillingSurface& s) { s.line(-kInf, 3, 20, 3, kInk); }, Expect::Nothing},
        HostileCase{"lineHugeAcross", [](FillingSurface& s) { s.line(-kBig, 3, kBig, 7, kInk); }, Expect::Something},
        HostileCase{"lineHugeDiagonal", [](FillingSurface& s) { s.line(-kBig, -kBig, kBig, kBig, kInk); },
                    Expect::Anything},
        HostileCase{"lineHugeSteep", [](FillingSurface& s) { s.line(20, -kBig, 21, kBig, kInk); }, Expect::Something},
        HostileCase{"lineHugeOneEnd", [](FillingSurface& s) { s.line(25, 20, 3e38f, 1e37f, kInk); }, Expect::Something},
        HostileCase{"lineHugeFarAway", [](FillingSurface& s) { s.line(kBig, kBig, 2 * kBig, 3 * kBig, kInk); },
                    Expect::Nothing},
        HostileCase{"lineLongInRange", [](FillingSurface& s) { s.line(-1e6f, -3e5f, 1e6f, 3e5f, kInk); },
                    Expect::Something},
        HostileCase{"lineJustPastTheExactRange", [](FillingSurface& s) { s.line(-1048577, 20, 1048580, 20, kInk); },
                    Expect::Something},
        HostileCase{"boxNaN", [](FillingSurface& s) { s.box(0, 0, 10, kNaN, kInk); }, Expect::Nothing},
        HostileCase{"boxInfinite", [](FillingSurface& s) { s.box(-kInf, -kInf, kInf, kInf, kInk); }, Expect::Nothing},
        HostileCase{"boxHuge", [](FillingSurface& s) { s.box(-kBig, -kBig, kBig, kBig, kInk); }, Expect::Anything},
        HostileCase{"boxHugeEdgeThrough", [](FillingSurface& s) { s.box(20, -kBig, kBig, kBig, kInk); },
                    Expect::Something},
        HostileCase{"circleNaNCentre", [](FillingSurface& s) { s.circle(kNaN, 5, 10, kInk); }, Expect::Nothing},
        HostileCase{"circleNaNRadius", [](FillingSurface& s) { s.circle(25, 20, kNaN, kInk); }, Expect::Nothing},
        HostileCase{"circleInfiniteRadius", [](FillingSurface& s) { s.circle(25, 20, kInf, kInk); }, Expect::Nothing},
        HostileCase{"circleInfiniteCentre", [](FillingSurface& s) { s.circle(kInf, 20, 5, kInk); }, Expect::Nothing},
        HostileCase{"circleNegativeRadius", [](FillingSurface& s) { s.circle(25, 20, -3, kInk); }, Expect::Nothing},
        HostileCase{"circleZeroRadius", [](FillingSurface& s) { s.circle(25, 20, 0, kInk); }, Expect::Something},
        HostileCase{"circleHugeRadius", [](FillingSurface& s) { s.circle(25, 20, 1e9f, kInk); }, Expect::Anything},
        HostileCase{"circleHugeEverything", [](FillingSurface& s) { s.circle(kBig, -kBig, 3e38f, kInk); },
                    Expect::Anything},
        HostileCase{"circleHugeCentreSmallRadius", [](FillingSurface& s) { s.circle(-kBig, kBig, 10, kInk); },
                    Expect::Nothing},
        HostileCase{"circleFractional", [](FillingSurface& s) { s.circle(0.4999f, -0.5f, 0.49f, kInk); },
                    Expect::Something},
        HostileCase{"ellipseAspect0", [](FillingSurface& s) { s.ellipse(25, 20, 30, 0, kInk); }, Expect::Something},
        HostileCase{"ellipseAspectHuge", [](FillingSurface& s) { s.ellipse(25, 20, 30, 1e9f, kInk); },
                    Expect::Something},
        HostileCase{"ellipseAspectMax", [](FillingSurface& s) { s.ellipse(25, 20, 3e38f, 3e38f, kInk); },
                    Expect::Anything},
        HostileCase{"ellipseAspectTiny", [](FillingSurface& s) { s.ellipse(25, 20, 3e38f, 1e-45f, kInk); },
                    Expect::Anything},
        HostileCase{"ellipseAspectNaN", [](FillingSurface& s) { s.ellipse(25, 20, 30, kNaN, kInk); }, Expect::Nothing},
        HostileCase{"ellipseAspectInfinite", [](FillingSurface& s) { s.ellipse(25, 20, 30, -kInf, kInk); },
                    Expect::Nothing},
        HostileCase{"arcNaNAngle", [](FillingSurface& s) { s.arc(25, 20, 10, kNaN, 1, 1, kInk); }, Expect::Nothing},
        HostileCase{"arcInfiniteAngle", [](FillingSurface& s) { s.arc(25, 20, 10, 0, kInf, 1, kInk); },
                    Expect::Nothing},
        HostileCase{"arcHugeAngles", [](FillingSurface& s) { s.arc(25, 20, 10, kBig, -kBig, 1, kInk); },
                    Expect::Something},
        HostileCase{"arcHugeRadius", [](FillingSurface& s) { s.arc(25, -1e9f + 10, 1e9f, 1, 2, 1, kInk); },
                    Expect::Anything},
        HostileCase{"arcAspectNaN", [](FillingSurface& s) { s.arc(25, 20, 10, 1, 2, kNaN, kInk); }, Expect::Nothing}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SurfaceHostile, HugeLineAcrossCostsOnePixelPerColumn) {
    // Provoked with end points 1e30 pixels away on both sides.
    FillingSurface s = blank(50, 40);
    s.line(-kBig, 3, kBig, 7, kInk);
    for (int x = 0; x < 50; ++x) {
        int n = 0;
        for (int y = 0; y < 40; ++y)
            if (at(s, x, y) == kInk) {
                ++n;
                EXPECT_EQ(y, 5) << "the exact line runs 2e-28 below row 5 here; column " << x;
            }
        EXPECT_EQ(n, 1) << "column " << x;
    }
}

TEST(SurfaceHostile, LineFromInsideToAFarPointKeepsItsSlope) {
    // Provoked with the far end 3.1e38 pixels away; the line rises 1 in 31.
    FillingSurface s = blank(50, 40);
    s.line(25, 20, 3.1e38f, 1e37f, kInk);
    for (int x = 0; x < 50; ++x) {
        int n = 0;
        for (int y = 0; y < 40; ++y)
            if (at(s, x, y) == kInk) {
                ++n;
                EXPECT_TRUE(y == 20 || y == 21) << x << "," << y;
            }
        EXPECT_EQ(n, x >= 25 ? 1 : 0) << "column " << x;
    }
}

TEST(SurfaceHostile, HugeFiguresAroundTheRasterFillItOrLeaveIt) {
    // A radius of 1e10 and a box 1e30 wide put the whole raster inside the figure.
    FillingSurface s = blank(50, 40);
    s.fillStyle = 1;
    s.circle(25, 20, 1e10f, kInk);
    s.box(-kBig, -kBig, kBig, kBig, kInk);
    EXPECT_TRUE(extentOf(s).empty()) << "the outlines are far outside";
    s.fillStyle = 0;
    s.fillColor = kFill;
    s.circle(25, 20, 1e10f, kInk);
    EXPECT_EQ(countOf(s, kFill), 50 * 40);
    s.fillColor = kOther;
    s.box(-kBig, -kBig, kBig, kBig, kInk);
    EXPECT_EQ(countOf(s, kOther), 50 * 40);
}

TEST(SurfaceHostile, HugeCircleGrazingTheRasterDrawsItsFlatEdge) {
    // The bottom of a circle of radius 1e6 lies on row 10; so near its lowest
    // point the circle is flat: row 10 is outline from side to side, the rows
    // above are interior and nothing lies below.
    FillingSurface s = blank(50, 40);
    s.fillStyle = 1;
    s.circle(25, -1e6f + 10, 1e6f, kInk);
    EXPECT_EQ(extentOf(s), (Extent{0, 10, 49, 10}));
    s.fillStyle = 0;
    s.fillColor = kFill;
    s.circle(25, -1e6f + 10, 1e6f, kInk);
    EXPECT_EQ(countOf(s, kFill), 50 * 10);
}

TEST(SurfaceHostile, CircleCentredBillionsOfPixelsAwayReachesExactlyItsEdge) {
    // Radius 2^31 (the span reaches floor(2^31 + 1/2) = 2^31 from the centre)
    // with the centre 2^31 - 256 pixels left of, or above, the raster: the
    // edge is column (row) 256 on every visible row (column), since so close
    // to the axis the circle bends by less than 1e-6 pixels.
    constexpr float kR = 2147483648.0f, kC = -2147483392.0f;
    for (bool across : {true, false}) {
        SCOPED_TRACE(across ? "centre to the left" : "centre above");
        const int w = across ? 300 : 40, h = across ? 40 : 300;
        FillingSurface s = blank(w, h);
        s.fillStyle = 0;
        s.fillColor = kFill;
        if (across)
            s.circle(kC, 20, kR, kInk);
        else
            s.circle(20, kC, kR, kInk);
        for (int i = 0; i < 300; ++i)
            for (int j = 0; j < 40; ++j) {
                const Colour expected = i < 256 ? kFill : i == 256 ? kInk : kBack;
                ASSERT_EQ(across ? at(s, i, j) : at(s, j, i), expected) << i << "," << j;
            }
    }
}

TEST(SurfaceHostile, DegenerateAspectsGiveAStraightRun) {
    FillingSurface s = blank(100, 80);
    s.ellipse(50, 40, 20, 0, kInk);       // vertical half-axis 0
    s.ellipse(10, 40, 20, 1e9f, kOther);  // horizontal half-axis 2e-8
    EXPECT_EQ(countOf(s, kInk), 41);
    EXPECT_EQ(countOf(s, kOther), 41);
    EXPECT_EQ(at(s, 10, 20), kOther);
    EXPECT_EQ(at(s, 70, 40), kInk);
}

// ---------------------------------------------------------------------------
// The quick ways for the commonest figures must cover exactly the pixels of
// the general rule.

// Radius 1 is painted on its own (the walking modes' specks); the ellipse with
// aspect 1 takes the general way. Provoked: centres on, just inside, on the
// edge of and beyond every side and corner, fractional, NaN and infinite, with
// a solid and a transparent fill over a checkerboard that shows the centre.
TEST(SurfaceSpeck, CoversTheSamePixelsAsTheGeneralCircle) {
    const std::vector<float> xs = {kNaN, kInf, -kInf, -2.5f, -1.5f, -1.49f, -0.5f, 0,    0.49f, 0.5f,
                                   1,    2.7f, 5.5f,  6.25f, 6.5f,  7.49f,  7.5f,  8.6f, 1e9f};
    for (int style : {0, 1}) {
        for (float x : xs) {
            for (float y : xs) {
                FillingSurface quick(7, 6), general(7, 6);
                for (FillingSurface* s : {&quick, &general}) {
                    for (int py = 0; py < 6; ++py)
                        for (int px = 0; px < 7; ++px) s->pset(px, py, (px + py) % 2 ? kBack : kOther);
                    s->fillStyle = style;
                    s->fillColor = kFill;
                }
                quick.circle(x, y, 1, kInk);
                general.ellipse(x, y, 1, 1, kInk);
                ASSERT_TRUE(samePixels(quick, general)) << "centre " << x << "," << y << " fill style " << style;
            }
        }
    }
}

// Every circle, ellipse and arc, whichever way the surface paints it (whole
// on the raster, its columns on the raster, clipped, centred far away; rows
// measured two at a time; outline and fill in one colour or two), covers
// exactly the pixels of its definition, evaluated here pixel by pixel over
// the raster and its rim: a pixel is in when its column lies within the reach
// of its row, on the outline when a 4-neighbour is out, and an arc keeps the
// outline pixels whose angle lies on its sweep. Provoked: a few thousand
// figures with fixed pseudo-random centres on, near and off the raster,
// radii from 0 to a few hundred and aspects from 1e-6 to 1e6, and a table of
// edge values - NaN, infinite, negative, zero, tiny, half a pixel, huge,
// centres billions of pixels away - crossed with each other, each drawn
// filled, filled in its own colour, outlined and as a whole and a partial
// arc, over a checkerboard that shows every pixel written.
class FigureDefinition {
public:
    FigureDefinition(float x, float y, float radius, float aspect) {
        cx_ = std::floor(static_cast<double>(x) + 0.5);
        cy_ = std::floor(static_cast<double>(y) + 0.5);
        drawn_ =
            std::isfinite(cx_) && std::isfinite(cy_) && std::isfinite(radius) && std::isfinite(aspect) && radius >= 0;
        const double r = radius, asp = std::fabs(static_cast<double>(aspect));
        const double a = asp > 1 ? r / asp : r, b = asp < 1 ? r * asp : r;
        A_ = a + 0.5;
        B_ = b + 0.5;
        ratio_ = A_ / B_;
    }
    bool drawn() const { return drawn_; }
    bool in(int x, int y) const {
        double d = std::fabs(y - cy_);
        if (!(d <= B_)) return false;
        const double reach = d == 0 ? A_ : std::sqrt((B_ - d) * (B_ + d)) * ratio_;
        return std::fabs(x - cx_) <= reach;
    }
    bool onOutline(int x, int y) const {
        return in(x, y) && !(in(x - 1, y) && in(x + 1, y) && in(x, y - 1) && in(x, y + 1));
    }
    double angleOf(int x, int y) const {
        const double angle = xm::atan2(cy_ - y, x - cx_);
        return angle < 0 ? angle + 2 * std::numbers::pi : angle;
    }

private:
    double cx_ = 0, cy_ = 0, A_ = 0, B_ = 0, ratio_ = 1;
    bool drawn_ = false;
};

enum class FigureKind { Filled, FilledInItsColour, Outlined, WholeArc, PartialArc };

struct FigureCall {
    FigureKind kind;
    float x, y, radius, aspect, start = 0, end = 0;
};

std::ostream& operator<<(std::ostream& os, const FigureCall& f) {
    return os << "kind " << static_cast<int>(f.kind) << " centre " << f.x << "," << f.y << " radius " << f.radius
              << " aspect " << f.aspect << " angles " << f.start << "," << f.end;
}

void expectFigureMatchesItsDefinition(const FigureCall& f) {
    constexpr int kW = 48, kH = 36;
    constexpr double kTurn = 2 * std::numbers::pi;
    FillingSurface drawn(kW, kH), expected(kW, kH);
    for (FillingSurface* s : {&drawn, &expected})
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) s->pset(x, y, (x + y) % 2 ? kBack : kOther);
    const Fill fill = f.kind == FigureKind::Filled              ? solidFill(kFill)
                      : f.kind == FigureKind::FilledInItsColour ? solidFill(kInk)
                                                                : kNoFill;
    const bool arc = f.kind == FigureKind::WholeArc || f.kind == FigureKind::PartialArc;
    if (arc)
        drawn.arc(f.x, f.y, f.radius, f.start, f.end, f.aspect, kInk);
    else
        drawn.ellipse(f.x, f.y, f.radius, f.aspect, kInk, fill);

    const FigureDefinition figure(f.x, f.y, f.radius, f.aspect);
    const double start = std::fmod(std::fabs(static_cast<double>(f.start)), kTurn);
    const double end = std::fmod(std::fabs(static_cast<double>(f.end)), kTurn);
    const bool partial = arc && start != end;
    auto onSweep = [&](double angle) {
        return start <= end ? angle >= start && angle <= end : angle >= start || angle <= end;
    };
    if (figure.drawn() && std::isfinite(f.start) && std::isfinite(f.end))
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                if (figure.onOutline(x, y)) {
                    if (!partial || onSweep(figure.angleOf(x, y))) expected.pset(x, y, kInk);
                } else if (!arc && fill.solid && figure.in(x, y)) {
                    expected.pset(x, y, fill.colour);
                }
            }
    ASSERT_TRUE(samePixels(drawn, expected)) << f;
}

TEST(SurfaceEllipse, EveryWayOfPaintingCoversTheDefinedPixels) {
    std::uint32_t state = 815u;
    auto uniform = [&state](double lo, double hi) {
        state = state * 1664525u + 1013904223u;
        return lo + (hi - lo) * (static_cast<double>(state >> 8) / 16777216.0);
    };
    const FigureKind kinds[] = {FigureKind::Filled, FigureKind::FilledInItsColour, FigureKind::Outlined,
                                FigureKind::WholeArc, FigureKind::PartialArc};
    for (int k = 0; k < 4000; ++k) {
        FigureCall f{kinds[k % 5], static_cast<float>(uniform(-70, 118)), static_cast<float>(uniform(-70, 106)), 0, 1};
        const int size = k / 5 % 4;
        f.radius = static_cast<float>(size == 0 ? uniform(0, 3) : size == 3 ? uniform(60, 400) : uniform(0, 60));
        const int shape = k / 20 % 4;
        f.aspect = static_cast<float>(shape == 0 ? uniform(0, 6) : shape == 1 ? std::pow(10.0, uniform(-6, 6)) : 1);
        if (shape == 3) f.aspect = -static_cast<float>(uniform(0, 3));
        f.start = static_cast<float>(uniform(-8, 14));
        f.end = f.kind == FigureKind::WholeArc ? f.start : static_cast<float>(uniform(-8, 14));
        expectFigureMatchesItsDefinition(f);
    }

    const std::vector<float> centres = {kNaN, kInf,  -kInf, -1e30f, -3e9f, -400, -0.5f, 0,   0.49f,
                                        0.5f, 17.3f, 47,    47.5f,  60,    3e9f, 1e30f, -60, 35.5f};
    const std::vector<float> radii = {kNaN, kInf, -1,   -0.0f, 0,    1e-30f, 0.49f, 0.5f,
                                      1,    1.5f, 2.5f, 30.7f, 1e5f, 3e9f,   1e30f, 3e38f};
    const std::vector<float> aspects = {
        kNaN, kInf, -2, 0, 1e-30f, 0.01f, std::nextafter(1.0f, 0.0f), 1, std::nextafter(1.0f, 2.0f), 5, 1e30f};
    std::size_t n = 0;
    for (float x : centres)
        for (float radius : radii)
            for (float aspect : aspects) {
                const float y = centres[n++ % centres.size()];
                // Centres beyond 2^52 with radii as large: neither the surface nor
                // this definition measures their edge exactly.
                if (std::fabs(std::fmax(std::fabs(x), std::fabs(y))) > 4.5e15f && radius > 4.5e15f) continue;
                for (FigureKind kind : kinds)
                    expectFigureMatchesItsDefinition(
                        {kind, x, y, radius, aspect, 5.5f, kind == FigureKind::WholeArc ? 5.5f : 1.0f});
            }
}

// The rule every line follows, pixel by pixel: step i of a line with n major
// and k minor steps between the snapped ends lies at minor offset
// floor((2 i k + n) / 2n), walked from the end with the smaller major
// coordinate, the first end on a tie.
FillingSurface nearestPixelLine(int width, int height, long x1, long y1, long x2, long y2) {
    FillingSurface expected = blank(width, height);
    const bool xMajor = std::abs(x2 - x1) >= std::abs(y2 - y1);
    long u0 = xMajor ? x1 : y1, v0 = xMajor ? y1 : x1, u1 = xMajor ? x2 : y2, v1 = xMajor ? y2 : x2;
    if (u1 < u0) std::swap(u0, u1), std::swap(v0, v1);
    const long n = u1 - u0, m = std::abs(v1 - v0), sv = v1 < v0 ? -1 : 1;
    for (long i = 0; i <= n; ++i) {
        const long v = v0 + sv * (n == 0 ? 0 : (2 * i * m + n) / (2 * n));
        const long x = xMajor ? u0 + i : v, y = xMajor ? v : u0 + i;
        if (x >= 0 && x < width && y >= 0 && y < height)
            expected.row(static_cast<int>(y))[x] = FillingSurface::toPixel(kInk);
    }
    return expected;
}

long snapped(float v) { return std::lround(std::floor(static_cast<double>(v) + 0.5)); }

// Short lines step without a running remainder, long ones with it; both must
// follow the rule above. Provoked: a few thousand lines with fixed
// pseudo-random ends, on and off the raster, short and longer than 4096 major
// steps, against that rule computed pixel by pixel here.
TEST(SurfaceLine, EveryLengthFollowsTheNearestPixelRule) {
    constexpr int kW = 64, kH = 48;
    std::uint32_t state = 2024u;
    auto next = [&state](int lo, int hi) {
        state = state * 1664525u + 1013904223u;
        return lo + static_cast<int>((state >> 8) % static_cast<std::uint32_t>(hi - lo + 1));
    };
    for (int k = 0; k < 3000; ++k) {
        const int spread = k % 3 == 0 ? 6000 : 90;  // every third line longer than 4096 steps
        const long x1 = next(-spread, kW + spread), y1 = next(-spread, kH + spread);
        const long x2 = k % 5 == 0 ? next(0, kW - 1) : next(-spread, kW + spread);
        const long y2 = k % 5 == 0 ? next(0, kH - 1) : next(-spread, kH + spread);
        FillingSurface drawn = blank(kW, kH);
        drawn.line(x1, y1, x2, y2, kInk);
        ASSERT_TRUE(samePixels(drawn, nearestPixelLine(kW, kH, x1, y1, x2, y2)))
            << "(" << x1 << "," << y1 << ")-(" << x2 << "," << y2 << ")";
    }
}

// Lines with both end pixels on the raster skip the cut; all others are cut
// to it first. Both ways must give the rule's pixels from fractional ends
// snapped by the position rule. Provoked: for each kind of line, a thousand
// fixed pseudo-random ones, ends given to the sixteenth of a pixel and often
// on the half-pixel boundaries where snapping turns, against the rule.
struct LineEndsCase {
    const char* name;
    float lo1, hi1;  // where the first end may lie, as a share of each side (0..1 is the raster)
    float lo2, hi2;  // the same for the second end
    float longest;   // the largest offset of the second end from the first, in pixels; 0: anywhere
};

class SurfaceLineEnds : public ::testing::TestWithParam<LineEndsCase> {};

TEST_P(SurfaceLineEnds, FollowTheNearestPixelRule) {
    constexpr int kW = 70, kH = 52;
    const LineEndsCase& c = GetParam();
    std::uint32_t state = 77u;
    auto unit = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f;
    };
    // A position of one axis, to the sixteenth of a pixel, a quarter of them
    // on a pixel's boundary (p - 1/2).
    auto position = [&](float lo, float hi, int size) {
        const float v = std::round((lo + (hi - lo) * unit()) * size * 16) / 16;
        return unit() < 0.25f ? std::floor(v) - 0.5f : v;
    };
    for (int k = 0; k < 1000; ++k) {
        const float x1 = position(c.lo1, c.hi1, kW), y1 = position(c.lo1, c.hi1, kH);
        float x2 = position(c.lo2, c.hi2, kW), y2 = position(c.lo2, c.hi2, kH);
        if (c.longest > 0) {
            x2 = x1 + std::round((unit() * 2 - 1) * c.longest * 16) / 16;
            y2 = y1 + std::round((unit() * 2 - 1) * c.longest * 16) / 16;
        }
        FillingSurface drawn = blank(kW, kH);
        drawn.line(x1, y1, x2, y2, kInk);
        ASSERT_TRUE(samePixels(drawn, nearestPixelLine(kW, kH, snapped(x1), snapped(y1), snapped(x2), snapped(y2))))
            << "(" << x1 << "," << y1 << ")-(" << x2 << "," << y2 << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(FillingSurface, SurfaceLineEnds,
                         ::testing::Values(LineEndsCase{"bothOnTheRaster", 0, 1, 0, 1, 0},
                                           LineEndsCase{"shortRaysOnTheRaster", 0.2f, 0.8f, 0, 0, 12},
                                           LineEndsCase{"raysAroundTheEdges", -0.1f, 1.1f, 0, 0, 30},
                                           LineEndsCase{"oneEndOff", 0, 1, -1, 2, 0},
                                           LineEndsCase{"bothEndsOff", -1, 2, -1, 2, 0},
                                           LineEndsCase{"zeroOrOneStep", -0.05f, 1.05f, 0, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// Rays snap their shared start once; each must still cover what a line from
// that start covers. Provoked: starts on the raster, off it, on a pixel's
// boundary, beyond the exact-walk limit and not finite, each with ten ends
// near, off the raster, far away and not finite, against ten line calls.
TEST(SurfaceRays, EachRayCoversWhatItsLineCovers) {
    constexpr int kW = 40, kH = 30;
    const Surface::Point starts[] = {{20, 15},    {0.5f, 29.49f}, {-3.25f, 12}, {45, -7},      {2e6f, 10},
                                     {20, -3e7f}, {kNaN, 15},     {20, kInf},   {-0.5f, -0.5f}};
    const std::vector<Surface::Point> ends = {{25, 18},  {20, 15},   {-8, 40},      {60.5f, 2.5f}, {3e6f, 29},
                                              {kNaN, 1}, {5, -kInf}, {39.5f, 0.5f}, {10, -4e9f},   {1e30f, -1e30f}};
    for (const Surface::Point& from : starts) {
        FillingSurface rays = blank(kW, kH), lines = blank(kW, kH);
        rays.rays(from.x, from.y, ends, kInk);
        for (const Surface::Point& to : ends) lines.line(from.x, from.y, to.x, to.y, kInk);
        EXPECT_TRUE(samePixels(rays, lines)) << "from (" << from.x << "," << from.y << ")";
    }
}

// Spans are painted four pixels a store with an overlapping last store.
// Provoked: filled boxes of every width from 1 to 13 at every column offset
// of a narrow surface, including those cut by its right edge, against the
// same box set pixel by pixel.
TEST(SurfaceBox, EveryWidthFillsExactlyItsColumns) {
    constexpr int kW = 17, kH = 5;
    for (int width = 1; width <= 13; ++width) {
        for (int left = -2; left < kW; ++left) {
            FillingSurface drawn = blank(kW, kH), expected = blank(kW, kH);
            drawn.fillStyle = 0;
            drawn.fillColor = kFill;
            drawn.box(left, 0, left + width - 1, 4, kInk);
            for (int y = 0; y < kH; ++y)
                for (int x = std::max(left, 0); x <= std::min(left + width - 1, kW - 1); ++x) {
                    const bool border = y == 0 || y == 4 || x == left || x == left + width - 1;
                    expected.pset(x, y, border ? kInk : kFill);
                }
            ASSERT_TRUE(samePixels(drawn, expected)) << "width " << width << " from column " << left;
        }
    }
}

}  // namespace
}  // namespace painter
