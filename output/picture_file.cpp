#include "output/picture_file.h"

#include "output/picture_save.h"
#include "platform/surface_image.h"

#include <QFileInfo>

namespace painter {

QImage surfaceImage(const Surface& surface) {
    return wrapSurfacePixels(surface).convertToFormat(QImage::Format_RGB888);
}

Problem writeImageFile(const QImage& image, const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (!imageFormats().contains(suffix))
        return QStringLiteral("unknown picture format '%1' (use .%2)").arg(suffix, imageFormats().join(" or ."));
    return writeFileAtomically(path, [&](QIODevice& file) {
        return writeImage(file, image.convertToFormat(QImage::Format_RGB888), suffix.toLatin1());
    });
}

Problem writeFileAtomically(const QString& path, const FileWriter& write) {
    return saveFile(path, SaveMode::Replace, write).problem;
}

}  // namespace painter
