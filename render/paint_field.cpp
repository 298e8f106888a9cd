#include "render/paint_field.h"

#include "render/checked.h"
#include "render/field_ahead.h"
#include "render/field_formulas.h"
#include "render/paint_pixel.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace painter {

void PolarCoords(PictureState& s, PixelTrig& t) {
    s.fi1 = s.fi1 + s.korakfi1;  // repeated addition, before any use
    s.fit = s.fi0 + s.fi1;
    const xm::SinCos fit = xm::sincos(s.fit);
    t.sinFit = fit.sin;
    const double xc = s.r0 * fit.cos;
    const double yc = s.r0 * t.sinFit;
    const double ux = xc - s.x;
    const double uy = yc - s.y;
    s.r = xm::sqrt(ux * ux + uy * uy);
    const xm::SinCos r = xm::sincos(s.r);
    t.sinR = r.sin;
    t.cosR = r.cos;
    // The plain arc tangent of the slope; straight above or below the centre
    // (ux = 0) the division fails and fi keeps the previous pixel's value.
    assign(s.fi, atan(Checked{uy} / Checked{ux}));
}

std::vector<double> columnSines(const PictureState& s) {
    std::vector<double> sines;
    for (int column = 0; column <= s.sir; ++column) sines.push_back(xm::sin(worldX(s, column)));
    return sines;
}

void FieldArithmetic(PictureState& s, PixelTrig& t) {
    s.x = worldX(s, s.i);
    s.y = worldY(s, s.j);
    PolarCoords(s, t);
    FieldValue(s, t);
    ChannelValues(s, t);
    MixValue(s, t);
}

namespace {

// The marks of the positions firstColumn..lastColumn of a row from the worker's records.
void markRowAhead(PictureState& s, Platform& p, PixelTrig& t, const AheadRow& values, Handover handover,
                  int firstColumn, int lastColumn) {
    const int mode = brushMode(s.nac);
    for (int column = firstColumn; column <= lastColumn; ++column) {
        s.i = column;
        switch (handover) {
        case Handover::markInputs: MarkStep(s, p.picture1, p.rng, unpackMark(mode, values.marks[column], s)); break;
        case Handover::anchorInputs: {
            const AnchorInputs& in = values.anchors[column];
            PixelMark m;
            m.colour = in.colour, m.sm = in.sm, m.cm = in.cm;
            MarkStep(s, p.picture1, p.rng, m);
            break;
        }
        case Handover::colourInputs: {
            const ColourInputs& in = values.colours[column];
            s.barva = in.barva, s.fi1 = in.fi1;
            t.sinR = in.sinR, t.cosR = in.cosR, t.sinFit = in.sinFit;
            PaintPixel(s, p.picture1, p.rng, t);
            break;
        }
        }
    }
}

}  // namespace

bool PaintField(PictureState& s, Platform& p, std::uint64_t cycle) {
    p.picture1.setBackColor(rgb(0, 0, 0));
    s.rr = static_cast<float>(static_cast<double>(p.rng.next()) * 22 + 3);  // stored single
    s.fr = 1;
    if (p.facts) p.facts->startingRr = s.rr;
    p.form.setBackColor(qbColor(0));
    s.nac = static_cast<float>(std::floor(static_cast<double>(p.rng.next()) * 18 + 1));

    // The scan keeps its own counters: a command run between rows may reuse
    // s.i and s.j, and must not move the scan. The bounds are read once.
    const int lastRow = s.vis;
    const std::vector<double> sinX = columnSines(s);
    std::unique_ptr<FieldAhead> ahead;
    if (p.fieldAhead && fieldAheadPays() && lastRow >= 0 && !sinX.empty())
        ahead = std::make_unique<FieldAhead>(s, sinX, lastRow, std::min(s.sir, static_cast<int>(sinX.size()) - 1),
                                             handoverFor(brushMode(s.nac)), rowShareFor(brushMode(s.nac)));
    PixelTrig t;
    bool partMet = true;  // whether the worker's rows of the current part are the scan's own
    for (int row = 0; row <= lastRow; ++row) {
        // The row before is painted whole here, whichever way it was painted.
        if (p.watcher && row > 0) p.watcher->rowPainted(row - 1, p.picture1);
        p.window.processPendingEvents();
        if (p.cycles.superseded(cycle)) return false;
        const int lastColumn = std::min(s.sir, static_cast<int>(sinX.size()) - 1);
        // A command that changed the width of the scan: the worker's rows no
        // longer fit, and the state holds everything the scan needs to go on alone.
        if (ahead && ahead->lastColumn() != lastColumn) ahead.reset();
        if (ahead && ahead->computes(row)) {
            const AheadRow values = ahead->row(row);
            int firstColumn = 0;
            if (ahead->startsPart(row)) {
                // The worker started this part on a guess: the scan paints on
                // alone until its state is the worker's at the same position.
                partMet = false;
                firstColumn = fieldRowWhile(s, t, sinX, row, lastColumn, [&](int column) {
                    PaintPixel(s, p.picture1, p.rng, t);
                    partMet = ahead->meets(s, row, column);
                    return !partMet;
                });
                // Never met in the whole row (a value kept from further back):
                // the scan paints the part alone, as without the worker.
                if (!partMet) continue;
            }
            if (partMet) {
                s.j = row;
                markRowAhead(s, p, t, values, ahead->handover(), firstColumn, lastColumn);
                restore(s, values.end, ahead->handover() != Handover::colourInputs);
                continue;
            }
        }
        fieldRow(s, t, sinX, row, lastColumn, [&](int) { PaintPixel(s, p.picture1, p.rng, t); });
    }
    if (p.watcher && lastRow >= 0) p.watcher->rowPainted(lastRow, p.picture1);
    return true;
}

}  // namespace painter
