#pragma once
// Writing a surface to a file: BMP (24 bits per pixel) or PNG, chosen by the
// file name's extension. The file is written under a temporary name in the same
// folder and renamed into place, so a failure never leaves a truncated picture
// and never destroys an earlier file of that name.

#include "platform/problem.h"
#include "platform/surface.h"

#include <QImage>
#include <QString>

#include <functional>

class QIODevice;

namespace painter {

// Writes a file's contents into a device; a Problem gives up.
using FileWriter = std::function<Problem(QIODevice& device)>;

// A copy of the surface's pixels as a 24-bit image.
QImage surfaceImage(const Surface& surface);

// An image (an enlarged picture, a contact sheet) written as BMP or PNG by
// the file name's extension.
[[nodiscard]] Problem writeImageFile(const QImage& image, const QString& path);

// Writes a file through `write` under a temporary name and renames it into
// place: saveFile (picture_save.h) in its Replace mode.
[[nodiscard]] Problem writeFileAtomically(const QString& path, const FileWriter& write);

}  // namespace painter
