#include "output/picture_save.h"

#include "output/picture_file.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const QString file = stem + QLatin1Char('-') + QString::number(n) +
                         (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
    return info.dir().filePath(file);
}

Problem writeImage(QIODevice& device, const Surface& surface, const QByteArray& format) {
    QImageWriter writer(&device, format);
    if (writer.write(surfaceImage(surface))) return {};
    return writer.errorString();
}

}  // namespace

QStringList pictureFormats() { return {QStringLiteral("bmp"), QStringLiteral("png")}; }

QByteArray encodePicture(const Surface& surface, const QByteArray& format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return writeImage(buffer, surface, format) ? QByteArray() : bytes;
}

SaveOutcome savePicture(const Surface& surface, const QString& path, const QByteArray& format, SaveMode mode) {
    if (mode == SaveMode::Replace) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return {path, file.errorString()};
        if (Problem problem = writeImage(file, surface, format)) {
            if (file.error() != QFileDevice::NoError) problem = file.errorString();
            file.cancelWriting();
            return {path, problem};
        }
        if (!file.commit()) return {path, file.errorString()};
        return {path, {}};
    }

    QTemporaryFile temporary(QFileInfo(path).dir().filePath(QStringLiteral(".painter-XXXXXX")));
    if (!temporary.open()) return {path, temporary.errorString()};
    if (Problem problem = writeImage(temporary, surface, format)) {
        if (temporary.error() != QFileDevice::NoError) problem = temporary.errorString();
        return {path, problem};
    }
    // A temporary file is private (0600); the picture gets what a new file gets.
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    if (!temporary.flush() || ::fchmod(temporary.handle(), 0666 & ~mask) != 0 || ::fsync(temporary.handle()) != 0)
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
