#include "render/field_ahead.h"

#include "render/paint_field.h"

namespace painter {

FieldAhead::FieldAhead(const PictureState& s, std::vector<double> sinX, int lastRow, int lastColumn)
    : state_(s),
      sinX_(std::move(sinX)),
      lastRow_(lastRow),
      lastColumn_(lastColumn),
      columns_(lastColumn + 1),
      buffer_(static_cast<std::size_t>(kRowsAhead) * (lastColumn + 1)) {
    worker_ = std::thread([this] { work(); });
}

FieldAhead::~FieldAhead() {
    stop_.store(true);
    consumed_.store(lastRow_ + kRowsAhead);  // release a worker waiting for room
    consumed_.notify_all();
    worker_.join();
}

void FieldAhead::work() {
    PictureState& s = state_;
    PixelTrig t;
    for (int row = 0; row <= lastRow_; ++row) {
        // Room for this row once the scan is done with the row kRowsAhead before it.
        for (int seen = consumed_.load(); seen < row - kRowsAhead; seen = consumed_.load()) consumed_.wait(seen);
        if (stop_.load()) return;
        FieldValues* out = slot(row);
        fieldRow(s, t, sinX_, row, lastColumn_, [&](int column) {
            // The clamp the mark step applies in place, so that the worker's
            // state is what one thread's would be (a failed colour recipe keeps it).
            if (s.barva < 1) s.barva = 1;
            if (s.barva > 675) s.barva = 675;
            out[column] = {s.x, s.y, s.fi1, s.fit, s.r, s.fi, s.ba, s.re, s.gr, s.bl, s.barva, t};
        });
        done_.store(row);
        done_.notify_all();
    }
}

const FieldValues* FieldAhead::row(int row) {
    consumed_.store(row - 1);
    consumed_.notify_all();
    for (int seen = done_.load(); seen < row; seen = done_.load()) done_.wait(seen);
    return slot(row);
}

bool fieldAheadPays() { return std::thread::hardware_concurrency() > 1; }

}  // namespace painter
