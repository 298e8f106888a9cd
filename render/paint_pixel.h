#pragma once
#include "picture/picture_state.h"
#include "platform/random_generator.h"
#include "platform/surface.h"
#include "platform/whole_numbers.h"
#include "render/brush_modes.h"
#include "render/pixel_trig.h"

#include <cmath>
#include <cstdint>

namespace painter {

// barva Mod 280 after the clamp: half-to-even rounding, then the remainder.
// Inline: it runs at every pixel.
inline double colourRemainder(double barva) {
    // Mod rounds both sides to whole numbers first, a half to the even neighbour.
    const double whole = roundHalfEven(barva);
    if (std::fabs(whole) < 1e15) return static_cast<double>(static_cast<std::int64_t>(whole) % 280);
    return std::fmod(whole, 280.0);
}

// The clamp of barva that begins the colour step, in place: a failed colour
// recipe keeps the clamped value, so the field computed ahead applies it too.
// As conditional moves (max, then min, NaN kept): the field crosses the
// bounds from pixel to pixel.
inline void clampBarva(PictureState& s) {
    s.barva = s.barva < 1 ? 1.0 : s.barva;
    s.barva = s.barva > 675 ? 675.0 : s.barva;
}

// The pixel's colour from the colour table, its anchor and stroke offsets, the
// brush radius step, and its mark in the picture's brush mode.
void PaintPixel(PictureState& s, Surface& picture, RandomGenerator& rng, const PixelTrig& t);

// PaintPixel in its two steps. The colour step (the clamp of barva, the
// colour levels, the offsets the brush mode reads) draws no random numbers
// and reads nothing the mark step writes; the mark step (the brush radius,
// the mark) takes what it returned.
PixelMark ColourStep(PictureState& s, const PixelTrig& t);
void MarkStep(PictureState& s, Surface& picture, RandomGenerator& rng, const PixelMark& m);

}  // namespace painter
