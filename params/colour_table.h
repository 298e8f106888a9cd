#pragma once
#include "picture/picture_state.h"
#include "platform/random_generator.h"

namespace painter {

// Fills coltab rows 0..601 with three sawtooth ramps (six draws).
void BuildColorTable(PictureState& s, RandomGenerator& rng);

// The ramps themselves: start values re, gr, bl already in s, steps given.
void fillColorTable(PictureState& s, double korakre, double korakgr, double korakbl);

}  // namespace painter
