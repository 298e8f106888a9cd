// Bright colours sampled from the field, and the ring ornaments drawn in them.
#include "ornament/ornaments.h"
#include "ornament/sample_colors.h"

#include <gtest/gtest.h>

#include <ostream>

namespace painter {
namespace {

PictureState geometry() {
    PictureState s;
    s.sir = 700;
    s.vis = 525;
    return s;
}

struct SampleCase {
    const char* label;
    Colour colour;
    bool accepted;
};

void PrintTo(const SampleCase& c, std::ostream* os) { *os << c.label; }

class SampleThresholdTest : public ::testing::TestWithParam<SampleCase> {};

TEST_P(SampleThresholdTest, FieldOfOneColour) {
    const SampleCase& c = GetParam();
    PictureState s = geometry();
    Surface picture;
    picture.setBackColor(c.colour);
    RandomGenerator rng;
    SampleColors(s, picture, rng, 5000);
    // Accepted at the first try of every row: 100 tries of two draws. Rejected:
    // the search gives up after its tries and stores the brightest colour seen.
    EXPECT_EQ(rng.draws(), c.accepted ? 200u : 10000u) << c.label;
    for (int m = 1; m <= 100; ++m) {
        EXPECT_EQ(s.sampletab[m][1], redOf(c.colour)) << c.label;
        EXPECT_EQ(s.sampletab[m][2], greenOf(c.colour)) << c.label;
        EXPECT_EQ(s.sampletab[m][3], blueOf(c.colour)) << c.label;
    }
    EXPECT_EQ(s.sampletab[0][1], 0);
}

INSTANTIATE_TEST_SUITE_P(Colours, SampleThresholdTest,
                         ::testing::Values(SampleCase{"sum exactly 200", rgb(100, 50, 50), true},
                                           SampleCase{"sum 199", rgb(100, 50, 49), false},
                                           SampleCase{"white", rgb(255, 255, 255), true},
                                           SampleCase{"pure blue", rgb(0, 0, 255), true},
                                           SampleCase{"black: the bound ends the search", 0, false}));

TEST(SampleColors, NoTryLandsInTheThirtyPixelFrame) {
    // Bright everywhere but a black inside: any try in the frame would be taken.
    PictureState s = geometry();
    Surface picture;
    picture.setBackColor(0xFFFFFF);
    picture.box(30, 30, 669, 494, 0, solidFill(0));
    RandomGenerator rng;
    SampleColors(s, picture, rng, 20000);
    EXPECT_EQ(rng.draws(), 40000u);
    EXPECT_EQ(s.sampletab[1][1], 0);
    EXPECT_EQ(s.i, std::floor(s.i));
}

TEST(SampleColors, SplitColorTakesAColourApart) {
    struct {
        std::int32_t col;
        int r, g, b;
    } cases[] = {{0, 0, 0, 0}, {0xFFFFFF, 255, 255, 255}, {rgb(1, 2, 3), 1, 2, 3}, {rgb(0, 0, 255), 0, 0, 255}};
    for (auto c : cases) {
        PictureState s;
        s.col = c.col;
        SplitColor(s);
        EXPECT_EQ(s.re, c.r);
        EXPECT_EQ(s.gr, c.g);
        EXPECT_EQ(s.bl, c.b);
        EXPECT_EQ(s.col, c.col - c.r);
    }
}

TEST(Ornaments, TriangleSidesCountAsInside) {
    OrnamentTriangle t;
    t.apexColumn = 300;
    t.apexRow = 120;
    struct {
        double i, j;
        bool inside;
    } cases[] = {{300, 120, true},       // the apex
                 {325, 220, true},       // exactly on the right side: 25 = 100 / 4
                 {275, 220, true},       // exactly on the left side
                 {325.001, 220, false},  // just outside
                 {300, 119, false},      // above the apex
                 {400, 525, true}};      // on the base's right end
    for (auto c : cases) EXPECT_EQ(insideTriangle(t, c.i, c.j), c.inside) << c.i << "," << c.j;
}

TEST(Ornaments, TriangleDrawsStayInTheirRanges) {
    const PictureState s = geometry();
    for (int seed = 0; seed < 500; ++seed) {
        RandomGenerator rng;
        rng.randomize(seed);
        const OrnamentTriangle t = drawTriangle(s, rng);
        EXPECT_GT(t.height, 375);
        EXPECT_LE(t.height, 425);
        EXPECT_GE(t.apexRow, 100);
        EXPECT_LT(t.apexRow, 150);
        EXPECT_GE(t.apexColumn, 100);
        EXPECT_LT(t.apexColumn, 600);
        EXPECT_EQ(t.band, t.height / 2);
    }
}

struct RingCase {
    std::int16_t sample;
    int centre, outermost;
};

void PrintTo(const RingCase& c, std::ostream* os) { *os << "sample " << c.sample; }

class RingColourTest : public ::testing::TestWithParam<RingCase> {};

TEST_P(RingColourTest, RingsDarkenByThreeAndStopAtZero) {
    const RingCase& c = GetParam();
    PictureState s = geometry();
    for (int m = 1; m <= 100; ++m) s.sampletab[m] = {0, c.sample, c.sample, c.sample};
    s.i = 350;
    s.j = 262;
    Surface picture;
    RandomGenerator rng;
    DrawOrnament(s, picture, rng);
    EXPECT_EQ(rng.draws(), 1u);
    EXPECT_EQ(s.ret, c.outermost);
    EXPECT_EQ(s.r, 31);
    // The outermost ring's left edge, and nothing filled beyond it.
    EXPECT_EQ(picture.point(320, 262), rgb(c.outermost, c.outermost, c.outermost));
    EXPECT_EQ(picture.point(319, 262), 0);
    // The centre pixel ends under the second ring (radius 1) of the circles
    // shifted right and down, which are drawn after the first ring.
    EXPECT_EQ(picture.point(350, 262), rgb(c.centre, c.centre, c.centre));
}

INSTANTIATE_TEST_SUITE_P(Samples, RingColourTest,
                         ::testing::Values(RingCase{255, 249, 162}, RingCase{100, 94, 7}, RingCase{2, 0, 0}));

TEST(Ornaments, HundredOrnamentsInsideTheTriangle) {
    PictureState s = geometry();
    for (int m = 1; m <= 100; ++m) s.sampletab[m] = {0, 200, 100, 50};
    Surface picture;
    RandomGenerator rng;
    rng.randomize(7);
    RandomGenerator copy = rng;
    PlaceOrnaments(s, picture, rng);
    EXPECT_EQ(s.n, 101);
    const OrnamentTriangle t = drawTriangle(s, copy);
    EXPECT_TRUE(insideTriangle(t, s.i, s.j));
    // Two draws per try, one per ornament for its colour, two for the triangle.
    EXPECT_GE(rng.draws() - copy.draws(), 2u * 100 + 100);
    EXPECT_EQ((rng.draws() - copy.draws() - 100) % 2, 0u);
}

}  // namespace
}  // namespace painter
