#pragma once
// Which picture format a file given on the command line is written in, or why
// it cannot be.

#include "output/clip_plan.h"
#include "output/picture_save.h"
#include "platform/problem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace painter {

struct OutputFormat {
    QByteArray format;  // "bmp", "png", ...; empty when refused
    Problem problem;    // the reason, to follow "cannot write FILE: "
};

// The format of `path`: "-" (standard output) takes `chosen` or PNG; a file
// takes its extension, which `chosen` (from --format, may be empty) must
// agree with; without an extension `chosen` decides. An existing folder, an
// unknown extension and a missing one are refused with their reason.
OutputFormat outputFormat(const QString& path, const QString& chosen);

struct ClipOutput {
    ClipFormat format = ClipFormat::mp4;
    Problem problem;  // the reason, to follow "cannot write FILE: "
};

// The clip format of `path` by the same rules: "-" takes `chosen` or MP4.
ClipOutput clipOutput(const QString& path, const QString& chosen);

// --format's value checked on its own: nothing when it names a known format.
[[nodiscard]] Problem formatProblem(const QString& chosen);

}  // namespace painter
