#include "platform/caption_font.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

namespace painter {

std::optional<QString> addCaptionFont(const QString& file) {
    if (!QFile::exists(file)) return QStringLiteral("the caption font %1 is missing").arg(file);
    const int id = QFontDatabase::addApplicationFont(file);
    if (id < 0) return QStringLiteral("the caption font %1 cannot be loaded").arg(file);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (!families.contains(QLatin1String(kCaptionFontFamily))) {
        QFontDatabase::removeApplicationFont(id);
        return QStringLiteral("the caption font %1 holds %2, not %3")
            .arg(file, families.join(QStringLiteral(", ")), QLatin1String(kCaptionFontFamily));
    }
    return std::nullopt;
}

const std::optional<QString>& captionFontProblem() {
    static const std::optional<QString> problem = addCaptionFont(QLatin1String(kCaptionFontResource));
    return problem;
}

}  // namespace painter
