#pragma once
// The field arithmetic of the scan, computed rows ahead on a second thread
// while the marks of the earlier rows are drawn.
//
// The arithmetic of a position (world coordinates, the moving centre, the
// three field formulas) draws no random numbers and reads nothing the marks
// write, so it can run ahead of them. The worker runs it over its own copy of
// the picture state, in scan order, exactly as one thread would: a statement
// that fails keeps the previous position's value, across the row boundary too.
// Of what the mark step writes, only the clamp of barva feeds back into the
// arithmetic (a failed colour recipe keeps the clamped value); the worker
// applies the same clamp. The scan copies each position's values into the
// picture state before its mark, so the state - and whatever a command run
// between rows reads there - is the same as without the worker.

#include "picture/picture_state.h"
#include "render/pixel_trig.h"

#include <atomic>
#include <thread>
#include <vector>

namespace painter {

// What the arithmetic of one position leaves in the picture state.
struct FieldValues {
    double x, y, fi1, fit, r, fi, ba, re, gr, bl, barva;
    PixelTrig trig;
};

// Puts the values of one position into the picture state, as the arithmetic
// there would have left them.
inline void restore(PictureState& s, const FieldValues& v) {
    s.x = v.x, s.y = v.y, s.fi1 = v.fi1, s.fit = v.fit, s.r = v.r, s.fi = v.fi;
    s.ba = v.ba, s.re = v.re, s.gr = v.gr, s.bl = v.bl, s.barva = v.barva;
}

class FieldAhead {
public:
    // Starts the worker on a copy of s as it stands before the first position,
    // for rows 0..lastRow and columns 0..lastColumn (sinX: the sines of every
    // column's world x).
    FieldAhead(const PictureState& s, std::vector<double> sinX, int lastRow, int lastColumn);
    // Stops the worker, also in the middle of the picture.
    ~FieldAhead();
    FieldAhead(const FieldAhead&) = delete;
    FieldAhead& operator=(const FieldAhead&) = delete;

    int lastColumn() const { return lastColumn_; }

    // The values of every position of the row, waiting until the worker has
    // them. Rows are asked for in order; asking for a row frees the one before.
    const FieldValues* row(int row);

private:
    static constexpr int kRowsAhead = 8;  // rows the worker may run ahead

    void work();
    FieldValues* slot(int row) { return buffer_.data() + static_cast<std::size_t>(row % kRowsAhead) * columns_; }

    PictureState state_;  // the worker's own
    const std::vector<double> sinX_;
    const int lastRow_, lastColumn_, columns_;
    std::vector<FieldValues> buffer_;
    std::atomic<int> done_{-1};      // last row the worker finished
    std::atomic<int> consumed_{-1};  // last row the scan has finished with
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

// Whether running the field arithmetic ahead can pay on this machine: it
// needs a second core.
bool fieldAheadPays();

}  // namespace painter
