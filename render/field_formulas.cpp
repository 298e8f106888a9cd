#include "render/field_formulas.h"

#include "render/checked.h"

namespace painter {

// Every assignment below is one statement that skips on failure (see
// checked.h): a failed formula leaves its target as the previous pixel left it.
// Grouping is exactly as evaluated, left to right.

void FieldValue(PictureState& s) {
    const Checked r{s.r}, fi{s.fi}, x{s.x}, y{s.y}, fit{s.fit};
    switch (selector(s.tip1, 15)) {
    case 1: assign(s.ba, r * r); break;
    case 2: assign(s.ba, r * fi); break;
    case 3: assign(s.ba, (r * r) * sin(r)); break;
    case 4: assign(s.ba, x * r); break;
    case 5: assign(s.ba, ((r * sin(r)) * x) * cos(y)); break;
    case 6: assign(s.ba, ((r * r) * (2 + sin(fit * r))) / pow(r, r + sin(r))); break;
    case 7: assign(s.ba, (r * tan(fi)) * fi); break;
    case 8: assign(s.ba, ((r * tan(r)) * x) * sin(x)); break;
    case 9: assign(s.ba, ((r * (1 + sin(r))) + (x * (1 + sin(x)))) + (y * (1 + sin(y)))); break;
    case 10: assign(s.ba, (r * (1 + sin(r))) + (((x * (1 + sin(x))) * y) * (1 + sin(y)))); break;
    case 11: assign(s.ba, ((r + x) + y) / fi); break;
    case 12: assign(s.ba, ((r * (1 + sin(r))) * (1 + cos(fit + r))) * fi); break;
    case 13: assign(s.ba, r / fi); break;
    case 14: assign(s.ba, (sqrt(r) / fi) * pow(r, 1 + sin(x))); break;
    case 15: assign(s.ba, pow(r / abs(x), (1 + sin(r)) + cos(fi))); break;
    }
}

void ChannelValues(PictureState& s) {
    const Checked ba{s.ba}, r{s.r}, fit{s.fit};
    switch (selector(s.tip2, 3)) {
    case 1:
        assign(s.re, ba * Checked{s.fak1});
        assign(s.gr, ba * Checked{s.fak2});
        assign(s.bl, ba * Checked{s.fak3});
        break;
    case 2:
        assign(s.re, ba * (10 + sin(r)));
        assign(s.gr, ba * (10 + cos(r)));
        assign(s.bl, ba * (10 + sin(fit)));
        break;
    case 3:
        assign(s.re, ba * (Checked{s.fak1} + sin(r)));
        assign(s.gr, ba * (Checked{s.fak2} + cos(r)));
        assign(s.bl, ba * (Checked{s.fak3} + sin(fit)));
        break;
    }
    assign(s.re, abs(Checked{s.re}));
    assign(s.gr, abs(Checked{s.gr}));
    assign(s.bl, abs(Checked{s.bl}));
}

void MixValue(PictureState& s) {
    const Checked re{s.re}, gr{s.gr}, bl{s.bl}, r{s.r}, fit{s.fit};
    switch (selector(s.tip3, 4)) {
    case 1: assign(s.barva, (re + gr) + bl); break;
    case 2: assign(s.barva, (re + gr) + (bl * (1 + sin(r)))); break;
    case 3: assign(s.barva, (re / r) + (gr / sqrt(r))); break;
    case 4: assign(s.barva, ((re * sin(fit)) + (gr * sin(r))) + (bl * cos(r))); break;
    }
}

}  // namespace painter
