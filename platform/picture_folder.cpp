#include "platform/picture_folder.h"

#include <QDir>

namespace painter {

QString defaultPictureFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\wimgx");
#else
    return QDir::homePath() + QStringLiteral("/wimgx");
#endif
}

bool createPictureFolder(const QString& folder) {
    if (folder.isEmpty()) return false;
    return QDir().mkpath(folder);
}

}  // namespace painter
