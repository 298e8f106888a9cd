#include "platform/clock.h"

#include <QDateTime>

namespace painter {

float SystemClock::secondsSinceMidnight() {
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
}

std::string SystemClock::date() { return QDate::currentDate().toString(QStringLiteral("MM-dd-yyyy")).toStdString(); }

std::string SystemClock::time() { return QTime::currentTime().toString(QStringLiteral("HH:mm:ss")).toStdString(); }

}  // namespace painter
