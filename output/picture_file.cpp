#include "output/picture_file.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace painter {

QImage surfaceImage(const Surface& surface) {
    const QImage view(reinterpret_cast<const uchar*>(surface.pixels()), surface.width(), surface.height(),
                      surface.width() * 4, QImage::Format_RGBX8888);
    return view.convertToFormat(QImage::Format_RGB888);
}

bool writePictureFile(const Surface& surface, const QString& path, QString* error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("bmp") && suffix != QLatin1String("png")) {
        if (error) *error = QStringLiteral("unknown picture format '%1' (use .bmp or .png)").arg(suffix);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, suffix.toLatin1());
    if (!writer.write(surfaceImage(surface))) {
        if (error) *error = file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace painter
