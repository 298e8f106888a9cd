#include "output/upscale.h"

#include <cstring>

namespace painter {

QImage upscaleImage(const QImage& picture, int factor) {
    if (factor < 1 || factor > kMaxScale || picture.isNull()) return {};
    const QImage source = picture.convertToFormat(QImage::Format_RGB888);
    QImage big(source.width() * factor, source.height() * factor, QImage::Format_RGB888);
    if (big.isNull()) return {};
    const int rowBytes = big.width() * 3;
    for (int y = 0; y < source.height(); ++y) {
        const uchar* in = source.constScanLine(y);
        uchar* first = big.scanLine(y * factor);
        for (int x = 0; x < source.width(); ++x)
            for (int k = 0; k < factor; ++k) std::memcpy(first + (x * factor + k) * 3, in + x * 3, 3);
        // The other rows of the block are copies of the first.
        for (int k = 1; k < factor; ++k) std::memcpy(big.scanLine(y * factor + k), first, rowBytes);
    }
    return big;
}

}  // namespace painter
