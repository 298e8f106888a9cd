#pragma once
// Writing a surface to a file: BMP (24 bits per pixel) or PNG, chosen by the
// file name's extension. The file is written under a temporary name in the same
// folder and renamed into place, so a failure never leaves a truncated picture
// and never destroys an earlier file of that name.

#include "platform/surface.h"

#include <QImage>
#include <QString>

#include <functional>

class QIODevice;

namespace painter {

// A copy of the surface's pixels as a 24-bit image.
QImage surfaceImage(const Surface& surface);

// An image (an enlarged picture, a contact sheet) written as BMP or PNG by
// the file name's extension. Returns false and a reason in *error when the
// file could not be written.
bool writeImageFile(const QImage& image, const QString& path, QString* error);

// Writes a file through `write` under a temporary name and renames it into
// place. `write` returns false (with a reason in *error when it has one) to
// give up; a failing device is reported with its own reason either way.
bool writeFileAtomically(const QString& path, const std::function<bool(QIODevice&, QString* error)>& write,
                         QString* error);

}  // namespace painter
