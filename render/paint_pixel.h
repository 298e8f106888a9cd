#pragma once
#include "picture/picture_state.h"
#include "platform/random_generator.h"
#include "platform/surface.h"
#include "render/pixel_trig.h"

namespace painter {

// barva Mod 280 after the clamp: half-to-even rounding, then the remainder.
double colourRemainder(double barva);

// The pixel's colour from the colour table, its anchor and stroke offsets, the
// brush radius step, and its mark in the picture's brush mode.
void PaintPixel(PictureState& s, Surface& picture, RandomGenerator& rng, const PixelTrig& t);

}  // namespace painter
