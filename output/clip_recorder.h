#pragma once
// Takes a clip's frames from the real painting: the watcher of a picture that
// hands the encoder the picture as it stands when the plan says a frame is
// due, and does nothing else (no copy) at the other rows.

#include "output/clip_encoder.h"
#include "output/clip_plan.h"
#include "picture/painting_watcher.h"

namespace painter {

class ClipRecorder : public PaintingWatcher {
public:
    ClipRecorder(ClipPlan plan, ClipEncoder& encoder) : plan_(std::move(plan)), encoder_(encoder) {}

    void rowPainted(int row, const Surface& picture) override { take(plan_.rows, nextRow_, row, picture); }
    void ornamentDrawn(int n, const Surface& picture) override {
        take(plan_.ornaments, nextOrnament_, n, picture);
    }
    void greetingWritten(const Surface& picture) override;

    // The first failure of the encoder; no frame is added after it.
    const Problem& problem() const { return problem_; }
    int framesAdded() const { return frames_; }
    // Whether the finished picture was reached and added.
    bool complete() const { return complete_; }

private:
    // A frame for the due steps up to `step`, if any are due; one frame
    // however many steps it passed, shown for all their ticks.
    void take(const std::vector<ClipPlan::Due>& dues, std::size_t& next, int step, const Surface& picture) {
        if (next >= dues.size() || dues[next].at > step) return;
        int ticks = 0;
        while (next < dues.size() && dues[next].at <= step) ticks += dues[next++].ticks;
        add(picture, ticks);
    }
    void add(const Surface& picture, int ticks);

    const ClipPlan plan_;
    ClipEncoder& encoder_;
    std::size_t nextRow_ = 0, nextOrnament_ = 0;
    int frames_ = 0;
    bool complete_ = false;
    Problem problem_;
};

}  // namespace painter
