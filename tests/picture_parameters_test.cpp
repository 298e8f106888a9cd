// The picture's name from the clock, the per-picture draws and the colour table.
#include "params/picture_parameters.h"
#include "params/colour_table.h"
#include "session/picture_cycle.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>

namespace painter {
namespace {

struct NameCase {
    const char* date;
    const char* time;
    const char* name;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.date << ' ' << c.time; }

class PictureNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(PictureNameTest, NameFromDateAndTime) {
    EXPECT_EQ(pictureName(GetParam().date, GetParam().time), QString::fromLatin1(GetParam().name));
}

INSTANTIATE_TEST_SUITE_P(Clock, PictureNameTest,
                         ::testing::Values(NameCase{"11-16-2010", "14:05:09", "T20101116140509"},
                                           NameCase{"02-01-2011", "09:03:07", "T20110201090307"},
                                           NameCase{"12-31-2010", "00:00:00", "T20101231000000"},
                                           NameCase{"12-31", "00:00:00", ""},      // not a date
                                           NameCase{"12-31-2010", "00:00", ""}));  // not a time

// A clock that answers its date and time readings from two lists, to show the
// two are separate readings.
struct MidnightClock final : Clock {
    float secondsSinceMidnight() override { return 0; }
    std::string date() override { return "12-31-2010"; }  // read just before midnight
    std::string time() override { return "00:00:00"; }    // read just after it
};

TEST(PickParameters, DrawsNineValuesInTheirRanges) {
    for (int seed = 0; seed < 300; ++seed) {
        RandomGenerator rng;
        MidnightClock clock;
        QuietServices services;
        PainterSession session(rng, clock, services, QString());
        auto& s = session.state();
        rng.reset();
        rng.randomize(seed);
        const auto before = rng.draws();
        PickParameters(s, session.platform());
        ASSERT_EQ(rng.draws() - before, 9u);
        EXPECT_EQ(s.imeslike, "T20101231000000");
        for (auto [v, lo, hi] :
             {std::tuple{s.tip1, 1.0, 15.0}, {s.tip2, 1.0, 3.0}, {s.tip3, 1.0, 4.0}, {s.pozic0, 5.0, 304.0}}) {
            EXPECT_EQ(v, std::floor(v));
            EXPECT_GE(v, lo);
            EXPECT_LE(v, hi);
        }
        EXPECT_GE(s.fi0, 0);
        EXPECT_LT(s.fi0, 6.283);
        EXPECT_GE(s.r0, 1);
        EXPECT_LT(s.r0, 4);
        EXPECT_EQ(s.r0, static_cast<float>(s.r0));  // stored in single precision
        for (double fak : {s.fak1, s.fak2, s.fak3}) {
            EXPECT_GE(fak, 10);
            EXPECT_LE(fak, 20);
            EXPECT_EQ(fak, static_cast<float>(fak));
        }
        EXPECT_EQ(s.fi1, 0);
        EXPECT_EQ(s.korakfi1, 0.00002);
    }
}

// Colour-table ramps: start plus one step in row 0, strictly above 255 wraps to 1.
struct RampCase {
    const char* label;
    double start, step;
    int row;
    double expected;
};

void PrintTo(const RampCase& c, std::ostream* os) { *os << c.label; }

class ColourRampTest : public ::testing::TestWithParam<RampCase> {};

TEST_P(ColourRampTest, Row) {
    const RampCase& c = GetParam();
    PictureState s;
    s.re = s.gr = s.bl = c.start;
    fillColorTable(s, c.step, c.step, c.step);
    for (int col = 1; col <= 3; ++col) EXPECT_EQ(s.coltab[c.row][col], c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(Wraps, ColourRampTest,
                         ::testing::Values(RampCase{"start 255 wraps at once", 255, 0.5, 0, 1},
                                           RampCase{"row 0 is start plus step", 10, 0.75, 0, 10.75},
                                           RampCase{"exactly 255 stays", 253, 1.0, 1, 255},
                                           RampCase{"and wraps in the next row", 253, 1.0, 2, 1},
                                           RampCase{"after a wrap it climbs from 1", 253, 1.0, 3, 2},
                                           RampCase{"255.25 is stored as 1, excess dropped", 254.5, 0.75, 0, 1},
                                           RampCase{"fractions are kept", 1, 1.25, 3, 6}));

TEST(ColourTable, EveryBuiltRowIsOneOrAStepAboveTheLast) {
    PictureState s;
    for (int seed = 0; seed < 50; ++seed) {
        RandomGenerator rng;
        rng.reset();
        rng.randomize(seed);
        BuildColorTable(s, rng);
        EXPECT_EQ(rng.draws(), 7u);  // the reset's draw and six of the table
        for (int k = 0; k <= 601; ++k)
            for (int c = 1; c <= 3; ++c) {
                const double v = s.coltab[k][c];
                ASSERT_TRUE(v == 1 || (v >= 1.5 && v <= 255)) << k << "," << c << ": " << v;
            }
        for (int k = 602; k <= 610; ++k)
            for (int c = 0; c <= 3; ++c) ASSERT_EQ(s.coltab[k][c], 0);
        for (int k = 0; k <= 610; ++k) ASSERT_EQ(s.coltab[k][0], 0);
    }
}

}  // namespace
}  // namespace painter
