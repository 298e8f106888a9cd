#include "output/output_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace painter {

namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace

Problem makeOutputFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
    if (!error) return std::nullopt;
    return QStringLiteral("cannot make the folder %1: %2").arg(folder, systemReason(error.value()));
}

Problem outputFolderProblem(const QString& folder) {
    struct stat there {};
    if (::stat(QFile::encodeName(folder).constData(), &there) != 0) {
        if (errno == ENOENT) return QStringLiteral("output folder %1 does not exist").arg(folder);
        return QStringLiteral("output folder %1: %2").arg(folder, systemReason(errno));
    }
    if (!S_ISDIR(there.st_mode)) return QStringLiteral("output folder %1 is not a folder").arg(folder);
    QByteArray probe = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".painter-probe-XXXXXX")));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return QStringLiteral("output folder %1 is not writable: %2").arg(folder, systemReason(errno));
    ::close(fd);
    ::unlink(probe.constData());
    return std::nullopt;
}

Problem outputFileProblem(const QString& path) {
    struct stat there {};
    if (::stat(QFile::encodeName(path).constData(), &there) == 0) {
        if (S_ISDIR(there.st_mode)) return QStringLiteral("%1 is a folder").arg(path);
        if (!S_ISREG(there.st_mode)) {
            // Written into as it is: it must take writes, not be renamed over.
            if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
                return QStringLiteral("cannot write %1: %2").arg(path, systemReason(errno));
            return std::nullopt;
        }
    }
    return outputFolderProblem(QFileInfo(path).absolutePath());
}

}  // namespace painter
