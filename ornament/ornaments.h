#pragma once
#include "picture/painting_watcher.h"
#include "picture/picture_state.h"
#include "platform/random_generator.h"
#include "platform/surface.h"

namespace painter {

// The triangle the ornaments are scattered in.
struct OrnamentTriangle {
    double height = 0;      // H
    double apexRow = 0;     // Y0
    double band = 0;        // W
    double apexColumn = 0;  // X0
    double left = 0;        // XL
};

// The triangle of a picture: the first two draws of the ornaments.
OrnamentTriangle drawTriangle(const PictureState& s, RandomGenerator& rng);

// Whether a centre lies inside the triangle (its sides count as inside).
inline bool insideTriangle(const OrnamentTriangle& t, double i, double j) {
    const double off = i - t.apexColumn;
    return !((off < 0 ? -off : off) > (j - t.apexRow) / 4);
}

// 100 shaded ring ornaments at random centres inside the triangle.
// The triangle it drew goes to *triangle when given; a watcher is told of each ornament.
void PlaceOrnaments(PictureState& s, Surface& picture, RandomGenerator& rng, OrnamentTriangle* triangle = nullptr,
                    PaintingWatcher* watcher = nullptr);
// One ornament at (s.i, s.j): 31 rings, three circles each, darker outwards.
void DrawOrnament(PictureState& s, Surface& picture, RandomGenerator& rng);

}  // namespace painter
