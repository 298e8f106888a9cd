#include "render/paint_pixel.h"

#include "render/brush_modes.h"
#include "render/checked.h"

#include <cmath>

namespace painter {

double colourRemainder(double barva) {
    // Mod rounds both sides to whole numbers first, a half to the even neighbour.
    return std::fmod(std::nearbyint(barva), 280.0);
}

void PaintPixel(PictureState& s, Surface& picture, RandomGenerator& rng) {
    if (s.barva < 1) s.barva = 1;
    if (s.barva > 675) s.barva = 675;
    const double tabrow = std::floor(colourRemainder(s.barva) + s.pozic0);

    // A row outside the table fails its statement: the level keeps the last pixel's.
    if (tabrow >= 0 && tabrow <= 610) {
        const auto& row = s.coltab[static_cast<int>(tabrow)];
        s.ret = (xm::sin(s.r) + 1) * row[1];
        s.grt = (xm::sin(s.fit) + 1) * row[2];
        s.blt = (xm::cos(s.r) + 1) * row[3];
    }

    const int mode = brushMode(s.nac);
    PixelMark m;
    m.colour = rgb(s.ret, s.grt, s.blt);
    // The offsets are pure functions of the levels; a mode that reads none of
    // them is spared their thirteen sines and cosines.
    if (modeUsesOffsets(mode)) {
        m.sr = 150 * xm::sin(s.ret / 50);
        m.sg = 150 * xm::sin(s.grt / 50);
        m.sb = 150 * xm::sin(s.blt / 50);
        m.sm = ((m.sr + m.sg) + m.sb) / 3;
        m.cr = 150 * xm::cos(s.ret / 50);
        m.cg = 150 * xm::cos(s.grt / 50);
        m.cb = 150 * xm::cos(s.blt / 50);
        m.cm = ((m.cr + m.cg) + m.cb) / 3;
    }
    if (modeUsesStroke(mode)) {
        // Divisions by fi1 fail only when fi1 is 0; the offset then stays 0.
        const Checked fi1{s.fi1};
        assign(m.ex1, sin(Checked{s.blt} / fi1) * Checked{m.sr / 2});
        assign(m.ex2, sin(Checked{s.grt} / fi1) * Checked{m.sg / 2});
        assign(m.ey1, cos(Checked{s.grt} / fi1) * Checked{m.cr / 2});
        assign(m.ey2, cos(Checked{s.ret} / fi1) * Checked{m.cg / 2});
    }

    s.rr = s.rr + 0.001 * s.fr;
    if (s.rr > 25) s.fr = -1;
    if (s.rr < 3) s.fr = 1;

    MarkPixel(mode, s, m, picture, rng);
}

}  // namespace painter
