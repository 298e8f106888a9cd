// Fuzz target for the drawing surface: the input is read as a surface size and
// a sequence of calls (PSet, Point, Line, box, Circle, ellipse, arc, BackColor,
// Cls, FillStyle, FillColor) with hostile floats and colours.
//
// A figure covers the same pixels wherever the raster's edges are. So every
// call also goes to two reference rasters that are larger: `grown` extends
// the raster to the right and below, and `moved` on every side, with the
// positions moved by the margin to match. After each call the surface under
// test must equal the matching part of each reference; a run that spills past
// the right edge into the next row, or a clipping bound that is one off at any
// edge, shows up as a difference. AddressSanitizer catches writes outside the
// pixel buffer, UndefinedBehaviorSanitizer float-to-int conversions out of
// range, and libFuzzer's timeout a figure that walks invisible pixels.
//
// SURFACE_FUZZ_TRACE=1 prints every call and, on a difference, where it is.

#include "platform/surface.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <limits>

namespace painter {
namespace {

// Odd sizes: single pixels, single rows and columns, a raster with nothing in it.
constexpr int kSizes[][2] = {{1, 1},  {2, 700}, {700, 2}, {1, 9}, {9, 1}, {3, 3}, {5, 7},
                             {16, 9}, {33, 17}, {0, 0},   {0, 5}, {5, 0}, {2, 2}, {70, 52}};
// How much larger the references are: enough for a figure to run past each
// edge of the raster under test.
constexpr int kMargin = 3;

// Line ends farther than this are clipped in double precision before the exact
// walk, against a box that depends on the raster; where that rounding lands may
// differ by a pixel between rasters, so such lines are checked for safety only.
constexpr double kExactLineLimit = 1048576.0;
// Beyond this, moving a position by the margin is no longer exact in double
// either, so the moved reference cannot be compared.
constexpr double kExactMoveLimit = 1099511627776.0;  // 2^40

const bool kTrace = std::getenv("SURFACE_FUZZ_TRACE") != nullptr;

void trace(const char* call, std::initializer_list<double> args) {
    if (!kTrace) return;
    std::fprintf(stderr, "%s(", call);
    const char* separator = "";
    for (double v : args) {
        std::fprintf(stderr, "%s%.9g", separator, v);
        separator = ", ";
    }
    std::fprintf(stderr, ")\n");
}

float specialFloat(FuzzedDataProvider& in, const Surface& s) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float w = static_cast<float>(s.width()), h = static_cast<float>(s.height());
    const float table[] = {std::numeric_limits<float>::quiet_NaN(),
                           inf,
                           -inf,
                           1e30f,
                           -1e30f,
                           3.4e38f,
                           -3.4e38f,
                           std::numeric_limits<float>::max(),
                           -0.0f,
                           0.0f,
                           std::numeric_limits<float>::denorm_min(),
                           -std::numeric_limits<float>::denorm_min(),
                           std::numeric_limits<float>::min(),
                           0.5f,
                           -0.5f,
                           0.49999997f,  // the float just below a half
                           1.5f,
                           -1.5f,
                           1048576.0f,  // 2^20, where lines start to be pre-clipped
                           1048577.0f,
                           -1048577.0f,
                           8388608.0f,   // 2^23: no fractions left
                           16777217.0f,  // rounds to 2^24
                           2147483648.0f,
                           -2147483648.0f,
                           9.2233720e18f,
                           w - 0.5f,
                           h - 0.5f,
                           w,
                           h,
                           w + 0.5f,
                           h + 0.5f};
    return table[in.ConsumeIntegralInRange<std::size_t>(0, std::size(table) - 1)];
}

// A position, radius or angle: mostly near the raster, where figures are cut.
float anyFloat(FuzzedDataProvider& in, const Surface& s) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return specialFloat(in, s);
    case 1: return std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>());
    default: {
        // Whole and quarter positions a little beyond the raster on both sides.
        const int whole = in.ConsumeIntegralInRange(-8, 80);
        return static_cast<float>(whole) + 0.25f * static_cast<float>(in.ConsumeIntegralInRange(-2, 2));
    }
    }
}

Colour anyColour(FuzzedDataProvider& in) {
    // Colours are meant to be 0..0xFFFFFF, but nothing stops a caller.
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<Colour>(0, 0xFFFFFF) : in.ConsumeIntegral<Colour>();
}

[[noreturn]] void fail(const char* what, int x, int y) {
    std::fprintf(stderr, "surface_fuzz: %s at (%d, %d)\n", what, x, y);
    std::abort();
}

void checkPoint(const Surface& s, float x, float y) {
    const Colour c = s.point(x, y);
    if (c < -1 || c > 0xFFFFFF) fail("Point out of range", static_cast<int>(c), 0);
    const double px = std::floor(static_cast<double>(x) + 0.5), py = std::floor(static_cast<double>(y) + 0.5);
    const bool inside = px >= 0 && px < s.width() && py >= 0 && py < s.height();
    if (!inside) {
        if (c != -1) fail("Point outside the raster is not -1", static_cast<int>(c), 0);
        return;
    }
    const int ix = static_cast<int>(px), iy = static_cast<int>(py);
    if (c != Surface::toColour(s.row(iy)[ix])) fail("Point disagrees with the pixel", ix, iy);
}

// One reference raster: larger than the raster under test, which lies in it
// at (offset, offset).
struct Reference {
    Reference(const char* name, int width, int height, int grow, int offset)
        : name(name), surface(width + grow, height + grow), offset(offset) {}

    const char* name;
    Surface surface;
    int offset;
    bool comparable = true;  // for the call just made

    // A position as this reference sees it. The move counts as exact when it
    // moves the position's pixel by exactly the offset; NaN and the infinities
    // stay what they are and draw nothing either way.
    float at(float v) {
        if (offset == 0) return v;
        const float m = v + static_cast<float>(offset);
        const double pixel = std::floor(static_cast<double>(v) + 0.5);
        if (std::isfinite(v) &&
            !(std::fabs(v) < kExactMoveLimit && std::floor(static_cast<double>(m) + 0.5) == pixel + offset))
            comparable = false;
        return m;
    }

    void check(const Surface& s) {
        const Surface& r = surface;
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x)
                if ((r.row(y)[x] >> 24) != 0xFF) fail("reference pixel lost its opaque alpha", x, y);
        for (int y = 0; comparable && y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                if (s.row(y)[x] != r.row(y + offset)[x + offset]) {
                    showDifferences(s);
                    std::fprintf(stderr, "surface_fuzz: compared with the %s reference\n", name);
                    fail("pixel differs from the larger raster", x, y);
                }
        if (!comparable) {
            // The reference takes the tested pixels over, so that the next
            // calls compare again.
            for (int y = 0; y < s.height(); ++y)
                for (int x = 0; x < s.width(); ++x) surface.row(y + offset)[x + offset] = s.row(y)[x];
        }
        comparable = true;
    }

    void showDifferences(const Surface& s) const {
        if (!kTrace) return;
        for (int y = 0; y < s.height(); ++y) {
            for (int x = 0; x < s.width(); ++x)
                std::fputc(s.row(y)[x] == surface.row(y + offset)[x + offset] ? '.' : 'X', stderr);
            std::fputc('\n', stderr);
        }
    }
};

// The raster under test and its references, receiving the same calls.
struct Rasters {
    Rasters(int width, int height)
        : tested(width, height),
          grown("grown", width, height, kMargin, 0),
          moved("moved", width, height, 2 * kMargin, kMargin) {}

    Surface tested;
    Reference grown, moved;

    // Runs draw(surface, position mapping) on all three rasters.
    template <typename Draw>
    void draw(Draw&& drawOn) {
        drawOn(tested, [](float v) { return v; });
        drawOn(grown.surface, [this](float v) { return grown.at(v); });
        drawOn(moved.surface, [this](float v) { return moved.at(v); });
    }
    template <typename Change>
    void change(Change&& changeOn) {
        for (Surface* s : {&tested, &grown.surface, &moved.surface}) changeOn(*s);
    }
    void lineEnds(std::initializer_list<float> ends) {
        for (float v : ends)
            if (std::fabs(v) > kExactLineLimit - 2 * kMargin) grown.comparable = moved.comparable = false;
    }
    void check() {
        grown.check(tested);
        moved.check(tested);
    }
};

}  // namespace
}  // namespace painter

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace painter;
    FuzzedDataProvider in(data, size);
    const auto& dims = kSizes[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kSizes) - 1)];
    Rasters rasters(dims[0], dims[1]);
    const Surface& s = rasters.tested;
    if (s.width() != dims[0] || s.height() != dims[1]) std::abort();
    trace("surface", {double(dims[0]), double(dims[1])});
    // The fill the closed figures get, as the calls below set it: FillStyle 0
    // is solid, every other style none.
    Fill fill = solidFill(0);

    for (int calls = 0; calls < 64 && in.remaining_bytes() > 0; ++calls) {
        switch (in.ConsumeIntegralInRange(0, 10)) {
        case 0: {
            const float x = anyFloat(in, s), y = anyFloat(in, s);
            const Colour c = anyColour(in);
            trace("pset", {x, y, double(c)});
            rasters.draw([&](Surface& t, auto at) { t.pset(at(x), at(y), c); });
            checkPoint(s, x, y);
            break;
        }
        case 1: {
            const float x = anyFloat(in, s), y = anyFloat(in, s);
            trace("point", {x, y});
            rasters.change([&](Surface& t) { checkPoint(t, x, y); });
            break;
        }
        case 2: {
            const float x1 = anyFloat(in, s), y1 = anyFloat(in, s), x2 = anyFloat(in, s), y2 = anyFloat(in, s);
            const Colour c = anyColour(in);
            trace("line", {x1, y1, x2, y2, double(c)});
            rasters.draw([&](Surface& t, auto at) { t.line(at(x1), at(y1), at(x2), at(y2), c); });
            rasters.lineEnds({x1, y1, x2, y2});
            break;
        }
        case 3: {
            const float x1 = anyFloat(in, s), y1 = anyFloat(in, s), x2 = anyFloat(in, s), y2 = anyFloat(in, s);
            const Colour c = anyColour(in);
            trace("box", {x1, y1, x2, y2, double(c)});
            rasters.draw([&](Surface& t, auto at) { t.box(at(x1), at(y1), at(x2), at(y2), c, fill); });
            break;
        }
        case 4: {
            const float x = anyFloat(in, s), y = anyFloat(in, s), r = anyFloat(in, s);
            const Colour c = anyColour(in);
            trace("circle", {x, y, r, double(c)});
            rasters.draw([&](Surface& t, auto at) { t.circle(at(x), at(y), r, c, fill); });
            break;
        }
        case 5: {
            const float x = anyFloat(in, s), y = anyFloat(in, s), r = anyFloat(in, s);
            const float aspect = in.ConsumeBool() ? anyFloat(in, s) : in.ConsumeFloatingPointInRange(0.0f, 4.0f);
            const Colour c = anyColour(in);
            trace("ellipse", {x, y, r, aspect, double(c)});
            rasters.draw([&](Surface& t, auto at) { t.ellipse(at(x), at(y), r, aspect, c, fill); });
            break;
        }
        case 6: {
            const float x = anyFloat(in, s), y = anyFloat(in, s), r = anyFloat(in, s);
            const float start = in.ConsumeBool() ? anyFloat(in, s) : in.ConsumeFloatingPointInRange(-7.0f, 7.0f);
            const float end = in.ConsumeBool() ? anyFloat(in, s) : in.ConsumeFloatingPointInRange(-7.0f, 7.0f);
            const float aspect = in.ConsumeBool() ? 1.0f : anyFloat(in, s);
            const Colour c = anyColour(in);
            trace("arc", {x, y, r, start, end, aspect, double(c)});
            rasters.draw([&](Surface& t, auto at) { t.arc(at(x), at(y), r, start, end, aspect, c); });
            break;
        }
        case 7: {
            const Colour c = anyColour(in);
            trace("setBackColor", {double(c)});
            rasters.change([&](Surface& t) { t.setBackColor(c); });
            if (s.backColor() != c) std::abort();
            break;
        }
        case 8:
            trace("cls", {});
            rasters.change([](Surface& t) { t.cls(); });
            break;
        case 9: {
            const int style = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 1) : in.ConsumeIntegral<int>();
            trace("fillStyle", {double(style)});
            fill.solid = style == 0;
            break;
        }
        case 10: {
            const Colour c = anyColour(in);
            trace("fillColor", {double(c)});
            fill.colour = c;
            break;
        }
        }
        rasters.check();
    }
    return 0;
}
