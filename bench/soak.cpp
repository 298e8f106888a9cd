// Soak run: many pictures in one process with one session, as a long sitting
// at the window would paint them ("ponovi" again and again, a save now and
// then). Prints the resident memory after pictures 1, 10, 50, 100, 200 and the
// last one; once the first pictures have warmed the caches, it must stay flat.
//
//   painter_soak [pictures (200)] [save every k-th picture (10, 0: never)]
//
// Run it under heaptrack or valgrind --tool=massif for where the memory goes,
// and in the sanitizer build for leaks.

#include "bench_names.h"
#include "platform/clock.h"
#include "platform/memory_reuse.h"
#include "platform/random_generator.h"
#include "platform/window_services.h"
#include "session/picture_cycle.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

namespace painter {
namespace {

// The resident set now and its high-water mark, from /proc/self/status (VmRSS,
// VmHWM, in KiB).
struct Rss {
    long now = 0, peak = 0;
};

Rss residentKiB() {
    Rss rss;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:"))
            rss.now = std::atol(line.c_str() + 6);
        else if (line.starts_with("VmHWM:"))
            rss.peak = std::atol(line.c_str() + 6);
    }
    return rss;
}

// Odd pictures take the names that paint each brush mode in turn; even ones a
// name spelled from the picture's number, so the seeds keep changing too.
QString nameFor(int picture) {
    if (picture % 2 == 1) return QString::fromLatin1(bench::kNameForMode[(picture / 2) % 18 + 1]);
    QString name = QStringLiteral("soak ");
    for (int n = picture; n > 0; n /= 26) name += QChar(u'a' + n % 26);
    return name;
}

bool reported(int picture, int last) {
    return picture == 1 || picture == 10 || picture == 50 || picture == 100 || picture == 200 || picture == last;
}

}  // namespace
}  // namespace painter

int main(int argc, char** argv) {
    using namespace painter;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    keepFreedMemoryForReuse();  // as the program does
    QGuiApplication app(argc, argv);
    const int pictures = argc > 1 ? std::atoi(argv[1]) : 200;
    const int saveEvery = argc > 2 ? std::atoi(argv[2]) : 10;
    if (pictures < 1 || saveEvery < 0) {
        std::fprintf(stderr, "usage: painter_soak [pictures >= 1] [save every k-th picture, 0 never]\n");
        return 2;
    }

    QTemporaryDir dir;
    RandomGenerator rng;
    FixedClock clock("02-01-2011", "09:03:07");
    QuietServices services;
    for (int k = 1; k <= pictures; ++k) services.names << nameFor(k);
    PainterSession session(rng, clock, services, dir.path() + "/wimgx");

    std::set<int> modes;
    int saves = 0, failedSaves = 0;
    std::printf("%8s %5s %12s %12s\n", "picture", "mode", "rss KiB", "peak KiB");
    for (int k = 1; k <= pictures; ++k) {
        if (k == 1)
            session.formLoad();
        else
            session.ponovi();
        modes.insert(static_cast<int>(session.state().nac));
        if (saveEvery > 0 && k % saveEvery == 0) {
            ++saves;
            if (!session.shrani()) ++failedSaves;
        }
        if (reported(k, pictures)) {
            const Rss rss = residentKiB();
            std::printf("%8d %5d %12ld %12ld\n", k, static_cast<int>(session.state().nac), rss.now, rss.peak);
        }
        std::fflush(stdout);
    }
    std::printf("brush modes painted: %zu of 18; saves: %d (%d failed); prompts: %d\n", modes.size(), saves,
                failedSaves, services.promptsShown);
    return failedSaves == 0 && services.promptsShown == pictures ? 0 : 1;
}
