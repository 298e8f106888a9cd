#include "web/picture_formats.h"

#include "output/formats.h"
#include "output/picture_file.h"
#include "session/first_picture.h"

namespace painter {

std::optional<FormatProblem> webFormatProblem(const QString& format) {
    if (findPictureFormat(format)) return std::nullopt;
    return FormatProblem{400, QStringLiteral("format is %1").arg(formatNames())};
}

EncodedPicture paintForWeb(const PictureAsked& asked) {
    const PictureFormat* format = findPictureFormat(asked.format);
    if (!format) return {{}, {}, QStringLiteral("no format %1").arg(asked.format)};
    // The painting threads keep every core busy: no second thread per picture.
    FirstPicture picture(asked.name, {.year = asked.year, .fieldAhead = false});
    EncodedBytes encoded =
        encodePictureAs(*format, {surfaceImage(picture.surface()), asked.name, CardLayout{}, asked.scale});
    return {std::move(encoded.bytes), std::move(encoded.contentType), std::move(encoded.problem)};
}

}  // namespace painter
