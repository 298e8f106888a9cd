#pragma once
// A small file system of the test's own, for failures a folder cannot give:
// a full disk (a tmpfs of a few hundred kilobytes) and a read-only one. Only
// root may mount; elsewhere the tests that need one are skipped.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace painter::testing {

class ScratchMount {
public:
    // `options` as mount -o takes them for tmpfs ("size=2m"); `readOnly` mounts it so.
    explicit ScratchMount(const char* options, bool readOnly = false) {
        if (!dir_.isValid()) return;
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", readOnly ? MS_RDONLY : 0,
                           options) == 0;
    }
    ~ScratchMount() {
        if (mounted_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool mounted() const { return mounted_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

// A character device node like /dev/null (1, 3) or /dev/full (1, 7) at
// `path`; false where nodes cannot be made (not root).
inline bool makeDeviceNode(const QString& path, unsigned minor) {
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, minor)) == 0;
}

inline bool isCharacterDevice(const QString& path) {
    struct stat there {};
    return ::lstat(QFile::encodeName(path).constData(), &there) == 0 && S_ISCHR(there.st_mode);
}

inline bool isFifo(const QString& path) {
    struct stat there {};
    return ::lstat(QFile::encodeName(path).constData(), &there) == 0 && S_ISFIFO(there.st_mode);
}

}  // namespace painter::testing
