// The field arithmetic run ahead on a second thread must change nothing: not
// a pixel, not a random draw, not what a command between rows finds in the
// picture state.
#include "render/field_ahead.h"
#include "render/paint_field.h"
#include "render/paint_pixel.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace painter {
namespace {

using testing::PumpServices;
using testing::sha256;

// What a command run between rows may read of the scan's state.
using RowState = std::array<double, 16>;

RowState snapshot(const PictureState& s) {
    return {s.i, s.j, s.x, s.y, s.fi1, s.fit, s.r, s.fi, s.ba, s.re, s.gr, s.bl, s.barva, s.rr, s.fr, s.n};
}

struct Run {
    QByteArray picture;
    std::uint64_t draws = 0;
    std::vector<RowState> rows;
};

// One picture of `name`, the state recorded at every row's event pump;
// `atRow` may act there as a command would.
Run paint(const QString& name, bool fieldAhead, const std::function<void(int, PictureState&)>& atRow = {}) {
    QTemporaryDir dir;
    RandomGenerator rng;
    FixedClock clock{"02-01-2011", "09:03:07"};
    PumpServices services;
    services.names << name;
    PainterSession session(rng, clock, services, dir.path());
    session.platform().fieldAhead = fieldAhead;
    Run run;
    services.onRow = [&](int row) {
        if (atRow) atRow(row, session.state());
        run.rows.push_back(snapshot(session.state()));
    };
    session.formLoad();
    run.picture = sha256(session.picture1());
    run.draws = rng.draws();
    run.rows.push_back(snapshot(session.state()));
    return run;
}

void expectSame(const Run& ahead, const Run& alone) {
    EXPECT_EQ(ahead.picture, alone.picture);
    EXPECT_EQ(ahead.draws, alone.draws);
    ASSERT_EQ(ahead.rows.size(), alone.rows.size());
    for (std::size_t k = 0; k < ahead.rows.size(); ++k) ASSERT_EQ(ahead.rows[k], alone.rows[k]) << "at pump " << k;
}

// Names whose formulas fail somewhere - formula 15 at column 350 of every
// row, 11 and 13 where the centre is level with a pixel, colour recipe 3 -
// so that a value kept from the previous position shows, across row
// boundaries too; walking and ray modes, and the plain field, which paints
// alone.
class FieldAheadName : public ::testing::TestWithParam<const char*> {};

TEST_P(FieldAheadName, SamePixelsDrawsAndStateAtEveryRow) {
    const QString name = QString::fromLatin1(GetParam());
    expectSame(paint(name, true), paint(name, false));
}

// Besides those, a name of every brush mode, for each mode's hand-over.
INSTANTIATE_TEST_SUITE_P(Names, FieldAheadName,
                         ::testing::Values("bor korosec", "ana kastelic", "ana vidmar", "ana golob", "ana novak",
                                           "bor zupan", "bor petek", ""));
INSTANTIATE_TEST_SUITE_P(EveryMode, FieldAheadName,
                         ::testing::Values("ana kranjc", "ana kos", "eva zupancic", "ana horvat", "cene korosec",
                                           "ana potocnik", "ana zupancic", "bor oblak", "ana mlakar", "ana kovac",
                                           "dana potocnik", "ana zupan", "bor horvat"));

// A name whose worker computes every row (mode 4) and one that shares the
// rows with the scan (the plain field).
class FieldAheadCommand : public ::testing::TestWithParam<const char*> {};

// Provoked: a command between rows narrows the scan (s.sir) at row 100, so
// the rows computed ahead no longer fit; the scan must go on alone exactly as
// one thread would.
TEST_P(FieldAheadCommand, ACommandThatNarrowsTheScanIsFollowed) {
    auto narrow = [](int row, PictureState& s) {
        if (row == 100) s.sir = 400;
    };
    const QString name = QString::fromLatin1(GetParam());
    expectSame(paint(name, true, narrow), paint(name, false, narrow));
}

// Provoked: "izhod" at row 30 while the worker runs rows ahead; the picture
// stops there and the worker with it (a hang would time the test out).
TEST_P(FieldAheadCommand, StoppingInTheMiddleStopsTheWorker) {
    QTemporaryDir dir;
    RandomGenerator rng;
    FixedClock clock{"02-01-2011", "09:03:07"};
    PumpServices services;
    services.names << QString::fromLatin1(GetParam());
    PainterSession session(rng, clock, services, dir.path());
    session.platform().fieldAhead = true;
    services.onRow = [&](int row) {
        if (row == 30) session.izhod();
    };
    session.formLoad();
    EXPECT_TRUE(session.quitRequested());
    EXPECT_EQ(services.rows, 31);
}

INSTANTIATE_TEST_SUITE_P(Names, FieldAheadCommand, ::testing::Values("ana kastelic", "bor petek"));

// Provoked: a small scan whose moving centre stays on the left edge's world
// x (r0 = 0, world x 0 at column 0), so the slope's division fails at the
// first position of every row and fi - and formula 13's ba = r / fi - keeps
// the last position of the row before. The rows from the worker must carry
// that across every row boundary, value for value, as the scan in one thread.
TEST(FieldAhead, AFailureAtARowsFirstPositionKeepsThePreviousRowsValue) {
    PictureState s;
    s.sir = 20, s.vis = 6;
    s.polx = 0, s.poly = 3, s.dx = 1, s.dy = 1;
    s.r0 = 0, s.fi0 = 0.5, s.korakfi1 = 0.00002;
    s.tip1 = 13, s.tip2 = 1, s.tip3 = 3;
    s.fak1 = 11, s.fak2 = 12, s.fak3 = 13;
    s.fi = 0.25;  // what the first failure keeps
    s.pozic0 = 100;
    for (std::size_t k = 0; k < s.coltab.size(); ++k) s.coltab[k] = {0, double(k % 97), double(k % 89), double(k % 83)};
    // The stroke (whose colour step computes every offset), the triangle and
    // mode 17 each pack their mark their own way.
    const std::pair<Handover, int> cases[] = {{Handover::colourInputs, 3},
                                              {Handover::anchorInputs, 3},
                                              {Handover::markInputs, 3},
                                              {Handover::markInputs, 14},
                                              {Handover::markInputs, 17}};
    for (const auto& modeCase : cases) {
        const Handover handover = modeCase.first;  // not a structured binding: lambdas below capture it
        const int mode = modeCase.second;
        SCOPED_TRACE(::testing::Message() << "hand-over " << static_cast<int>(handover) << ", mode " << mode);
        s.nac = static_cast<float>(mode);
        const bool colourStep = handover != Handover::colourInputs;
        FieldAhead ahead(s, columnSines(s), s.vis, s.sir, handover);
        PictureState one = s;
        const std::vector<double> sinX = columnSines(one);
        PixelTrig t;
        int failures = 0;
        for (int row = 0; row <= one.vis; ++row) {
            const AheadRow values = ahead.row(row);
            const double fiBefore = one.fi;
            // A whole mark reads what it reads: the marks drawn from the
            // worker's records and from one thread's must be the same pixels.
            Surface fromWorker, fromScan;
            RandomGenerator rngWorker, rngScan;
            fieldRow(one, t, sinX, row, one.sir, [&](int column) {
                if (column == 0 && one.fi == fiBefore) ++failures;
                const PixelMark m = ColourStep(one, t);
                if (handover == Handover::anchorInputs) {
                    const AnchorInputs& v = values.anchors[column];
                    EXPECT_EQ((std::array<double, 2>{v.sm, v.cm}), (std::array<double, 2>{m.sm, m.cm}))
                        << "row " << row << ", column " << column;
                    EXPECT_EQ(v.colour, m.colour) << "row " << row << ", column " << column;
                } else if (handover == Handover::markInputs) {
                    PictureState scan = one, worker = one;
                    worker.blt = -1;  // mode 17 must take it from the record
                    const PixelMark got = unpackMark(mode, values.marks[column], worker);
                    MarkPixel(mode, worker, got, fromWorker, rngWorker);
                    MarkPixel(mode, scan, m, fromScan, rngScan);
                } else {
                    const ColourInputs& v = values.colours[column];
                    const std::array<double, 5> got{v.barva, v.fi1, v.sinR, v.cosR, v.sinFit};
                    const std::array<double, 5> want{one.barva, one.fi1, t.sinR, t.cosR, t.sinFit};
                    EXPECT_EQ(got, want) << "row " << row << ", column " << column;
                }
            });
            EXPECT_EQ(sha256(fromWorker), sha256(fromScan)) << "row " << row;
            const FieldValues& v = values.end;
            const std::array<double, 14> got{v.x,  v.y,  v.fi1, v.fit,   v.r,   v.fi,  v.ba,
                                             v.re, v.gr, v.bl,  v.barva, v.ret, v.grt, v.blt};
            const std::array<double, 14> want{one.x,  one.y,  one.fi1, one.fit,   one.r,   one.fi,  one.ba,
                                              one.re, one.gr, one.bl,  one.barva, one.ret, one.grt, one.blt};
            if (colourStep)
                EXPECT_EQ(got, want) << "row " << row;
            else  // the worker leaves the colour levels to the scan
                EXPECT_TRUE(std::equal(got.begin(), got.end() - 3, want.begin())) << "row " << row;
        }
        EXPECT_EQ(failures, s.vis + 1) << "the slope must fail at the first position of every row";
    }
}

// Small scans painted with and without the worker, in a chosen brush mode.
struct ScanRun {
    QByteArray picture;
    std::vector<std::array<double, 3>> levels;  // at every row's event pump, and at the end
    std::vector<RowState> rows;                 // the same
};

// A scan of 61 x 13 positions with no failing statement.
PictureState smallScan() {
    PictureState s;
    s.sir = 60, s.vis = 12;
    s.polx = -2, s.poly = 1.5, s.dx = 0.07, s.dy = 0.05;
    s.r0 = 0.7, s.fi0 = 0.5, s.korakfi1 = 0.0003;
    s.tip1 = 2, s.tip2 = 5, s.tip3 = 1;
    s.fak1 = 3.5, s.fak2 = 1.25, s.fak3 = 7;
    s.pozic0 = 100;
    for (std::size_t k = 0; k < s.coltab.size(); ++k) s.coltab[k] = {0, double(k % 97), double(k % 89), double(k % 83)};
    return s;
}

ScanRun paintScan(int mode, bool fieldAhead, const std::function<void(PictureState&)>& adjust) {
    PictureState s = smallScan();
    adjust(s);
    // The scan draws rr and then nac; a seed whose second draw is the mode.
    RandomGenerator rng;
    for (int seed = 1;; ++seed) {
        rng.randomize(seed);
        RandomGenerator probe = rng;
        probe.next();
        if (std::floor(static_cast<double>(probe.next()) * 18 + 1) == mode) break;
    }
    FixedClock clock{"02-01-2011", "09:03:07"};
    Surface picture1, picture2, form;
    PumpServices services;
    CycleControl cycles;
    ScanRun run;
    services.onRow = [&](int) {
        run.levels.push_back({s.ret, s.grt, s.blt});
        run.rows.push_back(snapshot(s));
    };
    Platform p{rng, clock, picture1, picture2, form, services, cycles, {}};
    p.fieldAhead = fieldAhead;
    EXPECT_TRUE(PaintField(s, p, cycles.begin()));
    run.levels.push_back({s.ret, s.grt, s.blt});
    run.rows.push_back(snapshot(s));
    run.picture = sha256(picture1);
    return run;
}

void expectSameScan(int mode, const std::function<void(PictureState&)>& adjust) {
    const ScanRun ahead = paintScan(mode, true, adjust), alone = paintScan(mode, false, adjust);
    EXPECT_EQ(ahead.picture, alone.picture);
    EXPECT_EQ(ahead.levels, alone.levels);
    EXPECT_EQ(ahead.rows, alone.rows);
}

// Provoked: pozic0 = 400 (a picture's own is 5..304), so the colour table's
// row fails wherever barva's remainder passes 210 and the levels keep the
// previous pixel's. Whichever thread takes the colour step - the worker for
// the ray, the triangle, the plain field and the stroke, the scan for the
// dot - the levels kept must be the scan's own, as in one thread; where the
// worker starts a part of its rows on a guess (the plain field, the dot, the
// stroke), the scan meets it only after the first row that succeeds.
class FieldAheadFailedTableRow : public ::testing::TestWithParam<int> {};

TEST_P(FieldAheadFailedTableRow, KeepsTheLevelsOfOneThread) {
    expectSameScan(GetParam(), [](PictureState& s) { s.pozic0 = 400; });
}

INSTANTIATE_TEST_SUITE_P(Modes, FieldAheadFailedTableRow, ::testing::Values(1, 2, 3, 14, 18));

// The modes whose rows the scan shares with the worker, band by band.
class FieldAheadSharedRows : public ::testing::TestWithParam<int> {};

// Provoked: the moving centre on the left edge's world x (r0 = 0, world x 0
// at column 0), so the slope's division fails at the first position of every
// row and fi keeps the previous row's last value: the worker's guess at the
// start of each of its parts is wrong there (and with it formula 13's
// ba = r / fi and the colour), and the scan must meet it a position later.
TEST_P(FieldAheadSharedRows, MeetsTheWorkerAfterAFailedFirstPosition) {
    expectSameScan(GetParam(), [](PictureState& s) {
        s.polx = 0, s.dx = 1, s.r0 = 0;
        s.tip1 = 13, s.tip2 = 1, s.tip3 = 1;
        s.fak1 = 30, s.fak2 = 40, s.fak3 = 50;  // barva inside the clamp, so the colour shows ba
    });
}

// Provoked: world y 0 at the first row of the worker's first part (dy = 1,
// poly that row), with the centre at the origin (r0 = 0): the slope is 0 all
// along that row, formula 13's ba = r / fi fails at every position and keeps
// the value of the row before, which the worker's guess does not hold. The
// scan never meets the worker there and must paint the part alone.
TEST_P(FieldAheadSharedRows, PaintsAlonePartItNeverMeets) {
    const int mode = GetParam();
    ASSERT_GT(rowShareFor(mode).alone, 0);
    expectSameScan(mode, [&](PictureState& s) {
        s.poly = rowShareFor(mode).alone, s.dy = 1, s.r0 = 0;
        s.tip1 = 13, s.tip2 = 1, s.tip3 = 1;
    });
}

INSTANTIATE_TEST_SUITE_P(Modes, FieldAheadSharedRows, ::testing::Values(1, 2, 3));

// Where the scan meets the worker, every value the arithmetic carries from
// one position to the next must agree to the bit; the colour levels only when
// the worker takes the colour step (otherwise it never computes them, and
// the scan's own carry on). Provoked: each value one step off in turn, at the
// first position of the worker's first part.
TEST(FieldAhead, MeetsOnlyWhereEveryCarriedValueAgrees) {
    PictureState s = smallScan();
    s.nac = 4;
    for (const Handover handover : {Handover::colourInputs, Handover::anchorInputs}) {
        SCOPED_TRACE(static_cast<int>(handover));
        FieldAhead ahead(s, columnSines(s), s.vis, s.sir, handover, {1, 1});
        PictureState one = s;
        const std::vector<double> sinX = columnSines(one);
        PixelTrig t;
        fieldRow(one, t, sinX, 0, one.sir, [&](int) { ColourStep(one, t); });
        fieldRowWhile(one, t, sinX, 1, one.sir, [&](int) {
            ColourStep(one, t);
            return false;
        });
        ahead.row(1);
        EXPECT_TRUE(ahead.meets(one, 1, 0));
        double PictureState::*const carried[] = {
            &PictureState::x,     &PictureState::y,   &PictureState::fi1, &PictureState::fit, &PictureState::r,
            &PictureState::fi,    &PictureState::ba,  &PictureState::re,  &PictureState::gr,  &PictureState::bl,
            &PictureState::barva, &PictureState::ret, &PictureState::grt, &PictureState::blt};
        for (std::size_t k = 0; k < std::size(carried); ++k) {
            PictureState off = one;
            off.*carried[k] = std::nextafter(off.*carried[k], 1e300);
            const bool level = k >= std::size(carried) - 3;
            EXPECT_EQ(ahead.meets(off, 1, 0), level && handover == Handover::colourInputs) << "value " << k;
        }
    }
}

}  // namespace
}  // namespace painter
