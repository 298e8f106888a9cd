#pragma once
// The field arithmetic and the colour step of the scan, computed rows ahead
// on a second thread while the marks of the earlier rows are drawn.
//
// The arithmetic of a position (world coordinates, the moving centre, the
// three field formulas) and its colour step (the clamp of barva, the colour
// levels, the offsets of the mark) draw no random numbers and read nothing
// the mark step writes, so they can run ahead of it. The worker runs them
// over its own copy of the picture state, in scan order, exactly as one
// thread would: a statement that fails keeps the previous position's value,
// across the row boundary too.
//
// The rows cross from one core to the other, so a position carries only what
// the scan's next step reads: the mark's inputs, or the colour step's. The
// whole state the arithmetic leaves comes once a row, at its last position,
// which is what a command run between rows, or the end of the picture, finds
// in the picture state, the same as without the worker.
//
// Where the scan shares the rows (RowShare), the worker skips the rows the
// scan paints alone and starts its next part on a guess. Each position's
// values are a function of the position and of the values the position
// before left, so once the scan's state equals the worker's after some
// position, bit for bit, every later position of the worker is the scan's own.

#include "picture/picture_state.h"
#include "render/brush_modes.h"
#include "render/pixel_trig.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace painter {

// What the arithmetic and the colour step of a position leave in the picture state.
struct FieldValues {
    double x, y, fi1, fit, r, fi, ba, re, gr, bl, barva, ret, grt, blt;
};

inline FieldValues fieldValues(const PictureState& s) {
    return {s.x, s.y, s.fi1, s.fit, s.r, s.fi, s.ba, s.re, s.gr, s.bl, s.barva, s.ret, s.grt, s.blt};
}

// What the mark step reads when the worker took the colour step, in the
// modes that read more than the anchor: the colour and at most six values,
// which ones by the mode (packMark). Half of PixelMark: the rows cross from
// core to core, and their size shows in the time.
struct MarkInputs {
    double v[6];
    Colour colour;
};

// The stroke's offsets, the triangles' corner offsets, or mode 17's anchor
// and blt (the one value of the picture state a mark reads).
inline MarkInputs packMark(int mode, const PixelMark& m, double blt) {
    switch (mode) {
    case 3: return {{m.ex1, m.ex2, m.ey1, m.ey2, 0, 0}, m.colour};
    case 17: return {{m.sm, m.cm, blt, 0, 0, 0}, m.colour};
    default: return {{m.sr, m.sg, m.sb, m.cr, m.cg, m.cb}, m.colour};
    }
}

// The mark packMark packed, and blt into s for mode 17.
inline PixelMark unpackMark(int mode, const MarkInputs& in, PictureState& s) {
    PixelMark m;
    m.colour = in.colour;
    switch (mode) {
    case 3: m.ex1 = in.v[0], m.ex2 = in.v[1], m.ey1 = in.v[2], m.ey2 = in.v[3]; break;
    case 17: m.sm = in.v[0], m.cm = in.v[1], s.blt = in.v[2]; break;
    default: m.sr = in.v[0], m.sg = in.v[1], m.sb = in.v[2], m.cr = in.v[3], m.cg = in.v[4], m.cb = in.v[5];
    }
    return m;
}

// What the mark step reads in the modes that mark around the anchor alone:
// most modes are such.
struct AnchorInputs {
    double sm, cm;
    Colour colour;
};

// What the colour step reads of the arithmetic, when the scan takes it itself.
struct ColourInputs {
    double barva, fi1;  // barva already clamped, as the colour step leaves it
    double sinR, cosR, sinFit;
};

// What the worker hands over per position.
enum class Handover {
    colourInputs,  // the scan takes the colour step: its three sine and cosine
                   // pairs cost more than the marks of the lightest modes
    anchorInputs,  // the worker takes it; the mark reads the anchor and the colour
    markInputs,    // the worker takes it; the mark reads more of it
};

// The hand-over for a brush mode.
inline Handover handoverFor(int mode) {
    switch (mode) {
    case 2:
    case 13: return Handover::colourInputs;
    case 3:
    case 14:
    case 15:
    case 17: return Handover::markInputs;
    default: return Handover::anchorInputs;
    }
}

// How the rows are shared, band after band: the scan paints `alone` rows by
// itself, then takes `ahead` rows from the worker. Where the marks are heavy,
// the worker computes every row ahead (alone 0). Where they cost less than the
// arithmetic, a worker computing every row only moves the wait to the scan, so
// the scan computes some rows itself meanwhile. The worker then starts each of
// its parts on a guess of the values a failed statement keeps; the scan checks
// it where it meets the worker (FieldAhead::meets). Measured with the speed
// table.
struct RowShare {
    int alone, ahead;
};

inline constexpr RowShare kWorkerComputesEveryRow{0, 1};

inline RowShare rowShareFor(int mode) {
    switch (mode) {
    case 1: return {2, 2};
    case 2: return {1, 6};
    case 3: return {2, 2};
    default: return kWorkerComputesEveryRow;
    }
}

// One row from the worker: per position one of `marks`, `anchors` and
// `colours`, as handed over, and the state at the row's last position.
struct AheadRow {
    const MarkInputs* marks;
    const AnchorInputs* anchors;
    const ColourInputs* colours;
    const FieldValues& end;
};

// Puts the state a row's last position left into the picture state; the
// colour levels only when the worker took the colour step (otherwise the
// scan's own are the ones a failed table row keeps).
inline void restore(PictureState& s, const FieldValues& v, bool colourStep) {
    s.x = v.x, s.y = v.y, s.fi1 = v.fi1, s.fit = v.fit, s.r = v.r, s.fi = v.fi;
    s.ba = v.ba, s.re = v.re, s.gr = v.gr, s.bl = v.bl, s.barva = v.barva;
    if (colourStep) s.ret = v.ret, s.grt = v.grt, s.blt = v.blt;
}

class FieldAhead {
public:
    // Starts the worker on a copy of s as it stands before the first
    // position, for its rows of 0..lastRow by `share` and columns
    // 0..lastColumn (sinX: the sines of every column's world x). Unless it
    // hands over the colour step's inputs, the worker takes the colour step
    // too; otherwise only the clamp of barva, which feeds back into the
    // arithmetic (a failed colour recipe keeps the clamped value).
    FieldAhead(const PictureState& s, std::vector<double> sinX, int lastRow, int lastColumn, Handover handover,
               RowShare share = kWorkerComputesEveryRow);
    // Stops the worker, also in the middle of the picture.
    ~FieldAhead();
    FieldAhead(const FieldAhead&) = delete;
    FieldAhead& operator=(const FieldAhead&) = delete;

    int lastColumn() const { return lastColumn_; }
    Handover handover() const { return handover_; }

    // Whether the worker computes the row.
    bool computes(int row) const { return row % band_ >= share_.alone; }
    // Whether the row begins a part the worker started on a guess.
    bool startsPart(int row) const { return share_.alone > 0 && row % band_ == share_.alone; }

    // The row, waiting until the worker has it. The worker's rows are asked
    // for in order; asking for one frees the one before.
    AheadRow row(int row);

    // Whether s, after the position (row, column) of a row that starts a
    // part, holds what the worker left there, bit for bit: from then on the
    // worker's positions are the scan's own, whatever it guessed. Only while
    // row(row) is the last row asked for.
    bool meets(const PictureState& s, int row, int column) const;

private:
    static constexpr int kRowsAhead = 8;  // rows the worker may run ahead of the scan

    void work();
    // The worker's rows numbered from 0, and back.
    int ordinal(int row) const { return row / band_ * share_.ahead + row % band_ - share_.alone; }
    int rowOf(int ordinal) const { return ordinal / share_.ahead * band_ + share_.alone + ordinal % share_.ahead; }
    int slot(int row) const { return ordinal(row) % ringRows_; }
    // The row's records in a ring, or none for the rings the hand-over leaves
    // empty (an offset from their null data() would be undefined).
    template <class Record>
    Record* inRing(std::vector<Record>& ring, int row) {
        return ring.empty() ? nullptr : ring.data() + static_cast<std::size_t>(slot(row)) * columns_;
    }
    // Where the values at every position of the first row of the part `row`
    // starts begin in partStarts_.
    std::size_t partStart(int row) const { return static_cast<std::size_t>(row / band_ % partsInRing_) * columns_; }
    // Waits until `counter` reaches `least`: a short spin first, because the
    // other thread is usually a fraction of a row away and sleeping costs far
    // more than that; then on the condition variable, so a thread kept waiting
    // (the machine busy, the other side stopped) does not hold a core.
    void waitFor(const std::atomic<int>& counter, int least);
    void publish(std::atomic<int>& counter, int value);

    PictureState state_;  // the worker's own
    const std::vector<double> sinX_;
    const int lastRow_, lastColumn_, columns_;
    const RowShare share_;
    const int band_;
    // Rows in the rings: with a share, whole parts and at least
    // kSharedRingRows: the worker then rewrites a row long after the scan
    // read it (rings of two parts measured up to twice as slow: each row
    // written back and forth between the cores' caches).
    static constexpr int kSharedRingRows = 16;
    const int ringRows_, partsInRing_;
    const Handover handover_;
    std::vector<MarkInputs> marks_;
    std::vector<AnchorInputs> anchors_;
    std::vector<ColourInputs> colours_;
    std::vector<FieldValues> ends_;
    std::vector<FieldValues> partStarts_;  // see partStart, with a share
    // Ordinals of the worker's rows, each on a cache line of its own: one
    // thread spins reading what the other writes.
    alignas(64) std::atomic<int> done_{-1};      // the last one the worker finished
    alignas(64) std::atomic<int> consumed_{-1};  // the last one the scan has finished with
    std::atomic<bool> stop_{false};
    alignas(64) std::mutex mutex_;  // only for sleeping; the counters are read without it
    std::condition_variable changed_;
    std::thread worker_;
};

// Whether running the field arithmetic ahead can pay on this machine: it
// needs a second core.
bool fieldAheadPays();

}  // namespace painter
