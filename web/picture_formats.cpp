#include "web/picture_formats.h"

#include "output/card_pdf.h"
#include "output/picture_file.h"
#include "output/picture_save.h"

namespace painter {

std::optional<FormatProblem> webFormatProblem(const QString& format) {
    if (pictureFormats().contains(format)) return std::nullopt;
    return FormatProblem{400, QStringLiteral("format is png, bmp or pdf")};
}

EncodedPicture encodeForWeb(const Surface& surface, const QString& format, const QString& name) {
    if (format == QLatin1String("pdf"))
        return {cardPdfBytes(surfaceImage(surface), name), QByteArrayLiteral("application/pdf")};
    return {encodePicture(surface, format.toLatin1()),
            format == QLatin1String("png") ? QByteArrayLiteral("image/png") : QByteArrayLiteral("image/bmp")};
}

}  // namespace painter
