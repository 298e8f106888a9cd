#include "ornament/ornaments.h"

#include <cmath>

namespace painter {

OrnamentTriangle drawTriangle(const PictureState& s, RandomGenerator& rng) {
    OrnamentTriangle t;
    const float lift = rng.next() * 50.0f + 100.0f;  // product and sum in single precision
    t.height = s.vis - static_cast<double>(lift);
    t.apexRow = s.vis - t.height;
    t.band = t.height / 2;
    t.apexColumn = (s.sir - 200) * static_cast<double>(rng.next()) + 100;
    t.left = t.apexColumn - t.band / 2;
    return t;
}

void PlaceOrnaments(PictureState& s, Surface& picture, RandomGenerator& rng, OrnamentTriangle* triangle,
                    PaintingWatcher* watcher) {
    const OrnamentTriangle t = drawTriangle(s, rng);
    if (triangle) *triangle = t;
    for (int n = 1; n <= 100; ++n) {
        s.n = n;
        do {  // two draws per try, column first; about half the tries land inside
            s.i = t.band * static_cast<double>(rng.next()) + t.left;
            s.j = t.height * static_cast<double>(rng.next()) + (s.vis - t.height);
        } while (!insideTriangle(t, s.i, s.j));
        DrawOrnament(s, picture, rng);
        if (watcher) watcher->ornamentDrawn(n, picture);
    }
    s.n = 101;
}

void DrawOrnament(PictureState& s, Surface& picture, RandomGenerator& rng) {
    const int row = static_cast<int>(std::floor(static_cast<double>(rng.next()) * 100 + 1));
    s.ret = s.sampletab[row][1];
    s.grt = s.sampletab[row][2];
    s.blt = s.sampletab[row][3];
    const float x = static_cast<float>(s.i), y = static_cast<float>(s.j);
    const float right = static_cast<float>(s.i + 1), down = static_cast<float>(s.j + 1);
    for (int r = 0; r <= 30; ++r) {
        s.r = r;
        s.ret -= 3;
        s.grt -= 3;
        s.blt -= 3;
        if (s.ret < 0) s.ret = 0;
        if (s.grt < 0) s.grt = 0;
        if (s.blt < 0) s.blt = 0;
        const Colour c = rgb(s.ret, s.grt, s.blt);
        // Rings, never filled: each circle leaves the smaller ones inside it.
        picture.circle(x, y, static_cast<float>(r), c, kNoFill);
        picture.circle(right, y, static_cast<float>(r), c, kNoFill);
        picture.circle(x, down, static_cast<float>(r), c, kNoFill);
    }
    s.r = 31;
}

}  // namespace painter
