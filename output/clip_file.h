#pragma once
// Where a clip's bytes go: a file, written under a temporary name and renamed
// into place; or an existing file that is not a regular one (a named pipe, a
// terminal, /dev/null), written into as cp writes into it, since renaming
// over it would replace the device with a file. And how to tell a complete
// clip file from anything else under its name.

#include "output/clip_plan.h"
#include "platform/problem.h"

#include <QByteArray>
#include <QString>

namespace painter {

[[nodiscard]] Problem writeClipFile(const QString& path, const QByteArray& bytes);

// Whether the file is a whole clip of `format`: its container's outermost
// boxes (MP4) or chunk (WebP) end exactly at the file's end.
bool completeClipFile(const QString& path, ClipFormat format);

}  // namespace painter
