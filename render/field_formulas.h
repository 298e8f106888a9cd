#pragma once
#include "picture/picture_state.h"
#include "render/pixel_trig.h"

namespace painter {

// A selector outside its list chooses entry 1.
inline int selector(double v, int count) { return (v >= 1 && v <= count) ? static_cast<int>(v) : 1; }

// ba from one of 15 formulas (tip1).
void FieldValue(PictureState& s, const PixelTrig& t);
// re, gr, bl from ba with one of 3 recipes (tip2), then their absolute values.
void ChannelValues(PictureState& s, const PixelTrig& t);
// barva from re, gr, bl with one of 4 recipes (tip3).
void MixValue(PictureState& s, const PixelTrig& t);

}  // namespace painter
