// The greeting along the bottom of the picture and the "*" on the window.
#include "output/greeting.h"

#include <gtest/gtest.h>

#include <ostream>

namespace painter {
namespace {

constexpr Colour kGrey = 0x808080;

struct Band {
    int top = 1 << 30, bottom = -1, left = 1 << 30, right = -1;
    int white = 0, black = 0, other = 0;
};

Band changedPixels(const Surface& s) {
    Band b;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const Colour c = s.point(x, y);
            if (c == kGrey) continue;
            b.top = std::min(b.top, y);
            b.bottom = std::max(b.bottom, y);
            b.left = std::min(b.left, x);
            b.right = std::max(b.right, x);
            (c == 0xFFFFFF ? b.white : c == 0 ? b.black : b.other)++;
        }
    return b;
}

struct GreetingCase {
    const char* name;
    bool reachesRightEdge;
};

void PrintTo(const GreetingCase& c, std::ostream* os) { *os << '"' << c.name << '"'; }

class GreetingTest : public ::testing::TestWithParam<GreetingCase> {};

TEST_P(GreetingTest, WhiteOverABlackShadowInTheBottomBand) {
    PictureState s;
    s.t = QString::fromLatin1(GetParam().name);
    Surface picture, form(60, 40);
    picture.setBackColor(kGrey);
    form.setBackColor(kGrey);
    form.foreColor = 0xFFFFFF;
    PrintGreeting(s, picture, form);

    const Band b = changedPixels(picture);
    EXPECT_EQ(b.other, 0) << "glyph pixels only, no smoothing";
    EXPECT_GT(b.white, 100);
    EXPECT_GE(b.left, 10);
    EXPECT_LE(b.left, 13);
    EXPECT_GE(b.top, 490);
    EXPECT_LE(b.bottom, 515) << "one line, never wrapped";
    EXPECT_EQ(b.right == picture.width() - 1, GetParam().reachesRightEdge);
    // The black copy lies one pixel up and left of the white one, so a white
    // pixel's upper-left neighbour is part of some glyph too.
    for (int y = 491; y < 520; ++y)
        for (int x = 11; x < picture.width(); ++x)
            if (picture.point(x, y) == 0xFFFFFF) {
                ASSERT_NE(picture.point(x - 1, y - 1), kGrey) << x << "," << y;
            }
    EXPECT_EQ(picture.fontSize, 12);
    EXPECT_EQ(picture.foreColor, 0xFFFFFF);

    // The window gets its "*" near the top-left corner.
    const Band star = changedPixels(form);
    EXPECT_GT(star.white, 4);
    EXPECT_LE(star.right, 12);
    EXPECT_LE(star.bottom, 16);
}

INSTANTIATE_TEST_SUITE_P(Names, GreetingTest,
                         ::testing::Values(GreetingCase{"", false}, GreetingCase{"ana novak", false},
                                           GreetingCase{"zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"
                                                        "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz",
                                                        true}));

TEST(Greeting, TextFollowsTheNameDirectly) {
    EXPECT_TRUE(greetingText().startsWith(", zelim ti veliko srece v letu 2011      www."));
}

}  // namespace
}  // namespace painter
