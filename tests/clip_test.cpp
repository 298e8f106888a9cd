// Clips of the painting: which moments they show, that their frames are the
// picture as it stood, and that the files are what players expect.

#include "clip_tools.h"
#include "output/clip_file.h"
#include "output/clip_plan.h"
#include "output/clip_recorder.h"
#include "output/picture_file.h"
#include "session/name_clip.h"
#include "test_support.h"

#include <QSet>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace painter {
namespace {

using testing::DecodedFrame;

// ---- the plan ----

struct PlanCase {
    double seconds;
    int fps;
};

void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.seconds << " s at " << c.fps << " fps"; }

class ClipPlanTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(ClipPlanTest, SpreadsTheRowsAndOrnamentsAndHoldsTheEnd) {
    const auto [seconds, fps] = GetParam();
    const ClipPlan plan = planClip(seconds, fps, 525, 100);
    EXPECT_EQ(plan.ticks(), std::lround(seconds * fps)) << "the clip is as long as asked";
    EXPECT_EQ(plan.holdTicks, std::lround(std::min(2.0, seconds / 3) * fps)) << "about 2 s of the finished picture";
    ASSERT_FALSE(plan.rows.empty());
    ASSERT_FALSE(plan.ornaments.empty());
    EXPECT_EQ(plan.rows.back().at, 525) << "the last frame of the field shows every row";
    EXPECT_EQ(plan.ornaments.back().at, 100) << "the last ornament frame shows every ornament";
    for (const auto* dues : {&plan.rows, &plan.ornaments})
        for (std::size_t k = 1; k < dues->size(); ++k) EXPECT_LT((*dues)[k - 1].at, (*dues)[k].at) << k;
    // Evenly spread: no gap between two frames' rows is more than one row
    // longer than another.
    int shortest = 1000, longest = 0;
    for (std::size_t k = 0; k < plan.rows.size(); ++k) {
        const int gap = plan.rows[k].at - (k == 0 ? -1 : plan.rows[k - 1].at);
        shortest = std::min(shortest, gap), longest = std::max(longest, gap);
    }
    EXPECT_LE(longest - shortest, 1);
    EXPECT_GT(plan.rows.size(), plan.ornaments.size()) << "the field is most of the making";
}

INSTANTIATE_TEST_SUITE_P(Lengths, ClipPlanTest,
                         ::testing::Values(PlanCase{2, 25}, PlanCase{6, 25}, PlanCase{6, 10}, PlanCase{10, 10},
                                           PlanCase{30, 25},  // more ticks than rows: frames shown longer
                                           PlanCase{2.5, 10}));

TEST(ClipSecondsTest, TwoToThirtySecondsOnly) {
    for (const double ok : {2.0, 6.0, 29.5, 30.0}) EXPECT_FALSE(clipSecondsProblem(ok)) << ok;
    for (const double bad : {0.0, 1.99, 30.01, 31.0, -6.0, double(NAN), double(INFINITY)}) EXPECT_TRUE(clipSecondsProblem(bad)) << bad;
}

// ---- the frames are the painting ----

// The engine's own surfaces, apart from any clip: the picture at the window
// pump before row r + 1 (the moment the window shows after row r), the
// picture after the chosen ornaments and after the last row (which no pump
// follows), and the finished picture.
class Snapshots : public QuietServices, public PaintingWatcher {
public:
    Snapshots(const ClipPlan& plan) {
        for (const auto& d : plan.rows) rows_.insert(d.at);
        for (const auto& d : plan.ornaments) ornaments_.insert(d.at);
    }
    void processPendingEvents() override {
        // Pump k comes before row k: rows 0..k-1 are painted.
        if (rows_.contains(pumps_ - 1)) frames.push_back(copy(picture_));
        ++pumps_;
    }
    void rowPainted(int row, const Surface& picture) override {
        picture_ = &picture;
        if (row == 525 && rows_.contains(row)) frames.push_back(copy(&picture));
    }
    void ornamentDrawn(int n, const Surface& picture) override {
        if (ornaments_.contains(n)) frames.push_back(copy(&picture));
    }
    void greetingWritten(const Surface& picture) override { frames.push_back(copy(&picture)); }

    std::vector<std::vector<std::uint32_t>> frames;

private:
    static std::vector<std::uint32_t> copy(const Surface* s) {
        if (!s) return {};
        return {s->pixels(), s->pixels() + static_cast<std::size_t>(s->width()) * s->height()};
    }
    QSet<int> rows_, ornaments_;
    int pumps_ = 0;
    const Surface* picture_ = nullptr;
};

// The name painted on one thread, as the window's start-up paints it, with
// the engine's surfaces at the clip's moments.
std::vector<std::vector<std::uint32_t>> engineSurfaces(const QString& name, const ClipPlan& plan) {
    RandomGenerator rng;
    SystemClock clock;
    Snapshots snapshots(plan);
    snapshots.names << name;
    PainterSession session(rng, clock, snapshots, QString());
    session.platform().fieldAhead = false;
    session.platform().watcher = &snapshots;
    session.formLoad();
    return std::move(snapshots.frames);
}

bool sameAsSurface(const DecodedFrame& frame, const std::vector<std::uint32_t>& surface) {
    if (frame.rgba.size() != surface.size() * 4) return false;
    for (std::size_t k = 0; k < surface.size(); ++k) {
        const std::uint32_t c = surface[k];  // 0xFF000000 | red + 256 green + 65536 blue
        const std::uint8_t* p = frame.rgba.data() + 4 * k;
        if (p[0] != (c & 0xFF) || p[1] != ((c >> 8) & 0xFF) || p[2] != ((c >> 16) & 0xFF) || p[3] != 0xFF)
            return false;
    }
    return true;
}

// Names whose scans take the three ways of the field arithmetic (rows
// shared with the worker, the worker's colour inputs, its anchor inputs),
// so a frame taken at the wrong moment on any of them shows.
class WebpClipTest : public ::testing::TestWithParam<const char*> {};

TEST_P(WebpClipTest, EveryFrameIsThePictureAsItStoodAndLasts) {
    const QString name = QString::fromLatin1(GetParam());
    const int fps = clipFps(ClipFormat::webp);
    const ClipPlan plan = planClip(6, fps, 525, 100);
    const NameClip clip = paintNameClip(name, {.format = ClipFormat::webp, .seconds = 6});
    ASSERT_FALSE(clip.clip.problem) << clip.clip.problem->toStdString();
    EXPECT_EQ(clip.clip.contentType, "image/webp");
    EXPECT_EQ(clip.frames, plan.frames());

    // As webpmux reads the file: size, frames, their lengths, all lossless.
    QTemporaryDir dir;
    const QString file = dir.filePath("clip.webp");
    ASSERT_FALSE(writeClipFile(file, clip.clip.bytes));
    const testing::MuxedAnimation muxed = testing::muxInfo(file);
    EXPECT_EQ(muxed.width, 700);
    EXPECT_EQ(muxed.height, 525);
    // A frame that changed nothing is merged into the one before it, shown longer.
    ASSERT_LE(muxed.frames.size(), static_cast<std::size_t>(plan.frames()));
    ASSERT_GE(muxed.frames.size(), static_cast<std::size_t>(plan.frames()) * 3 / 4);
    int totalMs = 0;
    for (const auto& f : muxed.frames) {
        totalMs += f.durationMs;
        EXPECT_EQ(f.compression, "lossless");
    }
    EXPECT_EQ(totalMs, 6000);
    EXPECT_EQ(muxed.frames.back().durationMs, plan.holdTicks * 1000 / fps) << "the finished picture is held";

    // Composed as a viewer shows them, against the engine's own surfaces.
    // Composed as a viewer shows them: at the moment each planned frame
    // begins, the picture shown is the engine's own surface of that moment.
    const std::vector<DecodedFrame> decoded = testing::decodeAnimation(clip.clip.bytes);
    ASSERT_EQ(decoded.size(), muxed.frames.size());
    EXPECT_EQ(decoded.back().endMs, 6000);
    const auto surfaces = engineSurfaces(name, plan);
    ASSERT_EQ(surfaces.size(), static_cast<std::size_t>(plan.frames()));
    std::vector<int> startMs;
    int ticks = 0;
    for (const auto* dues : {&plan.rows, &plan.ornaments})
        for (const auto& d : *dues) startMs.push_back(ticks * 1000 / fps), ticks += d.ticks;
    startMs.push_back(ticks * 1000 / fps);
    std::vector<DecodedFrame> frames;  // what is shown at each planned frame's start
    for (const int t : startMs) {
        std::size_t shown = 0;
        while (shown + 1 < decoded.size() && decoded[shown].endMs <= t) ++shown;
        frames.push_back(decoded[shown]);
    }
    for (std::size_t k = 0; k < frames.size(); ++k)
        EXPECT_TRUE(sameAsSurface(frames[k], surfaces[k])) << "frame " << k + 1 << " of " << frames.size();

    // No painted pixel is lost: once the painting has put a pixel's final
    // colour there for good, every later frame shows it.
    const std::vector<std::uint32_t>& finished = surfaces.back();
    std::vector<int> settledFrom(finished.size(), 0);
    for (std::size_t k = 0; k < surfaces.size(); ++k)
        for (std::size_t p = 0; p < finished.size(); ++p)
            if (surfaces[k][p] != finished[p]) settledFrom[p] = static_cast<int>(k) + 1;
    long lost = 0;
    for (std::size_t k = 0; k < frames.size(); ++k)
        for (std::size_t p = 0; p < finished.size(); ++p)
            if (static_cast<int>(k) >= settledFrom[p] &&
                std::memcmp(frames[k].rgba.data() + 4 * p, &finished[p], 3) != 0)
                ++lost;
    EXPECT_EQ(lost, 0) << "pixels that a later frame no longer shows";
}

INSTANTIATE_TEST_SUITE_P(BrushModes, WebpClipTest, ::testing::Values("bor petek", "ana kranjc", "ana novak"));

// ---- MP4 ----

// The top-level boxes of an MP4 file, in order.
QList<QByteArray> topBoxes(const QByteArray& bytes) {
    QList<QByteArray> boxes;
    for (qsizetype at = 0; at + 8 <= bytes.size();) {
        const auto b = [&](int k) { return static_cast<quint32>(static_cast<unsigned char>(bytes[at + k])); };
        const qsizetype length = b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
        boxes << bytes.mid(at + 4, 4);
        if (length < 8) break;
        at += length;
    }
    return boxes;
}

struct Mp4Case {
    double seconds;
    int frames;
};

void PrintTo(const Mp4Case& c, std::ostream* os) { *os << c.seconds << " s"; }

class Mp4ClipTest : public ::testing::TestWithParam<Mp4Case> {};

TEST_P(Mp4ClipTest, H264OfTheAskedLengthEndingOnThePicture) {
    const auto [seconds, frames] = GetParam();
    const NameClip clip = paintNameClip("ana novak", {.format = ClipFormat::mp4, .seconds = seconds});
    ASSERT_FALSE(clip.clip.problem) << clip.clip.problem->toStdString();
    EXPECT_EQ(clip.clip.contentType, "video/mp4");
    QTemporaryDir dir;
    const QString file = dir.filePath("clip.mp4");
    ASSERT_FALSE(writeClipFile(file, clip.clip.bytes));

    const testing::ProbedVideo video = testing::probeVideo(file);
    EXPECT_EQ(video.codec, "h264");
    EXPECT_EQ(video.pixelFormat, "yuv420p");
    EXPECT_EQ(video.width, 700);
    EXPECT_EQ(video.height, 526) << "525 rows and the last one repeated: 4:2:0 needs an even height";
    EXPECT_EQ(video.frames, frames);
    EXPECT_NEAR(video.seconds, seconds, 0.02);
    const QList<QByteArray> boxes = topBoxes(clip.clip.bytes);
    ASSERT_TRUE(boxes.contains("moov") && boxes.contains("mdat"));
    EXPECT_LT(boxes.indexOf("moov"), boxes.indexOf("mdat")) << "+faststart: the index before the frames";
    EXPECT_TRUE(completeClipFile(file, ClipFormat::mp4));

    // The finished picture, padded as the clip pads it, through the same
    // 4:2:0 sampling: what a perfect encoder would give back.
    const FirstPicture picture(QStringLiteral("ana novak"));
    QImage padded(700, 526, QImage::Format_RGB888);
    const QImage image = surfaceImage(picture.surface());
    for (int y = 0; y < 526; ++y)
        std::memcpy(padded.scanLine(y), image.constScanLine(std::min(y, 524)), 700 * 3);
    const QString png = dir.filePath("picture.png");
    ASSERT_TRUE(padded.save(png));
    const QByteArray expected = testing::imageYuv(png);
    const QByteArray last = testing::lastFrameYuv(file, 700, 526);
    const qsizetype luma = 700 * 526;
    // Luma is not subsampled: it is the picture's own brightness.
    EXPECT_GE(testing::psnr(expected, last, 0, luma), 40.0) << "luma";
    EXPECT_GE(testing::psnr(expected, last, 0, luma * 3 / 2), 40.0) << "all planes";
}

INSTANTIATE_TEST_SUITE_P(Lengths, Mp4ClipTest, ::testing::Values(Mp4Case{6, 150}, Mp4Case{2, 50}, Mp4Case{10, 250}));

// ---- files ----

TEST(ClipFileTest, OnlyAWholeClipCountsAsComplete) {
    QTemporaryDir dir;
    for (const ClipFormat format : {ClipFormat::mp4, ClipFormat::webp}) {
        const NameClip clip = paintNameClip("ana", {.format = format, .seconds = 2});
        ASSERT_FALSE(clip.clip.problem);
        const QString whole = dir.filePath("whole." + clipExtension(format));
        ASSERT_FALSE(writeClipFile(whole, clip.clip.bytes));
        EXPECT_TRUE(completeClipFile(whole, format)) << whole.toStdString();
        // Cut short (a copy that stopped half way) and cut by one byte.
        for (const qsizetype keep : {clip.clip.bytes.size() / 2, clip.clip.bytes.size() - 1}) {
            const QString cut = dir.filePath(QString::number(keep) + "." + clipExtension(format));
            ASSERT_FALSE(writeClipFile(cut, clip.clip.bytes.left(keep)));
            EXPECT_FALSE(completeClipFile(cut, format)) << cut.toStdString();
        }
        // The other format's clip under this one's name.
        const ClipFormat other = format == ClipFormat::mp4 ? ClipFormat::webp : ClipFormat::mp4;
        EXPECT_FALSE(completeClipFile(whole, other));
    }
    EXPECT_FALSE(completeClipFile(dir.filePath("missing.mp4"), ClipFormat::mp4));
}

}  // namespace
}  // namespace painter
