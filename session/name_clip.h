#pragma once
// A clip of a name's picture being painted: the name painted as the first
// picture after start-up, its frames taken from that very painting. The
// command line, a batch and the web service all make clips this way.

#include "output/clip_encoder.h"
#include "output/clip_plan.h"

#include <QString>

namespace painter {

struct ClipOptions {
    ClipFormat format = ClipFormat::mp4;
    double seconds = kDefaultClipSeconds;  // clipSecondsProblem() says which are allowed
    int year = 2011;                       // the year the greeting wishes luck in
    bool fieldAhead = true;                // as in FirstPictureOptions
};

struct NameClip {
    ClipBytes clip;     // the file's bytes and content type, or the problem
    int brushMode = 0;  // the picture's, 1..18
    int frames = 0;     // frames the encoder was given
};

// The clip of `name`, which must be acceptable (see nameRejection).
NameClip paintNameClip(const QString& name, const ClipOptions& options);

}  // namespace painter
