#pragma once
// Which picture format a file given on the command line is written in, or why
// it cannot be: the one place that knows the formats the program writes.

#include "output/picture_save.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace painter {

// The formats a picture file can have, lower case, as --format and the file
// name's extension spell them: the image formats and PDF cards.
QStringList pictureFormats();

struct OutputFormat {
    QByteArray format;  // "bmp", "png", ...; empty when refused
    QString error;      // the reason, to follow "cannot write FILE: "
    bool ok() const { return error.isEmpty(); }
};

// The format of `path`: "-" (standard output) takes `chosen` or PNG; a file
// takes its extension, which `chosen` (from --format, may be empty) must
// agree with; without an extension `chosen` decides. An existing folder, an
// unknown extension and a missing one are refused with their reason.
OutputFormat outputFormat(const QString& path, const QString& chosen);

// --format's value checked on its own: empty when it names a known format.
QString formatProblem(const QString& chosen);

}  // namespace painter
