// Prints, per clip format, what a 6 s clip of three names costs: a quick, a
// middle and the slowest brush mode (measured here, by painting one name of
// each mode). Encode time is the whole clip from the name: the painting with
// its frames taken, the encoding, the file in memory.
//
//   painter_clip_bench [repeats]

#include "bench_names.h"
#include "platform/memory_reuse.h"
#include "session/first_picture.h"
#include "session/name_clip.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using painter::bench::kNameForMode;

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

template <class F>
double medianMs(int repeats, F&& once) {
    std::vector<double> times;
    for (int k = 0; k < repeats; ++k) {
        const auto start = std::chrono::steady_clock::now();
        once();
        times.push_back(msSince(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Frames as a player counts them: an MP4 shows every tick of the plan; an
// animated WebP holds an ANMF chunk per frame (unchanged frames merged).
int framesInFile(painter::ClipFormat format, const QByteArray& bytes) {
    if (format == painter::ClipFormat::mp4)
        return painter::planClip(painter::kDefaultClipSeconds, painter::clipFps(format), 525, 100).ticks();
    int frames = 0;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const auto b = [&](int k) { return static_cast<quint32>(static_cast<unsigned char>(bytes[at + 4 + k])); };
        const qsizetype length = b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
        if (bytes.mid(at, 4) == "ANMF") ++frames;
        at += 8 + length + (length & 1);
    }
    return frames;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    painter::keepFreedMemoryForReuse();  // as the program does
    QGuiApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    // Modes by the time of their picture alone, as the program paints it.
    std::vector<std::pair<double, int>> byTime;
    for (int mode = 1; mode <= 18; ++mode)
        byTime.push_back({medianMs(repeats, [mode] { painter::FirstPicture p(QString::fromLatin1(kNameForMode[mode])); }),
                          mode});
    std::sort(byTime.begin(), byTime.end());
    const std::pair<double, int> chosen[3] = {byTime.front(), byTime[byTime.size() / 2], byTime.back()};
    const char* kind[3] = {"quick", "middle", "slowest"};

    for (const painter::ClipFormat format : {painter::ClipFormat::mp4, painter::ClipFormat::webp}) {
        std::printf("\n%s, 6 s at %d frames a second, median of %d:\n\n", painter::clipExtension(format) == "mp4"
                                                                              ? "MP4 (H.264, yuv420p)"
                                                                              : "Animated WebP (lossless)",
                    painter::clipFps(format), repeats);
        std::printf("| name | brush mode | picture alone, ms | clip, ms | file, KiB | pictures taken | frames in the file |\n");
        std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
        for (int k = 0; k < 3; ++k) {
            const auto [pictureMs, mode] = chosen[k];
            const QString name = QString::fromLatin1(kNameForMode[mode]);
            painter::NameClip clip;
            const double ms = medianMs(repeats, [&] { clip = painter::paintNameClip(name, {.format = format}); });
            if (clip.clip.problem) {
                std::printf("| %s | %d | failed: %s |\n", kNameForMode[mode], mode, qPrintable(*clip.clip.problem));
                continue;
            }
            std::printf("| %s (%s) | %d | %.0f | %.0f | %.0f | %d | %d |\n", kNameForMode[mode], kind[k], mode,
                        pictureMs, ms, clip.clip.bytes.size() / 1024.0, clip.frames,
                        framesInFile(format, clip.clip.bytes));
        }
    }
    return 0;
}
