#include "session/picture_cycle.h"

#include "ornament/ornaments.h"
#include "ornament/sample_colors.h"
#include "output/export_picture.h"
#include "output/greeting.h"
#include "params/colour_table.h"
#include "params/name_entry.h"
#include "params/picture_parameters.h"
#include "platform/picture_folder.h"
#include "render/paint_field.h"

namespace painter {

bool NewPicture(PictureState& s, Platform& p, std::uint64_t cycle) {
    PickParameters(s, p);
    // Three draws nothing reads; they still move the sequence.
    s.re0 = static_cast<float>(static_cast<double>(p.rng.next()) * 200 + 10);
    s.gr0 = static_cast<float>(static_cast<double>(p.rng.next()) * 200 + 10);
    s.bl0 = static_cast<float>(static_cast<double>(p.rng.next()) * 200 + 10);
    if (!PaintField(s, p, cycle)) return false;
    SampleColors(s, p.picture1, p.rng);
    OrnamentTriangle triangle;
    PlaceOrnaments(s, p.picture1, p.rng, &triangle, p.watcher);
    if (p.facts && p.facts->beforeGreeting) *p.facts->beforeGreeting = p.picture1;
    PrintGreeting(s, p.picture1, p.form);
    if (p.watcher) p.watcher->greetingWritten(p.picture1);
    if (p.facts) {
        p.facts->draws = p.rng.draws() - p.facts->drawsAtStart;
        p.facts->triangleHeight = triangle.height;
        p.facts->apexRow = triangle.apexRow;
        p.facts->band = triangle.band;
        p.facts->apexColumn = triangle.apexColumn;
        p.facts->left = triangle.left;
    }
    p.window.refresh();
    return true;
}

PainterSession::PainterSession(RandomGenerator& rng, Clock& clock, WindowServices& window, QString folder)
    : platform_{rng, clock, picture1_, picture2_, form_, window, cycles_, std::move(folder)} {}

void setStartupValues(PictureState& s) {
    s.t1 = QStringLiteral("vnesi tvoje ime in priimek");
    s.t2 = QStringLiteral("samo male črke bre čšž");
    s.sir = Surface::kPictureWidth;
    s.vis = Surface::kPictureHeight;
    s.polx = 12.0 / 2;
    s.poly = 9.0 / 2;
    s.dx = s.sir / 12.0;
    s.dy = s.vis / 9.0;
}

void PainterSession::formLoad() {
    // Reseeding from the clock never reaches a picture: the name resets the generator.
    platform_.rng.randomize(platform_.clock.secondsSinceMidnight());
    createPictureFolder(platform_.folder);  // a failure shows only when saving
    form_.cls();
    form_.setBackColor(qbColor(0));
    form_.foreColor = qbColor(7);  // the "*" stays readable on the black window
    setStartupValues(state_);
    runCycle();
}

bool PainterSession::ponovi() { return runCycle(); }

bool PainterSession::runCycle() {
    const std::uint64_t cycle = cycles_.begin();
    AskName(state_, platform_);
    if (platform_.facts) platform_.facts->drawsAtStart = platform_.rng.draws();
    if (cycles_.superseded(cycle)) return false;
    platform_.window.pictureBegun();
    BuildColorTable(state_, platform_.rng);
    if (!NewPicture(state_, platform_, cycle)) return false;
    finishedCycle_ = cycle;
    platform_.window.pictureFinished();
    return true;
}

bool PainterSession::shrani() {
    const bool samePicture = !lastSavedPath_.isEmpty() && savedCycle_ == cycles_.current();
    const SaveOutcome outcome = ExportPicture(state_, platform_, samePicture ? lastSavedPath_ : QString());
    const bool ok = outcome.ok();
    if (ok) {
        lastSavedPath_ = outcome.path;
        savedCycle_ = cycles_.current();
    }
    return ok;
}

void PainterSession::izhod() { cycles_.stopAll(); }

}  // namespace painter
