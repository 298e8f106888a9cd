#pragma once
// The one save every output goes through, so that no file is ever half
// written and no other picture's file is lost. The picture is encoded into a
// temporary file in the target folder first and only then given its name, by
// one rename:
//  - Replace:  the name's earlier file (the same picture, or a batch's own
//              earlier output) is replaced;
//  - NewName:  a taken name gets "-2", "-3", ... before the extension; the
//              rename refuses to replace, so processes racing for one name
//              each end with a file of their own;
//  - NoReplace: a taken name is a failure and the file there stays.
// A name that holds something other than a file or a folder (a device such
// as /dev/null, a named pipe) is written into, as cp does, and never
// replaced by a file. Standard output and memory (an HTTP body) take the
// same writers. A failing device is reported with the system's reason
// ("No space left on device"); the writer never sees the failure, so no
// encoder prints a message of its own.

#include "output/picture_file.h"
#include "platform/problem.h"
#include "platform/surface.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

class QIODevice;

namespace painter {

enum class SaveMode { Replace, NewName, NoReplace };

struct SaveOutcome {
    QString path;     // the file written (NewName may have changed the name)
    Problem problem;  // why not, in English
    bool ok() const { return !problem; }
};

// The raster formats of the format table (formats.h), lower case, as a file
// name's extension spells them.
QStringList imageFormats();

// Every format of the table, spelt the same way.
QStringList pictureFormats();

// `image` encoded in `format` (one of imageFormats()) into a device. A name's
// picture is written through it wherever it goes (a file, a batch, standard
// output, the web service), so its PNG is the same bytes everywhere.
[[nodiscard]] Problem writeImage(QIODevice& device, const QImage& image, const QByteArray& format);

// `format` is one of imageFormats(), whatever the file name ends in.
[[nodiscard]] SaveOutcome savePicture(const Surface& surface, const QString& path, const QByteArray& format,
                                      SaveMode mode);

// The same for any image (an enlarged picture).
SaveOutcome saveImage(const QImage& image, const QString& path, const QByteArray& format, SaveMode mode);

// Any file (a PDF card) saved the same way.
SaveOutcome saveFile(const QString& path, SaveMode mode, const FileWriter& write);

// Writes through `write` into an open descriptor (standard output). The
// reason is the system's when the descriptor fails.
[[nodiscard]] Problem writeToDescriptor(int fd, const FileWriter& write);

}  // namespace painter
