#pragma once
// A surface as the image that is written to a file (BMP, 24 bits per pixel,
// or PNG); output/picture_save.h writes it.

#include "platform/surface.h"

#include <QImage>
#include <QString>

namespace painter {

// A copy of the surface's pixels as a 24-bit image.
QImage surfaceImage(const Surface& surface);

}  // namespace painter
