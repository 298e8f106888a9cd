#include "app/whole_number_option.h"

namespace painter {

WholeNumber wholeNumberOption(const QString& option, const QString& text, int least, int most, const QString& what) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok && value >= least && value <= most) return {value, std::nullopt};
    return {0,
            QStringLiteral("--%1 takes %2 from %3 to %4, not '%5'").arg(option, what).arg(least).arg(most).arg(text)};
}

}  // namespace painter
