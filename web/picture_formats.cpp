#include "web/picture_formats.h"

#include "output/picture_file.h"

#include <QBuffer>
#include <QImageWriter>

namespace painter {

std::optional<FormatProblem> formatProblem(const QString& format) {
    if (format == QLatin1String("png") || format == QLatin1String("bmp")) return std::nullopt;
    if (format == QLatin1String("pdf"))
        return FormatProblem{501, QStringLiteral("PDF cards are not available in this build")};
    return FormatProblem{400, QStringLiteral("format is png, bmp or pdf")};
}

EncodedPicture encodePicture(const Surface& surface, const QString& format) {
    EncodedPicture picture;
    QBuffer buffer(&picture.bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format.toLatin1()).write(surfaceImage(surface));
    picture.contentType = format == QLatin1String("png") ? "image/png" : "image/bmp";
    return picture;
}

}  // namespace painter
