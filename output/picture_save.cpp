#include "output/picture_save.h"

#include "output/picture_file.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace painter {

namespace {

// Gives the temporary file its name only if the name is free, atomically.
// renameat2 does it in one step; file systems without it (EINVAL) still take
// a hard link, which fails just as atomically on a taken name.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
    if (::link(from.constData(), to.constData()) != 0) return errno;
    ::unlink(from.constData());
    return 0;
}

QString numbered(const QString& path, int n) {
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    const QString file =
        stem + QLatin1Char('-') + QString::number(n) + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
    return info.dir().filePath(file);
}

}  // namespace

QStringList imageFormats() { return {QStringLiteral("bmp"), QStringLiteral("png")}; }

QStringList pictureFormats() { return imageFormats() << QStringLiteral("pdf"); }

// PNG is lossless at every level. Qt's quality 80 is zlib's fastest level
// (1): half the instructions of its default (6), for files about a tenth
// larger; encoding at the default took as long as painting a picture.
constexpr int kPngQuality = 80;

Problem writeImage(QIODevice& device, const QImage& image, const QByteArray& format) {
    QImageWriter writer(&device, format);
    if (format == "png") writer.setQuality(kPngQuality);
    if (writer.write(image)) return std::nullopt;
    return writer.errorString();
}

QByteArray encodePicture(const Surface& surface, const QByteArray& format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (const Problem problem = writeImage(buffer, surfaceImage(surface), format)) return {};
    return bytes;
}

SaveOutcome savePicture(const Surface& surface, const QString& path, const QByteArray& format, SaveMode mode) {
    return saveImage(surfaceImage(surface), path, format, mode);
}

SaveOutcome saveImage(const QImage& image, const QString& path, const QByteArray& format, SaveMode mode) {
    return saveFile(path, mode, [&](QIODevice& device) { return writeImage(device, image, format); });
}

SaveOutcome saveFile(const QString& path, SaveMode mode, const FileWriter& write) {
    if (mode == SaveMode::Replace) return {path, writeFileAtomically(path, write)};

    // Encoded in memory first: a short write to the temporary file (a full
    // disk) is then plain to see, whatever the encoder does with its device.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (Problem refused = write(buffer)) return {path, std::move(refused)};
    QTemporaryFile temporary(QFileInfo(path).dir().filePath(QStringLiteral(".painter-XXXXXX")));
    if (!temporary.open()) return {path, temporary.errorString()};
    if (temporary.write(bytes) != bytes.size() || !temporary.flush())
        return {path, temporary.error() != QFileDevice::NoError
                          ? temporary.errorString()
                          : QStringLiteral("the file could not be written whole (is the disk full?)")};
    // A temporary file is private (0600); the picture gets what a new file gets.
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    if (::fchmod(temporary.handle(), 0666 & ~mask) != 0 || ::fsync(temporary.handle()) != 0)
        return {path, temporary.errorString()};
    const QByteArray from = QFile::encodeName(temporary.fileName());
    for (int n = 1;; ++n) {
        const QString candidate = n == 1 ? path : numbered(path, n);
        const int failure = renameNoReplace(from, QFile::encodeName(candidate));
        if (failure == 0) {
            temporary.setAutoRemove(false);  // it has become the picture
            return {candidate, {}};
        }
        if (failure != EEXIST) return {candidate, QString::fromLocal8Bit(std::strerror(failure))};
        if (mode == SaveMode::NoReplace) return {path, QStringLiteral("the file exists already")};
    }
}

}  // namespace painter
