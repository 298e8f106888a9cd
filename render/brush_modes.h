#pragma once
// The eighteen ways a pixel marks the picture.

#include "picture/picture_state.h"
#include "platform/random_generator.h"
#include "platform/surface.h"

#include <cstdint>

namespace painter {

constexpr int kBrushModes = 18;

// What the colour step of a pixel hands to its mark.
struct PixelMark {
    Colour colour = 0;                          // RGB(ret, grt, blt)
    double sr = 0, sg = 0, sb = 0;              // 150 sin(level / 50)
    double cr = 0, cg = 0, cb = 0;              // 150 cos(level / 50)
    double sm = 0, cm = 0;                      // anchor offset
    double ex1 = 0, ex2 = 0, ey1 = 0, ey2 = 0;  // stroke offsets
};

// Which values a mode reads, so the colour step computes only those.
inline bool modeUsesStroke(int mode) { return mode == 3; }

// The brush mode (nac) as a number 1..18; anything else paints as mode 1.
inline int brushMode(double nac) { return (nac >= 1 && nac <= kBrushModes) ? static_cast<int>(nac) : 1; }

// One step of a random walk, Int(Rnd * w - h), from the draw's whole number
// k (Rnd = k / 2^24, see RandomGenerator::nextBits). Rnd * w - h is exactly
// (k * w - h * 2^24) / 2^24, so its floor is floor(k * w / 2^24) - h: the same
// number without a round trip through single and double precision.
inline double walkStep(std::uint32_t bits, int w, int h) {
    return static_cast<double>(static_cast<int>((bits * static_cast<std::uint32_t>(w)) >> 24) - h);
}

// A ray's offset of mode 18, single(Rnd * 100 - 50), from the draw's whole
// number k. Rnd * 100 - 50 is exactly (100 k - 50 * 2^24) / 2^24, whose
// numerator fits 32 bits: rounding that whole number to single and scaling by
// 2^-24 (exact) gives the same number without going through double.
inline float rayOffset(std::uint32_t bits) {
    return static_cast<float>(static_cast<std::int32_t>(bits * 100u) - 838860800) * 0x1p-24f;
}

// Marks pixel (s.i, s.j) in the given mode.
void MarkPixel(int mode, PictureState& s, const PixelMark& m, Surface& picture, RandomGenerator& rng);

}  // namespace painter
