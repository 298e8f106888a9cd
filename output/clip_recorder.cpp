#include "output/clip_recorder.h"

namespace painter {

void ClipRecorder::add(const Surface& picture, int ticks) {
    if (problem_) return;
    problem_ = encoder_.add(picture, ticks);
    if (!problem_) ++frames_;
}

void ClipRecorder::greetingWritten(const Surface& picture) {
    // Steps the painting never reached (an ornament pass cut short) still
    // keep the clip's length: their time goes to the finished picture.
    int ticks = plan_.holdTicks;
    for (; nextRow_ < plan_.rows.size(); ++nextRow_) ticks += plan_.rows[nextRow_].ticks;
    for (; nextOrnament_ < plan_.ornaments.size(); ++nextOrnament_) ticks += plan_.ornaments[nextOrnament_].ticks;
    add(picture, ticks);
    complete_ = !problem_;
}

}  // namespace painter
