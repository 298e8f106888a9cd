#pragma once
// Turning the frames of a painting into a clip file, in memory: an MP4 video
// (H.264) or an animated WebP picture. Frames come in order, each shown for
// a number of ticks of 1/fps seconds.

#include "output/clip_plan.h"
#include "platform/problem.h"
#include "platform/surface.h"

#include <QByteArray>

#include <memory>

namespace painter {

struct ClipBytes {
    QByteArray bytes;
    QByteArray contentType;  // "video/mp4", "image/webp"
    Problem problem;         // why there is no clip, in English
};

class ClipEncoder {
public:
    virtual ~ClipEncoder() = default;
    // One frame, the picture as it stands, shown for `ticks` ticks. After a
    // failure every later frame is refused with the same reason.
    [[nodiscard]] virtual Problem add(const Surface& picture, int ticks) = 0;
    // The file of every frame added.
    virtual ClipBytes finish() = 0;
};

// An encoder of `format` at `fps` frames a second for pictures of
// width x height pixels, or the reason there is none.
struct MadeEncoder {
    std::unique_ptr<ClipEncoder> encoder;
    Problem problem;
};
MadeEncoder makeClipEncoder(ClipFormat format, int fps, int width, int height);
MadeEncoder makeMp4ClipEncoder(int fps, int width, int height);
MadeEncoder makeWebpClipEncoder(int fps, int width, int height);

}  // namespace painter
