// The field arithmetic run ahead on a second thread must change nothing: not
// a pixel, not a random draw, not what a command between rows finds in the
// picture state.
#include "render/field_ahead.h"
#include "render/paint_field.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
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
// boundaries too; and walking, ray and plain modes.
class FieldAheadName : public ::testing::TestWithParam<const char*> {};

TEST_P(FieldAheadName, SamePixelsDrawsAndStateAtEveryRow) {
    const QString name = QString::fromLatin1(GetParam());
    expectSame(paint(name, true), paint(name, false));
}

INSTANTIATE_TEST_SUITE_P(Names, FieldAheadName,
                         ::testing::Values("bor korosec", "ana kastelic", "ana vidmar", "ana golob", "ana novak",
                                           "bor zupan", "bor petek", ""));

// Provoked: a command between rows narrows the scan (s.sir) at row 100, so
// the rows computed ahead no longer fit; the scan must go on alone exactly as
// one thread would.
TEST(FieldAhead, ACommandThatNarrowsTheScanIsFollowed) {
    auto narrow = [](int row, PictureState& s) {
        if (row == 100) s.sir = 400;
    };
    expectSame(paint("ana kos", true, narrow), paint("ana kos", false, narrow));
}

// Provoked: "izhod" at row 30 while the worker runs rows ahead; the picture
// stops there and the worker with it (a hang would time the test out).
TEST(FieldAhead, StoppingInTheMiddleStopsTheWorker) {
    QTemporaryDir dir;
    RandomGenerator rng;
    FixedClock clock{"02-01-2011", "09:03:07"};
    PumpServices services;
    services.names << QStringLiteral("bor petek");
    PainterSession session(rng, clock, services, dir.path());
    services.onRow = [&](int row) {
        if (row == 30) session.izhod();
    };
    session.formLoad();
    EXPECT_TRUE(session.quitRequested());
    EXPECT_EQ(services.rows, 31);
}

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
    FieldAhead ahead(s, columnSines(s), s.vis, s.sir);

    PictureState one = s;
    const std::vector<double> sinX = columnSines(one);
    PixelTrig t;
    int failures = 0;
    for (int row = 0; row <= one.vis; ++row) {
        const FieldValues* values = ahead.row(row);
        const double fiBefore = one.fi;
        fieldRow(one, t, sinX, row, one.sir, [&](int column) {
            if (column == 0 && one.fi == fiBefore) ++failures;
            if (one.barva < 1) one.barva = 1;
            if (one.barva > 675) one.barva = 675;
            const FieldValues& v = values[column];
            const std::array<double, 11> got{v.x, v.y, v.fi1, v.fit, v.r, v.fi, v.ba, v.re, v.gr, v.bl, v.barva};
            const std::array<double, 11> want{one.x,  one.y,  one.fi1, one.fit, one.r,    one.fi,
                                              one.ba, one.re, one.gr,  one.bl,  one.barva};
            EXPECT_EQ(got, want) << "row " << row << ", column " << column;
        });
    }
    EXPECT_EQ(failures, s.vis + 1) << "the slope must fail at the first position of every row";
}

}  // namespace
}  // namespace painter
