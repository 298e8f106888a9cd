#pragma once
// The picture formats the web service answers with: what a request asks for
// becomes the picture's bytes and their content type. Every format goes
// through here.

#include "platform/problem.h"
#include "platform/surface.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace painter {

struct FormatProblem {
    int status = 400;  // no such format
    QString reason;
};

// Why `format` cannot be answered, or nothing when it can; asked before
// anything is painted.
std::optional<FormatProblem> webFormatProblem(const QString& format);

// What decides a picture's bytes.
struct PictureAsked {
    QString name;  // acceptable
    QString format = QStringLiteral("png");
    int year = 2011;
    int scale = 1;  // png and bmp: each pixel as a scale x scale block
};

struct EncodedPicture {
    QByteArray bytes;
    QByteArray contentType;
    Problem problem;  // the encoder failed: answered 500, never an empty picture
};

// Paints the picture and encodes it: the bytes that --output writes into a
// file of that extension with the same --year and --scale.
EncodedPicture paintForWeb(const PictureAsked& asked);

}  // namespace painter
