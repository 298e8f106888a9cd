#pragma once
// Writing a surface to a file: BMP (24 bits per pixel) or PNG, chosen by the
// file name's extension. The file is written under a temporary name in the same
// folder and renamed into place, so a failure never leaves a truncated picture
// and never destroys an earlier file of that name.

#include "platform/surface.h"

#include <QImage>
#include <QString>

namespace painter {

// A copy of the surface's pixels as a 24-bit image.
QImage surfaceImage(const Surface& surface);

// Returns false and a reason in *error when the file could not be written.
bool writePictureFile(const Surface& surface, const QString& path, QString* error);

}  // namespace painter
