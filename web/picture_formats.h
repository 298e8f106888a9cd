#pragma once
// The picture formats the web service answers with: a format's name becomes
// the picture's bytes and their content type. Every format goes through here.

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

struct EncodedPicture {
    QByteArray bytes;
    QByteArray contentType;
    Problem problem;  // the encoder failed: answered 500, never an empty picture
};

// The picture of `name` in `format` (one that webFormatProblem accepts): the
// bytes that --output writes into a file of that extension (a PDF card's
// creation date is the moment it is made).
EncodedPicture encodeForWeb(const Surface& surface, const QString& format, const QString& name);

}  // namespace painter
