#include "output/picture_file.h"

#include "platform/surface_image.h"

namespace painter {

QImage surfaceImage(const Surface& surface) {
    return wrapSurfacePixels(surface).convertToFormat(QImage::Format_RGB888);
}

}  // namespace painter
