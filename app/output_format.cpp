#include "app/output_format.h"

#include "output/formats.h"

#include <QFileInfo>

namespace painter {

Problem formatProblem(const QString& chosen) {
    if (chosen.isEmpty() || findPictureFormat(chosen)) return std::nullopt;
    return QStringLiteral("--format is %1, not '%2'").arg(formatNames(), chosen);
}

OutputFormat outputFormat(const QString& path, const QString& chosen) {
    const QString wanted = chosen.toLower();
    if (Problem problem = formatProblem(chosen)) return {{}, std::move(problem)};
    if (path == QLatin1String("-")) return {wanted.isEmpty() ? QByteArrayLiteral("png") : wanted.toLatin1(), {}};
    const QFileInfo info(path);
    if (info.isDir()) return {{}, QStringLiteral("is a folder; give a file name, e.g. %1/card.png").arg(path)};
    const QString suffix = info.suffix().toLower();
    if (suffix.isEmpty()) {
        if (!wanted.isEmpty()) return {wanted.toLatin1(), {}};
        return {{}, QStringLiteral("no extension: use %1 (or --format)").arg(formatNames(true))};
    }
    if (!findPictureFormat(suffix))
        return {{}, QStringLiteral("unknown picture format '.%1': use %2").arg(info.suffix(), formatNames(true))};
    if (!wanted.isEmpty() && wanted != suffix)
        return {{}, QStringLiteral("the extension .%1 does not match --format %2").arg(info.suffix(), chosen)};
    return {suffix.toLatin1(), {}};
}

}  // namespace painter
