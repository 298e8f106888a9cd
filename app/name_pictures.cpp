#include "app/name_pictures.h"

#include "app/picture_cycle.h"
#include "output/picture_file.h"
#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/surface_text.h"
#include "platform/window_services.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace painter {

QImage paintNamePicture(const QString& name) {
    RandomGenerator rng;
    SystemClock clock;
    QuietServices services;
    services.names << name;
    PainterSession session(rng, clock, services, QString());
    setStartupValues(session.state());
    session.ponovi();
    return surfaceImage(session.picture1());
}

void paintNamePictures(const QStringList& names, int workers,
                       const std::function<void(int index, const QImage& picture)>& take) {
    captionFont(12);  // the font database is set up once, before any worker uses it
    const int total = static_cast<int>(names.size());
    const int threads = std::max(1, workers);
    // A round of a few pictures per worker, painted together, then handed
    // over in order: memory stays bounded and the order is the list's.
    const int round = threads * 2;
    for (int first = 0; first < total; first += round) {
        const int count = std::min(round, total - first);
        std::vector<QImage> pictures(static_cast<std::size_t>(count));
        std::atomic<int> next{0};
        auto work = [&] {
            for (int k = next++; k < count; k = next++) pictures[static_cast<std::size_t>(k)] = paintNamePicture(names[first + k]);
        };
        std::vector<std::thread> pool;
        for (int w = 0; w < std::min(threads, count); ++w) pool.emplace_back(work);
        for (auto& t : pool) t.join();
        for (int k = 0; k < count; ++k) take(first + k, pictures[static_cast<std::size_t>(k)]);
    }
}

}  // namespace painter
