#pragma once
#include "picture/picture_state.h"
#include "platform/random_generator.h"
#include "platform/surface.h"

#include <cstdint>

namespace painter {

// The search for bright pixels gives up after this many tries in one pass, so a
// dark field cannot hang the program (a normal picture needs a few hundred).
constexpr std::int64_t kMaxSampleTries = 1'000'000;

// Splits col into re, gr, bl; leaves col minus its red part.
void SplitColor(PictureState& s);

// Fills sampletab rows 1..100 with colours of random pixels whose red, green
// and blue add up to at least 200, two draws per tried pixel. When the tries
// run out, the rows still empty get the brightest colour tried in the pass.
void SampleColors(PictureState& s, const Surface& picture, RandomGenerator& rng,
                  std::int64_t maxTries = kMaxSampleTries);

}  // namespace painter
