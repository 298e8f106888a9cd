#include "output/formats.h"

#include "output/card_pdf.h"
#include "output/picture_save.h"
#include "output/upscale.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

namespace painter {

namespace {

QImage scaled(const PictureOutput& output) {
    return output.scale > 1 ? upscaleImage(output.picture, output.scale) : output.picture;
}

Problem writePng(QIODevice& device, const PictureOutput& output) { return writeImage(device, scaled(output), "png"); }
Problem writeBmp(QIODevice& device, const PictureOutput& output) { return writeImage(device, scaled(output), "bmp"); }
Problem writePdf(QIODevice& device, const PictureOutput& output) {
    const QImage& picture = output.picture;
    return writeCardPdf(device, {output.title, output.layout, 1, [&picture](int) { return picture; }});
}

QByteArray tail(const QString& path, qint64 bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < bytes) return {};
    file.seek(file.size() - bytes);
    return file.read(bytes);
}

// A PNG ends with its IEND chunk; the reader would show a cut file's rows
// that arrived as a whole picture.
bool completePng(const QString& path, QSize size) {
    static const QByteArray iend("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
    if (tail(path, iend.size()) != iend) return false;
    QImageReader reader(path, "png");
    return reader.size() == size && !reader.read().isNull();
}

// A BMP says its own length in its header: a cut file is shorter. The
// reader alone fills missing rows and calls the picture whole.
bool completeBmp(const QString& path, QSize size) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray header = file.read(6);
    if (header.size() != 6 || !header.startsWith("BM")) return false;
    const quint32 declared = qFromLittleEndian<quint32>(header.constData() + 2);
    const qint64 rows = qint64(size.height()) * ((qint64(size.width()) * 3 + 3) / 4 * 4);
    if (file.size() != declared || declared < rows) return false;
    file.close();
    QImageReader reader(path, "bmp");
    return reader.size() == size && !reader.read().isNull();
}

// A PDF ends as a PDF ends; what the card holds is not read back.
bool completePdf(const QString& path, QSize) { return tail(path, 16).contains("%%EOF"); }

}  // namespace

const std::vector<PictureFormat>& pictureFormatTable() {
    static const std::vector<PictureFormat> table = {
        {QStringLiteral("bmp"), QByteArrayLiteral("image/bmp"), true, writeBmp, completeBmp},
        {QStringLiteral("png"), QByteArrayLiteral("image/png"), true, writePng, completePng},
        {QStringLiteral("pdf"), QByteArrayLiteral("application/pdf"), false, writePdf, completePdf},
    };
    return table;
}

const PictureFormat* findPictureFormat(QStringView name) {
    for (const PictureFormat& f : pictureFormatTable())
        if (name.compare(f.name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

const PictureFormat* formatOfPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    return suffix.isEmpty() ? nullptr : findPictureFormat(suffix);
}

QString formatNames(bool dotted) {
    QStringList names;
    for (const PictureFormat& f : pictureFormatTable()) names << (dotted ? QLatin1Char('.') + f.name : f.name);
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

EncodedBytes encodePictureAs(const PictureFormat& format, const PictureOutput& output) {
    EncodedBytes encoded;
    encoded.contentType = format.contentType;
    QBuffer buffer(&encoded.bytes);
    buffer.open(QIODevice::WriteOnly);
    encoded.problem = format.write(buffer, output);
    if (!encoded.problem && encoded.bytes.isEmpty()) encoded.problem = QStringLiteral("the encoder wrote nothing");
    if (encoded.problem) encoded.bytes.clear();
    return encoded;
}

}  // namespace painter
