#include "params/name_text.h"

#include <QChar>
#include <QList>
#include <QStringDecoder>

namespace painter {

std::optional<QString> strictUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

bool shownByCode(char32_t c) {
    if (c == U' ') return false;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFD) return true;
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing: return true;
    default: return false;
    }
}

QString visibleCharacter(char32_t c) {
    if (shownByCode(c)) return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    return QString::fromUcs4(&c, 1);
}

QString visibleText(const QString& text) {
    QString shown;
    for (const char32_t c : text.toUcs4())
        shown += shownByCode(c) ? QLatin1Char('<') + visibleCharacter(c) + QLatin1Char('>') : visibleCharacter(c);
    return shown;
}

}  // namespace painter
