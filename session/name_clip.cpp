#include "session/name_clip.h"

#include "output/clip_recorder.h"
#include "session/first_picture.h"

namespace painter {

NameClip paintNameClip(const QString& name, const ClipOptions& options) {
    NameClip result;
    result.clip.contentType = clipContentType(options.format);
    if ((result.clip.problem = clipSecondsProblem(options.seconds))) return result;
    const int fps = clipFps(options.format);
    MadeEncoder made = makeClipEncoder(options.format, fps, Surface::kPictureWidth, Surface::kPictureHeight);
    if (made.problem) {
        result.clip.problem = made.problem;
        return result;
    }
    ClipRecorder recorder(planClip(options.seconds, fps, Surface::kPictureHeight, 100), *made.encoder);
    const FirstPicture picture(name, {.year = options.year, .fieldAhead = options.fieldAhead, .watcher = &recorder});
    result.brushMode = static_cast<int>(picture.state().nac);
    result.frames = recorder.framesAdded();
    if (recorder.problem()) {
        result.clip.problem = recorder.problem();
        return result;
    }
    if (!recorder.complete()) {
        result.clip.problem = QStringLiteral("the painting stopped before the picture was finished");
        return result;
    }
    result.clip = made.encoder->finish();
    return result;
}

}  // namespace painter
