#include "render/field_ahead.h"

#include "render/paint_field.h"
#include "render/paint_pixel.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdint>

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

FieldAhead::FieldAhead(const PictureState& s, std::vector<double> sinX, int lastRow, int lastColumn, Handover handover,
                       RowShare share)
    : state_(s),
      sinX_(std::move(sinX)),
      lastRow_(lastRow),
      lastColumn_(lastColumn),
      columns_(lastColumn + 1),
      share_(share),
      band_(share.alone + share.ahead),
      ringRows_(share.alone == 0 ? kRowsAhead : (kSharedRingRows + share.ahead - 1) / share.ahead * share.ahead),
      partsInRing_(ringRows_ / share.ahead),
      handover_(handover) {
    worker_ = std::thread([this] { work(); });
}

FieldAhead::~FieldAhead() {
    stop_.store(true);
    publish(consumed_, lastRow_ + ringRows_);  // release a worker waiting for room (ordinals never pass rows)
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
    // The rings are filled here, before the first row is published, so that
    // their fresh pages (up to about a megabyte, and a page fault costs
    // microseconds on a virtual machine) are touched on this thread, not the
    // scan's.
    marks_.resize(ringOf(handover_, Handover::markInputs, ringRows_, columns_));
    anchors_.resize(ringOf(handover_, Handover::anchorInputs, ringRows_, columns_));
    colours_.resize(ringOf(handover_, Handover::colourInputs, ringRows_, columns_));
    ends_.resize(static_cast<std::size_t>(ringRows_));
    partStarts_.resize(share_.alone == 0 ? 0 : static_cast<std::size_t>(partsInRing_) * columns_);
    PictureState& s = state_;
    const int mode = brushMode(s.nac);
    PixelTrig t;
    for (int k = 0, row = rowOf(0); row <= lastRow_; row = rowOf(++k)) {
        waitFor(consumed_, k - ringRows_);  // the scan is done with the row this one replaces
        if (stop_.load()) return;
        // The positions the scan paints alone before this part: their fi1
        // summed as the scan sums it, one position at a time.
        if (startsPart(row))
            for (long n = 0; n < static_cast<long>(share_.alone) * columns_; ++n) s.fi1 = s.fi1 + s.korakfi1;
        FieldValues* starts = startsPart(row) ? partStarts_.data() + partStart(row) : nullptr;
        MarkInputs* marks = inRing(marks_, row);
        AnchorInputs* anchors = inRing(anchors_, row);
        ColourInputs* colours = inRing(colours_, row);
        fieldRow(s, t, sinX_, row, lastColumn_, [&](int column) {
            switch (handover_) {
            case Handover::markInputs: {
                const PixelMark m = ColourStep(s, t);  // before s.blt is read: the step sets it
                marks[column] = packMark(mode, m, s.blt);
                break;
            }
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
            if (starts) starts[column] = fieldValues(s);
        });
        ends_[slot(row)] = fieldValues(s);
        publish(done_, k);
    }
}

AheadRow FieldAhead::row(int row) {
    publish(consumed_, ordinal(row) - 1);
    waitFor(done_, ordinal(row));
    return {inRing(marks_, row), inRing(anchors_, row), inRing(colours_, row), ends_[slot(row)]};
}

bool FieldAhead::meets(const PictureState& s, int row, int column) const {
    using Bits = std::array<std::uint64_t, sizeof(FieldValues) / sizeof(double)>;
    const Bits scan = std::bit_cast<Bits>(fieldValues(s));
    const Bits worker = std::bit_cast<Bits>(partStarts_[partStart(row) + column]);
    // The colour levels only where the worker takes the colour step: else the
    // scan's own carry on, and the worker leaves its guess untouched.
    const std::size_t compared = handover_ == Handover::colourInputs ? scan.size() - 3 : scan.size();
    return std::equal(scan.begin(), scan.begin() + compared, worker.begin());
}

bool fieldAheadPays() { return std::thread::hardware_concurrency() > 1; }

}  // namespace painter
