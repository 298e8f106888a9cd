// The pixel's colour, its brush state and the eighteen brush modes.
#include "render/paint_pixel.h"
#include "pixel_steps.h"
#include "render/brush_modes.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <cstdint>
#include <utility>

namespace painter {
namespace {

// A picture state at one pixel in the middle, with a table whose rows hold
// their own index so the chosen row can be read off the colour levels.
PictureState pixelState() {
    PictureState s;
    for (int k = 0; k <= 601; ++k)
        for (int c = 1; c <= 3; ++c) s.coltab[k][c] = k % 200 + 1;
    s.i = 350;
    s.j = 262;
    s.pozic0 = 5;
    s.r = 1.1;
    s.fit = 2.0;
    s.fi1 = 0.5;
    s.rr = 10;
    s.fr = 1;
    s.barva = 100;
    s.nac = 1;
    return s;
}

struct ModCase {
    double barva;
    double clamped;
    double remainder;
};

void PrintTo(const ModCase& c, std::ostream* os) { *os << "barva " << c.barva; }

class ColourRemainderTest : public ::testing::TestWithParam<ModCase> {};

TEST_P(ColourRemainderTest, ClampThenHalfToEvenThenRemainder) {
    const ModCase& c = GetParam();
    PictureState s = pixelState();
    s.barva = c.barva;
    Surface picture;
    RandomGenerator rng;
    PaintPixel(s, picture, rng);
    EXPECT_EQ(s.barva, c.clamped);
    EXPECT_EQ(colourRemainder(s.barva), c.remainder);
    // The row chosen is remainder + pozic0; with sin(r) + 1 the red level reveals it.
    const double row = c.remainder + 5;
    EXPECT_DOUBLE_EQ(s.ret, (std::sin(1.1) + 1) * (static_cast<int>(row) % 200 + 1));
}

INSTANTIATE_TEST_SUITE_P(Cases, ColourRemainderTest,
                         ::testing::Values(ModCase{0.4, 1, 1}, ModCase{-1e300, 1, 1}, ModCase{1000, 675, 115},
                                           ModCase{280.5, 280.5, 0}, ModCase{281.5, 281.5, 2}, ModCase{560, 560, 0},
                                           ModCase{279.5, 279.5, 0}, ModCase{2.5, 2.5, 2}, ModCase{675, 675, 115}));

TEST(PaintPixel, ColourLevelsSaturateInRgb) {
    // A level of 200 with sin(r) = 1 gives 400, which the colour cuts to 255.
    PictureState s = pixelState();
    for (int k = 0; k <= 601; ++k) s.coltab[k][1] = 200;
    s.r = M_PI / 2;
    Surface picture;
    RandomGenerator rng;
    PaintPixel(s, picture, rng);
    EXPECT_DOUBLE_EQ(s.ret, 400);
    EXPECT_EQ(redOf(picture.point(350, 262)), 255);
    s.r = 3 * M_PI / 2;  // red vanishes whatever the row
    PaintPixel(s, picture, rng);
    EXPECT_NEAR(s.ret, 0, 1e-12);
}

TEST(PaintPixel, BrushRadiusIsATriangleWave) {
    PictureState s = pixelState();
    s.rr = 24.9995;
    Surface picture;
    RandomGenerator rng;
    PaintPixel(s, picture, rng);
    EXPECT_NEAR(s.rr, 25.0005, 1e-12);
    EXPECT_EQ(s.fr, -1);
    // From then on it falls to below 3 and turns again: 44,000 pixels a full wave.
    int pixels = 1, turns = 0;
    double lastFr = s.fr;
    while (turns < 2) {
        PaintPixel(s, picture, rng);
        ++pixels;
        if (s.fr != lastFr) {
            ++turns;
            lastFr = s.fr;
        }
        ASSERT_LT(pixels, 100000);
    }
    EXPECT_NEAR(pixels, 44001, 3);
    EXPECT_GE(s.rr, 25);
}

// The number of draws each mode makes for one pixel: a mode number without
// its own case fails here.
TEST(BrushModes, DrawsPerPixel) {
    const int expected[20] = {
        0 /* 0: as mode 1 */, 0, 0, 0, 0, 0, 1, 1, 1, 40, 40, 40, 0, 0, 0, 1, 0, 0, 20, 0 /* 19: as mode 1 */};
    for (int nac = 0; nac <= 19; ++nac) {
        PictureState s = pixelState();
        s.nac = nac;
        Surface picture;
        RandomGenerator rng;
        PaintPixel(s, picture, rng);
        EXPECT_EQ(rng.draws(), static_cast<std::uint64_t>(expected[nac])) << "mode " << nac;
    }
}

// Where each mode leaves its mark for the pixel in the middle of a black
// picture: the number of pixels it changes lies in a range of its own.
TEST(BrushModes, EveryModeMarksThePicture) {
    struct {
        int lo, hi;
    } changed[19] = {{0, 0},      {1, 1},   {1, 9},     {2, 400}, {20, 400},          {100, 2000},
                     {10, 12000}, {1, 600}, {10, 3000}, {1, 20},  {1, 200},           {1, 200},
                     {2, 300},    {2, 40},  {3, 200},   {3, 400}, {41 * 41, 41 * 41}, {1, 61 * 61},
                     {10, 800}};
    for (int nac = 1; nac <= 18; ++nac) {
        PictureState s = pixelState();
        s.nac = nac;
        s.fi1 = 1.7;
        Surface picture;
        s.fillColor = 0x00FF00;  // left by an earlier picture
        RandomGenerator rng;
        PaintPixel(s, picture, rng);
        int count = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) count += picture.point(x, y) != 0;
        EXPECT_GE(count, changed[nac].lo) << "mode " << nac;
        EXPECT_LE(count, changed[nac].hi) << "mode " << nac;
    }
}

TEST(BrushModes, FillColourCarriesOver) {
    // Modes 4 and 6 set black, 5, 7, 8 and 10 the pixel's colour; the others keep it.
    const int sets[19] = {-1, -1, -1, -1, 0, 1, 0, 1, 1, -1, 1, -1, -1, -1, -1, -1, -1, -1, -1};
    for (int nac = 1; nac <= 18; ++nac) {
        PictureState s = pixelState();
        s.nac = nac;
        Surface picture;
        s.fillColor = 0x123456;
        RandomGenerator rng;
        PaintPixel(s, picture, rng);
        const Colour c = rgb(s.ret, s.grt, s.blt);
        const Colour expected = sets[nac] == -1 ? 0x123456 : sets[nac] == 0 ? 0 : c;
        EXPECT_EQ(s.fillColor, expected) << "mode " << nac;
    }
}

TEST(BrushModes, WalkCounterEndsAt21) {
    for (int nac : {9, 10, 11}) {
        PictureState s = pixelState();
        s.nac = nac;
        Surface picture;
        RandomGenerator rng;
        PaintPixel(s, picture, rng);
        EXPECT_EQ(s.n, 21) << nac;
    }
}

TEST(BrushModes, WalksOfTenAndElevenMarkOnlyBlack) {
    // A picture already white everywhere takes no mark from a walk.
    for (int nac : {10, 11}) {
        PictureState s = pixelState();
        s.nac = nac;
        Surface picture;
        picture.setBackColor(0xFFFFFF);
        RandomGenerator rng;
        PaintPixel(s, picture, rng);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) ASSERT_EQ(picture.point(x, y), 0xFFFFFF);
    }
}

TEST(BrushModes, StrokeOffsetsSurviveZeroAngle) {
    // fi1 = 0 fails the four divisions: the stroke shrinks to the pixel itself.
    PictureState s = pixelState();
    s.nac = 3;
    s.fi1 = 0;
    Surface picture;
    RandomGenerator rng;
    PaintPixel(s, picture, rng);
    EXPECT_NE(picture.point(350, 262), 0);
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) count += picture.point(x, y) != 0;
    EXPECT_EQ(count, 1);
}

// The walking modes step in whole numbers from the draw's 24 bits. Provoked:
// every one of the 2^24 values a draw can take, for both walks, against
// Int(Rnd * w - h) computed the long way, through single and double precision.
TEST(WalkStep, EveryDrawGivesTheFloorOfItsScaledValue) {
    for (const auto& [w, h] : {std::pair{5, 2}, std::pair{9, 4}}) {
        for (std::uint32_t k = 0; k < (1u << 24); ++k) {
            const float rnd = static_cast<float>(k) * 0x1p-24f;
            const double longWay = std::floor(static_cast<double>(rnd) * w - h);
            if (walkStep(k, w, h) != longWay) {
                FAIL() << "k = " << k << ", w = " << w << ": " << walkStep(k, w, h) << " instead of " << longWay;
            }
        }
    }
}

// Mode 18's rays take their offsets in whole numbers from the draw's 24 bits.
// Provoked: every one of the 2^24 values a draw can take against
// single(Rnd * 100 - 50) computed the long way, through single and double.
TEST(RayOffset, EveryDrawGivesTheSingleOfItsScaledValue) {
    for (std::uint32_t k = 0; k < (1u << 24); ++k) {
        const float rnd = static_cast<float>(k) * 0x1p-24f;
        const float longWay = static_cast<float>(static_cast<double>(rnd) * 100 - 50);
        if (rayOffset(k) != longWay || std::signbit(rayOffset(k)) != std::signbit(longWay)) {
            FAIL() << "k = " << k << ": " << rayOffset(k) << " instead of " << longWay;
        }
    }
}

}  // namespace
}  // namespace painter
