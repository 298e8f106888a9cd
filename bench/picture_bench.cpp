// Time of a picture: the field per brush mode, the field arithmetic alone,
// the whole picture cycle per mode, and a save.
#include "bench_names.h"
#include "output/export_picture.h"
#include "params/colour_table.h"
#include "params/name_entry.h"
#include "params/picture_parameters.h"
#include "render/field_formulas.h"
#include "render/paint_field.h"
#include "session/first_picture.h"
#include "session/picture_cycle.h"
#include "speed_table.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

namespace painter {
namespace {

// A session stopped just before the scan: name, table, parameters and the
// three extra draws are done, as the picture cycle does them.
struct ReadyToScan {
    explicit ReadyToScan(const char* name) : session(rng, clock, services, dir.path()) {
        services.names << QString::fromLatin1(name);
        setStartupValues(session.state());
        AskName(session.state(), session.platform());
        BuildColorTable(session.state(), rng);
        PickParameters(session.state(), session.platform());
        for (int k = 0; k < 3; ++k) rng.next();
    }
    QTemporaryDir dir;
    RandomGenerator rng;
    FixedClock clock{"01-01-2011", "00:00:00"};
    QuietServices services;
    PainterSession session;
};

void BM_Field(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        ReadyToScan r(bench::kNameForMode[mode]);
        state.ResumeTiming();
        PaintField(r.session.state(), r.session.platform(), 0);
        if (r.session.state().nac != mode) state.SkipWithError("name paints another mode");
    }
    state.SetLabel(bench::kNameForMode[mode]);
}
BENCHMARK(BM_Field)->DenseRange(1, 18)->Unit(benchmark::kMillisecond)->Iterations(5);

// The per-position arithmetic alone: world coordinates, the moving centre and
// the three field formulas, with the sines and cosines they share, without
// the pixel's colour and mark.
void BM_FieldArithmeticOnly(benchmark::State& state) {
    for (auto _ : state) state.SetIterationTime(bench::fieldArithmeticMs(bench::kNameForMode[1]) / 1000);
}
BENCHMARK(BM_FieldArithmeticOnly)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// A whole picture on one thread, as each picture of a batch is painted, or as
// the window and a single picture paint it, the field arithmetic ahead on a
// second thread where it pays (wall-clock time: the second thread's work is
// not the caller's CPU time).
void BM_WholePicture(benchmark::State& state, bool fieldAhead) {
    const int mode = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const FirstPicture picture(QString::fromLatin1(bench::kNameForMode[mode]), {.fieldAhead = fieldAhead});
        benchmark::DoNotOptimize(picture.surface().pixels());
    }
    state.SetLabel(bench::kNameForMode[mode]);
}
BENCHMARK_CAPTURE(BM_WholePicture, one_thread, false)->DenseRange(1, 18)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_WholePicture, field_ahead, true)
    ->DenseRange(1, 18)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

// The copy to the second surface with its marker, and the file write.
void BM_Save(benchmark::State& state) {
    QTemporaryDir dir;
    RandomGenerator rng;
    FixedClock clock{"01-01-2011", "00:00:00"};
    QuietServices services;
    services.names << QStringLiteral("ana kos");
    PainterSession session(rng, clock, services, dir.path());
    session.formLoad();
    for (auto _ : state) benchmark::DoNotOptimize(session.shrani());
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace painter
