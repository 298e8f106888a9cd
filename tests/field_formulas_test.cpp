// World coordinates, the moving centre, and the three field procedures with
// their skip-on-failure statements.
#include "render/field_formulas.h"
#include "pixel_steps.h"
#include "render/paint_field.h"
#include "session/picture_cycle.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>

namespace painter {
namespace {

PictureState startup() {
    PictureState s;
    setStartupValues(s);
    return s;
}

TEST(WorldCoordinates, EdgesAndCentre) {
    const PictureState s = startup();
    EXPECT_EQ(s.dx, 700.0 / 12);
    EXPECT_EQ(s.dx, s.dy);
    struct {
        double column, x;
    } columns[] = {{0, -6.0}, {350, 0.0}, {700, 6.0}};
    for (auto c : columns) EXPECT_EQ(worldX(s, c.column), c.x) << c.column;
    struct {
        double row, y;
    } rows[] = {{0, 4.5}, {262, 0.008571428571428896}, {525, -4.5}};
    for (auto r : rows) EXPECT_EQ(worldY(s, r.row), r.y) << r.row;
}

TEST(PolarCoords, FirstPixelSeesOneStep) {
    PictureState s = startup();
    s.fi0 = 1.25;
    s.r0 = 2;
    s.korakfi1 = 0.00002;
    s.x = 1;
    s.y = 1;
    PolarCoords(s);
    EXPECT_EQ(s.fi1, 0.00002);
    EXPECT_EQ(s.fit, 1.25 + 0.00002);
    EXPECT_GT(s.r, 0);
    EXPECT_GT(s.fi, -M_PI / 2);
    EXPECT_LT(s.fi, M_PI / 2);
}

TEST(PolarCoords, StraightBelowTheCentreKeepsTheAngle) {
    // r0 = 0 puts the centre on the origin, so the pixel at x = 0 has ux = 0.
    PictureState s = startup();
    s.r0 = 0;
    s.korakfi1 = 0.00002;
    s.fi = 0.625;  // the previous pixel's angle
    s.x = 0;
    s.y = -3;
    PolarCoords(s);
    EXPECT_EQ(s.fi, 0.625);
    EXPECT_EQ(s.r, 3);
    s.y = 0;  // on the centre itself: 0 / 0
    PolarCoords(s);
    EXPECT_EQ(s.fi, 0.625);
    EXPECT_EQ(s.r, 0);
}

// One position, every formula: a number without its own case fails here.
PictureState atPoint() {
    PictureState s;
    s.r = 1.3;
    s.fi = 0.4;
    s.x = 0.7;
    s.y = -0.9;
    s.fit = 2.1;
    return s;
}

TEST(FieldValue, EveryFormulaAgainstItsExpectedValue) {
    const double expected[16] = {0,
                                 1.6900000000000002,
                                 0.52,
                                 1.6284133333550563,
                                 0.9099999999999999,
                                 0.5450512094883494,
                                 2.239716816053404,
                                 0.21985247374384415,
                                 2.1116896784830725,
                                 3.5085722407734696,
                                 2.3281832726928173,
                                 2.75,
                                 0.033900713980247354,
                                 3.25,
                                 4.3879266588414225,
                                 5.963707630888033};
    for (int tip1 = 1; tip1 <= 15; ++tip1) {
        PictureState s = atPoint();
        s.tip1 = tip1;
        FieldValue(s);
        EXPECT_NEAR(s.ba, expected[tip1], 4e-15 * std::fabs(expected[tip1])) << "formula " << tip1;
    }
    for (double outside : {0.0, 16.0, -3.0, 1e9}) {
        PictureState s = atPoint();
        s.tip1 = outside;
        FieldValue(s);
        EXPECT_EQ(s.ba, 1.3 * 1.3) << "selector " << outside;
    }
}

TEST(ChannelValues, EveryRecipeAgainstItsExpectedValues) {
    const double expected[4][3] = {{27.5, 31.25, 47.5},  // outside the list: recipe 1
                                   {27.5, 31.25, 47.5},
                                   {27.408895463542983, 25.66874707156147, 27.158023416622186},
                                   {29.908895463542983, 31.91874707156147, 49.658023416622186}};
    for (int tip2 = 0; tip2 <= 3; ++tip2) {
        for (double sign : {1.0, -1.0}) {  // a negative field value gives the same channels
            PictureState s = atPoint();
            s.ba = 2.5 * sign;
            s.fak1 = 11;
            s.fak2 = 12.5;
            s.fak3 = 19;
            s.tip2 = tip2;
            ChannelValues(s);
            EXPECT_NEAR(s.re, expected[tip2][0], 1e-13) << tip2;
            EXPECT_NEAR(s.gr, expected[tip2][1], 1e-13) << tip2;
            EXPECT_NEAR(s.bl, expected[tip2][2], 1e-13) << tip2;
        }
    }
}

TEST(MixValue, EveryRecipeAgainstItsExpectedValue) {
    const double expected[6] = {120.0, 120.0, 168.17790927085966, 58.159243849204245, 77.81354984738329, 120.0};
    for (int tip3 = 0; tip3 <= 5; ++tip3) {
        PictureState s = atPoint();
        s.re = 30;
        s.gr = 40;
        s.bl = 50;
        s.tip3 = tip3;
        MixValue(s);
        EXPECT_NEAR(s.barva, expected[tip3], 1e-12) << tip3;
    }
}

// A failing formula leaves its target as the previous pixel left it.
struct FailCase {
    const char* label;
    int tip1;
    double r, fi, x;
    bool keeps;  // true: ba keeps 123.5; false: ba becomes `value`
    double value;
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.label; }

class FailingFormulaTest : public ::testing::TestWithParam<FailCase> {};

TEST_P(FailingFormulaTest, TargetKeepsItsValue) {
    const FailCase& c = GetParam();
    PictureState s;
    s.tip1 = c.tip1;
    s.r = c.r;
    s.fi = c.fi;
    s.x = c.x;
    s.y = 0.5;
    s.fit = 1;
    s.ba = 123.5;
    FieldValue(s);
    if (c.keeps)
        EXPECT_EQ(s.ba, 123.5) << c.label;
    else
        EXPECT_EQ(s.ba, c.value) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingFormulaTest,
    ::testing::Values(FailCase{"15 in column 350 (x = 0)", 15, 2, 0.3, 0, true, 0},
                      // 0 / 0 gives NaN, and NaN ^ anything-but-0 would be NaN too; the division must fail on its own.
                      FailCase{"15 with r = 0 and x = 0", 15, 0, 0.3, 0, true, 0},
                      FailCase{"11 where fi = 0", 11, 2, 0, 1, true, 0},
                      FailCase{"13 where fi = 0", 13, 2, 0, 1, true, 0},
                      FailCase{"13 where r = 0 and fi = 0", 13, 0, 0, 1, true, 0},
                      FailCase{"14 where fi = 0", 14, 2, 0, 1, true, 0},
                      FailCase{"6 at r = 0 is 0 / 0^0 = 0", 6, 0, 0.3, 1, false, 0},
                      FailCase{"2 where fi = 0 is simply 0", 2, 2, 0, 1, false, 0}));

TEST(MixValue, RecipeThreeFailsOnTheCentre) {
    PictureState s;
    s.tip3 = 3;
    s.re = 5;
    s.gr = 6;
    s.bl = 7;
    s.r = 0;
    s.barva = 42;
    MixValue(s);
    EXPECT_EQ(s.barva, 42);
}

TEST(MixValue, RecipeThreeIgnoresBlue) {
    PictureState a = atPoint(), b = atPoint();
    a.tip3 = b.tip3 = 3;
    a.re = b.re = 30;
    a.gr = b.gr = 40;
    a.bl = 1;
    b.bl = 1e6;
    MixValue(a);
    MixValue(b);
    EXPECT_EQ(a.barva, b.barva);
}

TEST(ChannelValues, EachStatementFailsAlone) {
    // An overflowing red product does not stop green and blue.
    PictureState s = atPoint();
    s.tip2 = 1;
    s.ba = 1e308;
    s.fak1 = 20;
    s.fak2 = 0.5;
    s.fak3 = 0.25;
    s.re = 7;
    ChannelValues(s);
    EXPECT_EQ(s.re, 7);
    EXPECT_EQ(s.gr, 5e307);
    EXPECT_EQ(s.bl, 2.5e307);
}

}  // namespace
}  // namespace painter
