#include "render/field_formulas.h"

#include "render/checked.h"

namespace painter {

// Every assignment below is one statement that skips on failure (see
// checked.h): a failed formula leaves its target as the previous pixel left it.
// Grouping is exactly as evaluated, left to right.

void FieldValue(PictureState& s, const PixelTrig& t) {
    const Checked r{s.r}, fi{s.fi}, x{s.x}, y{s.y}, fit{s.fit};
    const Checked sinR{t.sinR}, sinX{t.sinX}, sinY{t.sinY}, cosY{t.cosY};
    switch (selector(s.tip1, 15)) {
    case 1: assign(s.ba, r * r); break;
    case 2: assign(s.ba, r * fi); break;
    case 3: assign(s.ba, (r * r) * sinR); break;
    case 4: assign(s.ba, x * r); break;
    case 5: assign(s.ba, ((r * sinR) * x) * cosY); break;
    case 6: assign(s.ba, ((r * r) * (2 + sin(fit * r))) / pow(r, r + sinR)); break;
    case 7: assign(s.ba, (r * tan(fi)) * fi); break;
    case 8: assign(s.ba, ((r * tan(r)) * x) * sinX); break;
    case 9: assign(s.ba, ((r * (1 + sinR)) + (x * (1 + sinX))) + (y * (1 + sinY))); break;
    case 10: assign(s.ba, (r * (1 + sinR)) + (((x * (1 + sinX)) * y) * (1 + sinY))); break;
    case 11: assign(s.ba, ((r + x) + y) / fi); break;
    case 12: assign(s.ba, ((r * (1 + sinR)) * (1 + cos(fit + r))) * fi); break;
    case 13: assign(s.ba, r / fi); break;
    case 14: assign(s.ba, (sqrt(r) / fi) * pow(r, 1 + sinX)); break;
    case 15: assign(s.ba, pow(r / abs(x), (1 + sinR) + cos(fi))); break;
    }
}

void ChannelValues(PictureState& s, const PixelTrig& t) {
    const Checked ba{s.ba}, sinR{t.sinR}, cosR{t.cosR}, sinFit{t.sinFit};
    switch (selector(s.tip2, 3)) {
    case 1:
        assign(s.re, ba * Checked{s.fak1});
        assign(s.gr, ba * Checked{s.fak2});
        assign(s.bl, ba * Checked{s.fak3});
        break;
    case 2:
        assign(s.re, ba * (10 + sinR));
        assign(s.gr, ba * (10 + cosR));
        assign(s.bl, ba * (10 + sinFit));
        break;
    case 3:
        assign(s.re, ba * (Checked{s.fak1} + sinR));
        assign(s.gr, ba * (Checked{s.fak2} + cosR));
        assign(s.bl, ba * (Checked{s.fak3} + sinFit));
        break;
    }
    assign(s.re, abs(Checked{s.re}));
    assign(s.gr, abs(Checked{s.gr}));
    assign(s.bl, abs(Checked{s.bl}));
}

void MixValue(PictureState& s, const PixelTrig& t) {
    const Checked re{s.re}, gr{s.gr}, bl{s.bl}, r{s.r};
    const Checked sinR{t.sinR}, cosR{t.cosR}, sinFit{t.sinFit};
    switch (selector(s.tip3, 4)) {
    case 1: assign(s.barva, (re + gr) + bl); break;
    case 2: assign(s.barva, (re + gr) + (bl * (1 + sinR))); break;
    case 3: assign(s.barva, (re / r) + (gr / sqrt(r))); break;
    case 4: assign(s.barva, ((re * sinFit) + (gr * sinR)) + (bl * cosR)); break;
    }
}

}  // namespace painter
