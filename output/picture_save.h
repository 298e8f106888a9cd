#pragma once
// Saving a picture so that no file is ever half written and no other
// picture's file is lost. The picture is encoded into a temporary file in the
// target folder first and only then given its name, by one rename:
//  - Replace:  the name's earlier file (the same picture, or a batch's own
//              earlier output) is replaced;
//  - NewName:  a taken name gets "-2", "-3", ... before the extension; the
//              rename refuses to replace, so processes racing for one name
//              each end with a file of their own;
//  - NoReplace: a taken name is a failure and the file there stays.

#include "platform/problem.h"
#include "platform/surface.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

namespace painter {

enum class SaveMode { Replace, NewName, NoReplace };

struct SaveOutcome {
    QString path;     // the file written (NewName may have changed the name)
    Problem problem;  // why not, in English
    bool ok() const { return !problem; }
};

// The image formats a picture can be written in, lower case, as a file
// name's extension spells them.
QStringList imageFormats();

// An image encoded in `format` (bmp, png) into a device; false and the
// writer's reason in *error when it fails. A name's picture is written
// through it wherever it goes (a file, a batch, standard output, the web
// service), so its PNG is the same bytes everywhere.
bool writeImage(QIODevice& device, const QImage& image, const QByteArray& format, QString* error);

// `format` is one of imageFormats(), whatever the file name ends in.
[[nodiscard]] SaveOutcome savePicture(const Surface& surface, const QString& path, const QByteArray& format,
                                      SaveMode mode);

// The same for any image (an enlarged picture).
SaveOutcome saveImage(const QImage& image, const QString& path, const QByteArray& format, SaveMode mode);

// Writes the file's contents into a device; false (with a reason in *error
// when it has one) gives up.
using FileWriter = std::function<bool(QIODevice& device, QString* error)>;

// Any file (a PDF card) saved the same way.
SaveOutcome saveFile(const QString& path, SaveMode mode, const FileWriter& write);

// The picture encoded in `format`, for writing where there is no file (standard output).
QByteArray encodePicture(const Surface& surface, const QByteArray& format);

}  // namespace painter
