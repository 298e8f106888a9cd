#include "web/picture_formats.h"

#include "output/picture_save.h"

namespace painter {

std::optional<FormatProblem> webFormatProblem(const QString& format) {
    if (pictureFormats().contains(format)) return std::nullopt;
    if (format == QLatin1String("pdf"))
        return FormatProblem{501, QStringLiteral("PDF cards are not available in this build")};
    return FormatProblem{400, QStringLiteral("format is png, bmp or pdf")};
}

EncodedPicture encodeForWeb(const Surface& surface, const QString& format) {
    return {encodePicture(surface, format.toLatin1()),
            format == QLatin1String("png") ? QByteArrayLiteral("image/png") : QByteArrayLiteral("image/bmp")};
}

}  // namespace painter
