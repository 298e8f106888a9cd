#pragma once
// Sines and cosines that several steps of one pixel read: the distance r and
// the centre's angle fit feed the field formulas, the channel and colour
// recipes and the pixel's colour, so each is computed once per pixel; those of
// the world position once per column or row. Same functions, same arguments:
// the values are bit for bit those each step would compute itself.

#include "picture/picture_state.h"
#include "platform/exact_math.h"

namespace painter {

struct PixelTrig {
    double sinR = 0, cosR = 0;  // of the distance to the moving centre
    double sinFit = 0;          // of the centre's angle
    double sinX = 0;            // of the world x
    double sinY = 0, cosY = 0;  // of the world y
};

}  // namespace painter
