#include "render/field_ahead.h"

#include "render/paint_field.h"
#include "render/paint_pixel.h"

#include <chrono>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace painter {

namespace {

// The records of a ring of rows when `handover` uses them, else none.
std::size_t ringOf(Handover handover, Handover used, int rows, int columns) {
    return handover == used ? static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns) : 0;
}

}  // namespace

FieldAhead::FieldAhead(const PictureState& s, std::vector<double> sinX, int lastRow, int lastColumn, Handover handover)
    : state_(s),
      sinX_(std::move(sinX)),
      lastRow_(lastRow),
      lastColumn_(lastColumn),
      columns_(lastColumn + 1),
      handover_(handover),
      marks_(ringOf(handover, Handover::markInputs, kRowsAhead, columns_)),
      anchors_(ringOf(handover, Handover::anchorInputs, kRowsAhead, columns_)),
      colours_(ringOf(handover, Handover::colourInputs, kRowsAhead, columns_)),
      ends_(kRowsAhead) {
    worker_ = std::thread([this] { work(); });
}

FieldAhead::~FieldAhead() {
    stop_.store(true);
    publish(consumed_, lastRow_ + kRowsAhead);  // release a worker waiting for room
    worker_.join();
}

namespace {

void relax() {
#if defined(__SSE2__)
    _mm_pause();
#endif
}

}  // namespace

void FieldAhead::waitFor(const std::atomic<int>& counter, int least) {
    // About one row of field arithmetic: long enough for the usual wait, short
    // enough that a stalled other side costs little.
    constexpr auto kSpin = std::chrono::microseconds(100);
    if (counter.load() >= least) return;
    const auto until = std::chrono::steady_clock::now() + kSpin;
    do {
        for (int k = 0; k < 64; ++k) {
            if (counter.load() >= least) return;
            relax();
        }
    } while (std::chrono::steady_clock::now() < until);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return counter.load() >= least; });
}

void FieldAhead::publish(std::atomic<int>& counter, int value) {
    {
        // Stored under the lock, so a thread between its last look and its
        // sleep cannot miss it.
        const std::lock_guard lock(mutex_);
        counter.store(value);
    }
    changed_.notify_all();
}

void FieldAhead::work() {
    PictureState& s = state_;
    PixelTrig t;
    for (int row = 0; row <= lastRow_; ++row) {
        waitFor(consumed_, row - kRowsAhead);  // the scan is done with the row this one replaces
        if (stop_.load()) return;
        MarkInputs* marks = inRing(marks_, row);
        AnchorInputs* anchors = inRing(anchors_, row);
        ColourInputs* colours = inRing(colours_, row);
        fieldRow(s, t, sinX_, row, lastColumn_, [&](int column) {
            switch (handover_) {
            case Handover::markInputs: marks[column] = {ColourStep(s, t), s.blt}; break;
            case Handover::anchorInputs: {
                const PixelMark m = ColourStep(s, t);
                anchors[column] = {m.sm, m.cm, m.colour};
                break;
            }
            case Handover::colourInputs:
                clampBarva(s);
                colours[column] = {s.barva, s.fi1, t.sinR, t.cosR, t.sinFit};
                break;
            }
        });
        ends_[row % kRowsAhead] = {s.x,  s.y,  s.fi1, s.fit,   s.r,   s.fi,  s.ba,
                                   s.re, s.gr, s.bl,  s.barva, s.ret, s.grt, s.blt};
        publish(done_, row);
    }
}

AheadRow FieldAhead::row(int row) {
    publish(consumed_, row - 1);
    waitFor(done_, row);
    return {inRing(marks_, row), inRing(anchors_, row), inRing(colours_, row), ends_[row % kRowsAhead]};
}

bool fieldAheadPays() { return std::thread::hardware_concurrency() > 1; }

}  // namespace painter
