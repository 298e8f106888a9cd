#pragma once
// A surface's pixels seen as a Qt image, without copying. Each pixel word is
// 0xFF000000 | colour, colour = red + 256 green + 65536 blue, so its bytes in
// memory (little-endian) are R, G, B, X: exactly RGBX8888.

#include "platform/surface.h"

#include <QImage>

namespace painter {

// Read-only: painting on the image would copy it first.
inline QImage wrapSurfacePixels(const Surface& surface) {
    return QImage(reinterpret_cast<const uchar*>(surface.pixels()), surface.width(), surface.height(),
                  static_cast<qsizetype>(surface.width()) * 4, QImage::Format_RGBX8888);
}

// Writable: a QPainter on the image paints into the surface.
inline QImage wrapSurfacePixels(Surface& surface) {
    return QImage(reinterpret_cast<uchar*>(surface.pixels()), surface.width(), surface.height(),
                  static_cast<qsizetype>(surface.width()) * 4, QImage::Format_RGBX8888);
}

}  // namespace painter
