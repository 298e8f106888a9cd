// Throughput of the drawing surface's primitives, each next to the same
// figure drawn with one QPainter call (aliased, 1-pixel cosmetic pen) on a
// QImage of the picture's size. The brush modes draw one figure per pixel of
// a 700 x 525 picture, so these per-call costs decide how long a picture takes.
//
// Positions cycle through a fixed table of fractional points within a 16 x 16
// square in the middle of the picture, the same for both contenders: the brush
// modes draw each figure next to the previous one.
//
// All surface benchmarks are registered before the QPainter ones. Qt's
// vectorised code can leave the processor's wide registers marked as in use,
// which on some processors slows every later SSE instruction of the thread
// (our figures lose a factor of two or three) until something clears that
// state; the real program clears it often through the C library's own
// vectorised routines, but a benchmark loop of ours never does.

#include "platform/surface.h"

#include <benchmark/benchmark.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>

#include <array>
#include <cstdint>

namespace {

using painter::Surface;

constexpr int kW = Surface::kPictureWidth;
constexpr int kH = Surface::kPictureHeight;
constexpr painter::Colour kInk = 0x3366CC;
constexpr painter::Colour kFillColour = 0x114422;

struct Spot {
    float x, y;
};

// 64 points in [342, 358) x [254, 270): every figure below stays on the raster.
std::array<Spot, 64> makeSpots() {
    std::array<Spot, 64> spots{};
    std::uint32_t state = 12345u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f;
    };
    for (Spot& s : spots) {
        s.x = 342.0f + next() * 16.0f;
        s.y = 254.0f + next() * 16.0f;
    }
    return spots;
}

const std::array<Spot, 64> kSpots = makeSpots();

struct QtCanvas {
    QImage image{kW, kH, QImage::Format_RGB32};
    QPainter painter;
    explicit QtCanvas(bool filled) {
        image.fill(Qt::black);
        painter.begin(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(0xCC, 0x66, 0x33), 0));
        if (filled)
            painter.setBrush(QColor(0x22, 0x44, 0x11));
        else
            painter.setBrush(Qt::NoBrush);
    }
};

template <typename DrawOne>
void run(benchmark::State& state, DrawOne draw) {
    std::size_t i = 0;
    for (auto _ : state) {
        const Spot& s = kSpots[i++ & 63];
        draw(s);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

// ---- PSet ----
void BM_Surface_PSet(benchmark::State& state) {
    Surface surface;
    run(state, [&](const Spot& s) { surface.pset(s.x, s.y, kInk); });
    benchmark::DoNotOptimize(surface.pixels());
}
void BM_QPainter_PSet(benchmark::State& state) {
    QtCanvas canvas(false);
    run(state, [&](const Spot& s) { canvas.painter.drawPoint(QPointF(s.x, s.y)); });
}

// ---- filled circle, radius 14 ----
void BM_Surface_FilledCircle14(benchmark::State& state) {
    Surface surface;
    run(state, [&](const Spot& s) { surface.circle(s.x, s.y, 14, kInk, painter::solidFill(kFillColour)); });
    benchmark::DoNotOptimize(surface.pixels());
}
void BM_QPainter_FilledCircle14(benchmark::State& state) {
    QtCanvas canvas(true);
    run(state, [&](const Spot& s) { canvas.painter.drawEllipse(QPointF(s.x, s.y), 14.0, 14.0); });
}

// ---- unfilled ellipse, radius 60, aspect 3 (20 wide, 60 high half-axes) ----
void BM_Surface_Ellipse60Aspect3(benchmark::State& state) {
    Surface surface;
    run(state, [&](const Spot& s) { surface.ellipse(s.x, s.y, 60, 3, kInk, painter::kNoFill); });
    benchmark::DoNotOptimize(surface.pixels());
}
void BM_QPainter_Ellipse60Aspect3(benchmark::State& state) {
    QtCanvas canvas(false);
    run(state, [&](const Spot& s) { canvas.painter.drawEllipse(QPointF(s.x, s.y), 20.0, 60.0); });
}

// ---- line of 100 pixels (99 across, 40 down) ----
void BM_Surface_Line100(benchmark::State& state) {
    Surface surface;
    run(state, [&](const Spot& s) { surface.line(s.x - 50, s.y - 20, s.x + 49, s.y + 20, kInk); });
    benchmark::DoNotOptimize(surface.pixels());
}
void BM_QPainter_Line100(benchmark::State& state) {
    QtCanvas canvas(false);
    run(state,
        [&](const Spot& s) { canvas.painter.drawLine(QPointF(s.x - 50, s.y - 20), QPointF(s.x + 49, s.y + 20)); });
}

// ---- filled box, 40 x 40 pixels ----
void BM_Surface_FilledBox40(benchmark::State& state) {
    Surface surface;
    run(state,
        [&](const Spot& s) { surface.box(s.x, s.y, s.x + 39, s.y + 39, kInk, painter::solidFill(kFillColour)); });
    benchmark::DoNotOptimize(surface.pixels());
}
void BM_QPainter_FilledBox40(benchmark::State& state) {
    QtCanvas canvas(true);
    // An aliased rectangle outline covers width + 1 by height + 1 pixels.
    run(state, [&](const Spot& s) { canvas.painter.drawRect(QRectF(s.x, s.y, 39, 39)); });
}

BENCHMARK(BM_Surface_PSet);
BENCHMARK(BM_Surface_FilledCircle14);
BENCHMARK(BM_Surface_Ellipse60Aspect3);
BENCHMARK(BM_Surface_Line100);
BENCHMARK(BM_Surface_FilledBox40);
BENCHMARK(BM_QPainter_PSet);
BENCHMARK(BM_QPainter_FilledCircle14);
BENCHMARK(BM_QPainter_Ellipse60Aspect3);
BENCHMARK(BM_QPainter_Line100);
BENCHMARK(BM_QPainter_FilledBox40);

}  // namespace
