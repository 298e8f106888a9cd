#include "app/output_format.h"

#include "output/formats.h"

#include <QFileInfo>

namespace painter {

Problem formatProblem(const QString& chosen) {
    if (chosen.isEmpty() || findPictureFormat(chosen) || clipFormatNamed(chosen)) return std::nullopt;
    return QStringLiteral("--format is %1, %2, not '%3'").arg(formatNames(), clipFormats().join(QStringLiteral(", ")), chosen);
}

ClipOutput clipOutput(const QString& path, const QString& chosen) {
    const auto wanted = clipFormatNamed(chosen);
    if (!chosen.isEmpty() && !wanted)
        return {ClipFormat::mp4, QStringLiteral("--format %1 is not a clip: use mp4 or webp").arg(chosen)};
    if (path == QLatin1String("-")) return {wanted.value_or(ClipFormat::mp4), {}};
    const QFileInfo info(path);
    if (info.isDir()) return {{}, QStringLiteral("is a folder; give a file name, e.g. %1/clip.mp4").arg(path)};
    const QString suffix = info.suffix();
    if (suffix.isEmpty()) {
        if (wanted) return {*wanted, {}};
        return {{}, QStringLiteral("no extension: use .mp4 or .webp (or --format)")};
    }
    const auto named = clipFormatNamed(suffix);
    if (!named) return {{}, QStringLiteral("unknown clip format '.%1': use .mp4 or .webp").arg(suffix)};
    if (wanted && *wanted != *named)
        return {{}, QStringLiteral("the extension .%1 does not match --format %2").arg(suffix, chosen)};
    return {*named, {}};
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
