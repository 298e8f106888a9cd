#include "web/picture_formats.h"

#include "output/card_pdf.h"
#include "output/picture_file.h"
#include "output/picture_save.h"
#include "output/upscale.h"
#include "session/first_picture.h"

#include <QBuffer>

namespace painter {

std::optional<FormatProblem> webFormatProblem(const QString& format) {
    if (pictureFormats().contains(format)) return std::nullopt;
    return FormatProblem{400, QStringLiteral("format is png, bmp or pdf")};
}

EncodedPicture paintForWeb(const PictureAsked& asked) {
    // The painting threads keep every core busy: no second thread per picture.
    FirstPicture picture(asked.name, {.year = asked.year, .fieldAhead = false});
    if (asked.format == QLatin1String("pdf"))
        return {cardPdfBytes(surfaceImage(picture.surface()), asked.name), QByteArrayLiteral("application/pdf")};
    const QByteArray contentType =
        asked.format == QLatin1String("png") ? QByteArrayLiteral("image/png") : QByteArrayLiteral("image/bmp");
    if (asked.scale <= 1) return {encodePicture(picture.surface(), asked.format.toLatin1()), contentType};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (writeImage(buffer, upscaleImage(surfaceImage(picture.surface()), asked.scale), asked.format.toLatin1()))
        return {};
    return {bytes, contentType};
}

}  // namespace painter
