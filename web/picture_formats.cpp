#include "web/picture_formats.h"

#include "output/formats.h"
#include "output/picture_file.h"

namespace painter {

std::optional<FormatProblem> webFormatProblem(const QString& format) {
    if (findPictureFormat(format)) return std::nullopt;
    return FormatProblem{400, QStringLiteral("format is png, bmp or pdf")};
}

EncodedPicture encodeForWeb(const Surface& surface, const QString& format, const QString& name) {
    const PictureFormat* chosen = findPictureFormat(format);
    if (!chosen) return {{}, {}, QStringLiteral("no format %1").arg(format)};
    EncodedBytes encoded = encodePictureAs(*chosen, {surfaceImage(surface), name, CardLayout{}, 1});
    return {std::move(encoded.bytes), std::move(encoded.contentType), std::move(encoded.problem)};
}

}  // namespace painter
