#pragma once
// The formats a picture can be written in, in one table: the word that names
// a format (--format, the web's format=, a file's extension), the content type
// it is served with, how a picture is written in it to a device, and how a
// file of it already there is known to be complete. Adding a format is adding
// one row to the table in formats.cpp.

#include "output/card_layout.h"
#include "platform/problem.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

class QIODevice;

namespace painter {

// One picture as an output wants it.
struct PictureOutput {
    QImage picture;     // the picture's own 700 x 525 pixels
    QString title;      // a document's title (a card's PDF metadata)
    CardLayout layout;  // a card's page
    int scale = 1;      // a raster format: each pixel as a scale x scale block
};

struct PictureFormat {
    QString name;            // lower case, as --format and a file's extension spell it
    QByteArray contentType;  // what the web service answers it with
    bool raster = true;      // pixels (enlarged by --scale); false: a printable card
    // Writes the picture into a device; a Problem gives up.
    Problem (*write)(QIODevice& device, const PictureOutput& output) = nullptr;
    // Whether the file at `path` is a whole file of this format holding a
    // picture of `size` (--skip-existing keeps only such a file).
    bool (*complete)(const QString& path, QSize size) = nullptr;
};

// Every format, in the order messages list them.
const std::vector<PictureFormat>& pictureFormatTable();

// The format `name` names (any case), or null.
const PictureFormat* findPictureFormat(QStringView name);

// The format a file name's extension names, or null.
const PictureFormat* formatOfPath(const QString& path);

// "bmp, png or pdf"; with `dotted`, ".bmp, .png or .pdf".
QString formatNames(bool dotted = false);

// The picture encoded in memory: for standard output, an HTTP body, a test.
struct EncodedBytes {
    QByteArray bytes;
    QByteArray contentType;
    Problem problem;  // an encoding failure: never an empty body that looks like a picture
};
EncodedBytes encodePictureAs(const PictureFormat& format, const PictureOutput& output);

}  // namespace painter
