#include "speed_table.h"

#include "app/form1.h"
#include "app/qt_window_services.h"
#include "bench_names.h"
#include "params/colour_table.h"
#include "params/name_entry.h"
#include "params/picture_parameters.h"
#include "platform/clock.h"
#include "render/paint_field.h"
#include "session/batch.h"
#include "session/first_picture.h"
#include "session/picture_cycle.h"

#include <QApplication>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace painter::bench {
namespace {

// Whole pictures per brush mode as the issue on speed measured them before
// the work (Release, this 2-core machine, ms): recorded, not measured here.
constexpr double kBeforeMs[19] = {0,   59,  72, 123, 156, 167, 270, 101, 315, 275,
                                  301, 368, 98, 77,  142, 151, 134, 144, 378};
constexpr double kBeforeFieldMs = 39;
constexpr double kBeforeBatchRate = 12;  // pictures a second, 2 workers

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double medianOf(int repeats, const std::function<double()>& once) {
    std::vector<double> times;
    for (int k = 0; k < repeats; ++k) times.push_back(once());
    return median(times);
}

// A session without a window whose prompt answers `name`.
struct HeadlessSession {
    explicit HeadlessSession(const char* name) { services.names << QString::fromLatin1(name); }
    QTemporaryDir dir;
    RandomGenerator rng;
    FixedClock clock{"01-01-2011", "00:00:00"};
    QuietServices services;
    PainterSession session{rng, clock, services, dir.path()};
};

// One whole picture without a window, as the first after start-up; all on one
// thread, or with the field arithmetic ahead on a second (where it pays).
double headlessPictureMs(const char* name, bool fieldAhead) {
    const auto start = std::chrono::steady_clock::now();
    const FirstPicture picture(QString::fromLatin1(name), {.fieldAhead = fieldAhead});
    return msSince(start);
}

// Follows a painting and takes nothing: the cost of being told of every row.
class IdleWatcher : public PaintingWatcher {
public:
    void rowPainted(int, const Surface&) override {}
    void ornamentDrawn(int, const Surface&) override {}
    void greetingWritten(const Surface&) override {}
};

double watchedPictureMs(const char* name) {
    IdleWatcher watcher;
    const auto start = std::chrono::steady_clock::now();
    const FirstPicture picture(QString::fromLatin1(name), {.watcher = &watcher});
    return msSince(start);
}

// The window's services with the prompt answered at once.
class AnsweringServices : public QtWindowServices {
public:
    QString name;
    QString askName(const QString&, QPoint) override { return name; }
};

// One picture in the shown window, "ponovi" to the greeting, repaints and
// event pumping included.
double windowPictureMs(const char* name, int repeats) {
    QTemporaryDir dir;
    RandomGenerator rng;
    FixedClock clock{"01-01-2011", "00:00:00"};
    AnsweringServices services;
    services.name = QString::fromLatin1(name);
    PainterSession session(rng, clock, services, dir.path());
    setStartupValues(session.state());
    Form1 form(session);
    services.attach(&form);
    form.show();
    QApplication::processEvents();
    session.ponovi();  // the first picture warms up the window's painting
    return medianOf(repeats, [&] {
        const auto start = std::chrono::steady_clock::now();
        session.ponovi();
        QApplication::processEvents();
        return msSince(start);
    });
}

struct BatchRun {
    double picturesPerSecond = 0;
    double pageFaultsPerPicture = 0;  // of the whole process: every worker's, and the saves'
};

long pageFaultsOfThisProcess() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

BatchRun batchRun(int names, int workers, bool fieldAhead) {
    QTemporaryDir dir;
    QList<NameLine> list;
    for (int k = 0; k < names; ++k) {
        QString name = QString::fromLatin1(kNameForMode[k % 18 + 1]) + QLatin1Char(' ');
        for (int n = k; n > 0; n /= 26) name += QChar(u'a' + n % 26);
        list.append({k + 1, name});
    }
    BatchOptions options;
    options.outputDir = dir.path();
    options.workers = workers;
    options.fieldAhead = fieldAhead;
    const long faultsBefore = pageFaultsOfThisProcess();
    const auto start = std::chrono::steady_clock::now();
    const BatchResult result = paintNameList(list, options);
    const double seconds = msSince(start) / 1000;
    const long faults = pageFaultsOfThisProcess() - faultsBefore;
    return {result.painted / seconds, static_cast<double>(faults) / std::max(1, result.painted)};
}

}  // namespace

double fieldArithmeticMs(const char* name) {
    HeadlessSession h(name);
    PictureState& s = h.session.state();
    setStartupValues(s);
    AskName(s, h.session.platform());
    BuildColorTable(s, h.rng);
    PickParameters(s, h.session.platform());
    const std::vector<double> sinX = columnSines(s);
    const auto start = std::chrono::steady_clock::now();
    s.fi1 = 0;
    PixelTrig t;
    for (int row = 0; row <= s.vis; ++row) fieldRow(s, t, sinX, row, s.sir, [](int) {});
    const double ms = msSince(start);
    volatile double keep = s.barva;  // the scan's result is used
    (void)keep;
    return ms;
}

void printSpeedTable(const TableOptions& options) {
    const int repeats = std::max(1, options.repeats);
    const double field = medianOf(repeats, [] { return fieldArithmeticMs(kNameForMode[1]); });
    std::printf("\nWhole pictures (field, marks, sampling, ornaments, greeting), median of %d, ms.\n", repeats);
    std::printf("'before' is recorded from the issue's measurement, not measured now.\n\n");
    std::printf(
        "'after' is what the program does for the window and a single picture on a\n"
        "machine of two cores or more: the field arithmetic (and, for most modes, the\n"
        "colour step) runs rows ahead on a second thread; for the plain field, the\n"
        "dot and the stroke (modes 1 to 3) the two threads share the rows. 'one\n"
        "thread' is each picture of a batch of two or more workers, which keep\n"
        "every core busy with pictures of their own.\n\n");
    std::printf(
        "| mode | name | before | one thread | one thread / field | after | after / field |\n"
        "|---:|---|---:|---:|---:|---:|---:|\n");
    double slowest = 0;
    int slowestMode = 0;
    for (int mode = 1; mode <= 18; ++mode) {
        const double alone = medianOf(repeats, [mode] { return headlessPictureMs(kNameForMode[mode], false); });
        const double after = medianOf(repeats, [mode] { return headlessPictureMs(kNameForMode[mode], true); });
        if (after > slowest) slowest = after, slowestMode = mode;
        std::printf("| %d | %s | %.0f | %.1f | %.2f | %.1f | %.2f |\n", mode, kNameForMode[mode], kBeforeMs[mode],
                    alone, alone / field, after, after / field);
    }
    std::printf("| – | field arithmetic alone | %.0f | %.1f | 1.00 | | |\n", kBeforeFieldMs, field);
    std::printf("\nslowest mode: %d, %.1f ms\n", slowestMode, slowest);

    const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
    std::printf("\n| batch of %d names | pictures/s | page faults a picture |\n|---|---:|---:|\n", options.batchNames);
    const auto row = [&options](const char* what, int workers, bool fieldAhead) {
        const BatchRun run = batchRun(options.batchNames, workers, fieldAhead);
        std::printf("| %s | %.1f | %.0f |\n", what, run.picturesPerSecond, run.pageFaultsPerPicture);
    };
    // The program's own choice for each number of workers is marked.
    row("1 worker, one thread", 1, false);
    row("1 worker, field arithmetic ahead (the program's)", 1, true);
    row("2 workers (the program's)", 2, false);
    row("2 workers, field arithmetic ahead", 2, true);
    if (cores > 2) {
        const std::string what = std::to_string(cores) + " workers";
        row(what.c_str(), static_cast<int>(cores), false);
    }
    std::printf("| 2 workers, before (recorded) | %.0f | |\n", kBeforeBatchRate);

    const char* windowName = kNameForMode[slowestMode];
    const double window = windowPictureMs(windowName, repeats);
    // Both as the program paints them (field ahead).
    const double headless = medianOf(repeats, [windowName] { return headlessPictureMs(windowName, true); });
    std::printf("\n| one picture of \"%s\" | ms |\n|---|---:|\n", windowName);
    std::printf("| in the window (offscreen platform) | %.1f |\n", window);
    std::printf("| without a window | %.1f |\n", headless);
    std::printf("| window / without | %.2f |\n", window / headless);

    // A clip's frames are taken through a watcher told of every row; without
    // a clip there is none. Both as the program paints them (field ahead).
    const double watched = medianOf(repeats, [windowName] { return watchedPictureMs(windowName); });
    std::printf("\n| one picture of \"%s\", no clip asked | ms |\n|---|---:|\n", windowName);
    std::printf("| as the program paints it (no watcher) | %.1f |\n", headless);
    std::printf("| told of every row, taking no frame | %.1f |\n", watched);
    std::printf("| told / not told | %.3f |\n", watched / headless);
}

}  // namespace painter::bench
