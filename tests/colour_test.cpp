// RGB() levels: rounding a half to even, the cut to 0..255 and NaN.
#include "platform/colour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace painter {
namespace {

// The level as RGB() defines it, step by step with branches.
int plainLevel(double v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return static_cast<int>(roundHalfEven(v));
}

TEST(ColourLevel, EdgesOfTheRangeAndHalves) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const struct {
        double v;
        int level;
    } cases[] = {
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {-std::numeric_limits<double>::quiet_NaN(), 0},
        {-kInf, 0},
        {-1e300, 0},
        {-0.6, 0},
        {-0.0, 0},
        {0.0, 0},
        {std::numeric_limits<double>::denorm_min(), 0},
        {0.5, 0},  // a half goes to the even neighbour
        {std::nextafter(0.5, 1.0), 1},
        {1.5, 2},
        {2.5, 2},
        {127.5, 128},
        {253.5, 254},
        {254.5, 254},
        {std::nextafter(254.5, 255.0), 255},
        {255.0, 255},
        {255.5, 255},
        {1e300, 255},
        {kInf, 255},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(colourLevel(c.v), c.level) << c.v;
        EXPECT_EQ(plainLevel(c.v), c.level) << c.v;
    }
}

// The levels a pixel gets: products of a sine + 1 and a table entry, spread
// over and beyond 0..255, and values just off every half.
TEST(ColourLevel, SameAsThePlainDefinition) {
    std::mt19937_64 random(0xC0107);
    std::uniform_real_distribution<double> spread(-300.0, 600.0);
    for (int k = 0; k < 1000000; ++k) {
        const double v = spread(random);
        ASSERT_EQ(colourLevel(v), plainLevel(v)) << v;
    }
    for (int whole = -2; whole <= 257; ++whole) {
        const double half = whole + 0.5;
        for (double v : {half, std::nextafter(half, -1e9), std::nextafter(half, 1e9), static_cast<double>(whole)})
            ASSERT_EQ(colourLevel(v), plainLevel(v)) << v;
    }
}

TEST(ColourLevel, RgbPacksRedGreenBlue) {
    EXPECT_EQ(rgb(1.5, 254.5, 300), 2 + 256 * 254 + 65536 * 255);
    EXPECT_EQ(rgb(std::nan(""), -3, 0.5), 0);
}

}  // namespace
}  // namespace painter
