#pragma once
// The steps of one pixel run on their own, as the tests drive them: every
// sine and cosine the steps share is worked out from the state first, as the
// scan works it out for them.

#include "render/field_formulas.h"
#include "render/paint_field.h"
#include "render/paint_pixel.h"
#include "render/pixel_trig.h"

namespace painter {

inline PixelTrig trigOf(const PictureState& s) {
    return {xm::sin(s.r), xm::cos(s.r), xm::sin(s.fit), xm::sin(s.x), xm::sin(s.y), xm::cos(s.y)};
}

inline void PolarCoords(PictureState& s) {
    PixelTrig unused;
    PolarCoords(s, unused);
}
inline void FieldValue(PictureState& s) { FieldValue(s, trigOf(s)); }
inline void ChannelValues(PictureState& s) { ChannelValues(s, trigOf(s)); }
inline void MixValue(PictureState& s) { MixValue(s, trigOf(s)); }
inline void PaintPixel(PictureState& s, Surface& picture, RandomGenerator& rng) {
    PaintPixel(s, picture, rng, trigOf(s));
}

}  // namespace painter
