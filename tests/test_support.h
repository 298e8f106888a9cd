#pragma once
// Small helpers shared by the engine tests.

#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/window_services.h"
#include "session/first_picture.h"
#include "session/picture_cycle.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace painter::testing {

// A session with a fixed clock, scripted names and a temporary folder.
struct QuietSession {
    explicit QuietSession(QStringList names = {}, QString folder = {})
        : clock("11-16-2010", "14:05:09", 50709.f),
          session(rng, clock, services, folder.isEmpty() ? dir.path() + "/wimgx" : folder) {
        services.names = std::move(names);
    }
    QTemporaryDir dir;
    RandomGenerator rng;
    FixedClock clock;
    QuietServices services;
    PainterSession session;
};

// Services whose event pump runs a callback once per scan row.
struct PumpServices : QuietServices {
    std::function<void(int)> onRow;
    int rows = 0;
    void processPendingEvents() override {
        if (onRow) onRow(rows);
        ++rows;
    }
};

inline QByteArray sha256(const Surface& s) {
    return QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char*>(s.pixels()),
                                                   static_cast<qsizetype>(s.width()) * s.height() * 4),
                                    QCryptographicHash::Sha256)
        .toHex();
}

// Root writes into folders without write permission, so for root a folder is
// made read-only by the file system's immutable flag (as chattr +i does).
inline bool setImmutable(const QString& folder, bool on) {
    const int fd = open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return done;
}

}  // namespace painter::testing
