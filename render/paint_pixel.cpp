#include "render/paint_pixel.h"

#include "platform/whole_numbers.h"
#include "render/brush_modes.h"
#include "render/checked.h"

#include <cmath>
#include <cstdint>

namespace painter {

namespace {

// The brush radius swings between 3 and 25 by 0.001 a pixel.
inline void advanceBrushRadius(PictureState& s) {
    s.rr = s.rr + 0.001 * s.fr;
    if (s.rr > 25) s.fr = -1;
    if (s.rr < 3) s.fr = 1;
}

// The colour step draws no random numbers and reads nothing the mark writes,
// so the scan may take it from the rows computed ahead.
inline PixelMark colourStep(PictureState& s, const PixelTrig& t) {
    clampBarva(s);
    const double tabrow = floorWhole(colourRemainder(s.barva) + s.pozic0);

    // A row outside the table fails its statement: the level keeps the last pixel's.
    if (tabrow >= 0 && tabrow <= 610) {
        const auto& row = s.coltab[static_cast<int>(tabrow)];
        s.ret = (t.sinR + 1) * row[1];
        s.grt = (t.sinFit + 1) * row[2];
        s.blt = (t.cosR + 1) * row[3];
    }

    const int mode = brushMode(s.nac);
    PixelMark m;
    m.colour = rgb(s.ret, s.grt, s.blt);
    if (mode == 1) return m;  // the plain field reads none of the offsets below
    // Every other mode reads the offsets, pure functions of the levels.
    const xm::SinCos red = xm::sincos(s.ret / 50);
    const xm::SinCos green = xm::sincos(s.grt / 50);
    const xm::SinCos blue = xm::sincos(s.blt / 50);
    m.sr = 150 * red.sin;
    m.sg = 150 * green.sin;
    m.sb = 150 * blue.sin;
    m.sm = ((m.sr + m.sg) + m.sb) / 3;
    m.cr = 150 * red.cos;
    m.cg = 150 * green.cos;
    m.cb = 150 * blue.cos;
    m.cm = ((m.cr + m.cg) + m.cb) / 3;
    if (modeUsesStroke(mode)) {
        // Divisions by fi1 fail only when fi1 is 0; the offset then stays 0.
        const Checked fi1{s.fi1};
        assign(m.ex1, sin(Checked{s.blt} / fi1) * Checked{m.sr / 2});
        assign(m.ex2, sin(Checked{s.grt} / fi1) * Checked{m.sg / 2});
        assign(m.ey1, cos(Checked{s.grt} / fi1) * Checked{m.cr / 2});
        assign(m.ey2, cos(Checked{s.ret} / fi1) * Checked{m.cg / 2});
    }
    return m;
}

inline void markStep(PictureState& s, Surface& picture, RandomGenerator& rng, const PixelMark& m) {
    advanceBrushRadius(s);
    const int mode = brushMode(s.nac);
    if (mode == 1) {
        picture.pset(static_cast<float>(s.i), static_cast<float>(s.j), m.colour);
        return;
    }
    MarkPixel(mode, s, m, picture, rng);
}

}  // namespace

PixelMark ColourStep(PictureState& s, const PixelTrig& t) { return colourStep(s, t); }

void MarkStep(PictureState& s, Surface& picture, RandomGenerator& rng, const PixelMark& m) {
    markStep(s, picture, rng, m);
}

void PaintPixel(PictureState& s, Surface& picture, RandomGenerator& rng, const PixelTrig& t) {
    markStep(s, picture, rng, colourStep(s, t));
}

}  // namespace painter
