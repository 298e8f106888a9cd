#include "output/clip_file.h"

#include "output/picture_file.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace painter {

namespace {

Problem writeIntoExisting(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return QString::fromLocal8Bit(std::strerror(errno));
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int failure = n < 0 ? errno : ENOSPC;
            ::close(fd);
            return QString::fromLocal8Bit(std::strerror(failure));
        }
        done += n;
    }
    if (::close(fd) != 0 && errno != EINTR) return QString::fromLocal8Bit(std::strerror(errno));
    return std::nullopt;
}

quint32 littleEndian32(const char* p) {
    return static_cast<quint32>(static_cast<unsigned char>(p[0])) |
           static_cast<quint32>(static_cast<unsigned char>(p[1])) << 8 |
           static_cast<quint32>(static_cast<unsigned char>(p[2])) << 16 |
           static_cast<quint32>(static_cast<unsigned char>(p[3])) << 24;
}

quint32 bigEndian32(const char* p) {
    return static_cast<quint32>(static_cast<unsigned char>(p[3])) |
           static_cast<quint32>(static_cast<unsigned char>(p[2])) << 8 |
           static_cast<quint32>(static_cast<unsigned char>(p[1])) << 16 |
           static_cast<quint32>(static_cast<unsigned char>(p[0])) << 24;
}

}  // namespace

Problem writeClipFile(const QString& path, const QByteArray& bytes) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return writeIntoExisting(path, bytes);
    return writeFileAtomically(path, [&bytes](QIODevice& device) -> Problem {
        // A short write shows no reason of its own.
        if (device.write(bytes) != bytes.size()) return QStringLiteral("the file could not be written whole (is the disk full?)");
        return std::nullopt;
    });
}

bool completeClipFile(const QString& path, ClipFormat format) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const qint64 size = file.size();
    if (format == ClipFormat::webp) {
        const QByteArray head = file.read(12);
        return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP" &&
               static_cast<qint64>(littleEndian32(head.constData() + 4)) + 8 == size;
    }
    // MP4: box after box, each with its 32-bit size (1: a 64-bit one follows).
    bool movie = false, first = true;
    for (qint64 at = 0; at < size;) {
        file.seek(at);
        const QByteArray box = file.read(16);
        if (box.size() < 8) return false;
        qint64 length = bigEndian32(box.constData());
        const QByteArray type = box.mid(4, 4);
        if (length == 1) {
            if (box.size() < 16) return false;
            length = static_cast<qint64>(bigEndian32(box.constData() + 8)) << 32 | bigEndian32(box.constData() + 12);
        }
        if (length < 8 || (first && type != "ftyp")) return false;
        movie = movie || type == "moov";
        first = false;
        at += length;
        if (at > size) return false;
    }
    return movie;
}

}  // namespace painter
