#include "output/picture_save.h"

#include "output/formats.h"
#include "output/picture_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace painter {

namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Writes into a file descriptor, whole or not at all, gathered into large
// writes, and keeps the first failure. After one it takes every further write
// without passing it on: a writer that saw the failure would give up with a
// vaguer reason, or print one of its own (the PNG library does, on standard
// error), and some writers (the PDF writer) never look at what a write returns.
class DescriptorDevice : public QIODevice {
public:
    explicit DescriptorDevice(int fd) : fd_(fd) {
        pending_.reserve(kGathered);
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    int error() const { return error_; }
    // Writes what is gathered; the first failure's errno, 0 when none.
    int finish() {
        send(pending_.constData(), pending_.size());
        pending_.clear();
        return error_;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (pending_.size() + size > kGathered) {
            send(pending_.constData(), pending_.size());
            pending_.clear();
        }
        if (size >= kGathered)
            send(data, size);
        else
            pending_.append(data, size);
        return size;
    }

private:
    static constexpr qsizetype kGathered = 1 << 16;

    void send(const char* data, qint64 size) {
        for (qint64 done = 0; done < size && error_ == 0;) {
            const ssize_t n = ::write(fd_, data + done, static_cast<std::size_t>(size - done));
            if (n > 0)
                done += n;
            else if (n == 0)
                error_ = ENOSPC;
            else if (errno != EINTR)  // a stop signal: the picture in hand is written whole
                error_ = errno;
        }
    }

    int fd_;
    int error_ = 0;
    QByteArray pending_;
};

// Runs the writer into the descriptor: the device's reason before the writer's.
Problem writeThrough(int fd, const FileWriter& write) {
    DescriptorDevice device(fd);
    // What a writer that gave up gathered is not sent: nothing partial reaches a device.
    if (const Problem refused = write(device)) return device.error() ? systemReason(device.error()) : refused;
    if (const int error = device.finish()) return systemReason(error);
    return std::nullopt;
}

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

mode_t newFileMode() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return 0666 & ~mask;
}

// Into something that is not a file (a device, a named pipe): opened as it
// is, never created, truncated or renamed over.
SaveOutcome saveIntoExisting(const QString& path, const FileWriter& write) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return {path, systemReason(errno)};
    Problem problem = writeThrough(fd, write);
    if (::close(fd) != 0 && !problem) problem = systemReason(errno);
    return {path, std::move(problem)};
}

}  // namespace

QStringList imageFormats() {
    QStringList names;
    for (const PictureFormat& f : pictureFormatTable())
        if (f.raster) names << f.name;
    return names;
}

QStringList pictureFormats() {
    QStringList names;
    for (const PictureFormat& f : pictureFormatTable()) names << f.name;
    return names;
}

// PNG is lossless at every level. Qt's quality 80 is zlib's fastest level
// (1): see the README for what it costs and saves.
constexpr int kPngQuality = 80;

Problem writeImage(QIODevice& device, const QImage& image, const QByteArray& format) {
    QImageWriter writer(&device, format);
    if (format == "png") writer.setQuality(kPngQuality);
    if (writer.write(image)) return std::nullopt;
    return writer.errorString();
}

SaveOutcome savePicture(const Surface& surface, const QString& path, const QByteArray& format, SaveMode mode) {
    return saveImage(surfaceImage(surface), path, format, mode);
}

SaveOutcome saveImage(const QImage& image, const QString& path, const QByteArray& format, SaveMode mode) {
    return saveFile(path, mode, [&](QIODevice& device) { return writeImage(device, image, format); });
}

Problem writeToDescriptor(int fd, const FileWriter& write) { return writeThrough(fd, write); }

SaveOutcome saveFile(const QString& given, SaveMode mode, const FileWriter& write) {
    // A link is followed, as a save through it always did: its target is what gets replaced.
    QString path = given;
    if (const QFileInfo link(given); link.isSymLink() && link.exists()) path = link.canonicalFilePath();
    struct stat there {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &there) == 0;
    if (exists && S_ISDIR(there.st_mode)) return {given, QStringLiteral("is a folder")};
    if (exists && !S_ISREG(there.st_mode)) {
        if (mode == SaveMode::NoReplace) return {given, QStringLiteral("the file exists already")};
        if (mode == SaveMode::Replace) return saveIntoExisting(given, write);
    }

    QByteArray temporary = QFile::encodeName(QFileInfo(path).dir().filePath(QStringLiteral(".painter-XXXXXX")));
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return {given, systemReason(errno)};
    auto fail = [&](Problem problem) {
        ::close(fd);
        ::unlink(temporary.constData());
        return SaveOutcome{given, std::move(problem)};
    };
    if (Problem problem = writeThrough(fd, write)) return fail(std::move(problem));
    // A temporary file is private (0600); a replaced file keeps its mode, a new one gets what new files get.
    const mode_t wanted = exists && mode == SaveMode::Replace ? there.st_mode & 07777 : newFileMode();
    if (::fchmod(fd, wanted) != 0 || ::fsync(fd) != 0) return fail(systemReason(errno));
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return {given, systemReason(error)};
    }
    if (mode == SaveMode::Replace) {
        if (::rename(temporary.constData(), QFile::encodeName(path).constData()) == 0) return {given, {}};
        const int error = errno;
        ::unlink(temporary.constData());
        return {given, systemReason(error)};
    }
    for (int n = 1;; ++n) {
        const QString candidate = n == 1 ? path : numbered(path, n);
        const int failure = renameNoReplace(temporary, QFile::encodeName(candidate));
        if (failure == 0) return {candidate, {}};
        if (failure != EEXIST || mode == SaveMode::NoReplace) {
            ::unlink(temporary.constData());
            if (failure == EEXIST) return {given, QStringLiteral("the file exists already")};
            return {candidate, systemReason(failure)};
        }
    }
}

}  // namespace painter
