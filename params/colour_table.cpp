#include "params/colour_table.h"

#include <cmath>

namespace painter {

void BuildColorTable(PictureState& s, RandomGenerator& rng) {
    auto rnd = [&rng] { return static_cast<double>(rng.next()); };
    s.re = std::floor(rnd() * 255 + 1);
    s.gr = std::floor(rnd() * 255 + 1);
    s.bl = std::floor(rnd() * 255 + 1);
    const double korakre = rnd() + 0.5;
    const double korakgr = rnd() + 0.5;
    const double korakbl = rnd() + 0.5;
    fillColorTable(s, korakre, korakgr, korakbl);
}

void fillColorTable(PictureState& s, double korakre, double korakgr, double korakbl) {
    for (int k = 0; k <= 601; ++k) {
        s.re += korakre;
        s.gr += korakgr;
        s.bl += korakbl;
        // Strictly above 255 wraps to exactly 1; the excess is dropped.
        if (s.re > 255) s.re = 1;
        if (s.gr > 255) s.gr = 1;
        if (s.bl > 255) s.bl = 1;
        s.coltab[k][1] = s.re;
        s.coltab[k][2] = s.gr;
        s.coltab[k][3] = s.bl;
    }
}

}  // namespace painter
