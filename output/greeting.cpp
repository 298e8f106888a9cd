#include "output/greeting.h"

#include "platform/surface_text.h"

namespace painter {

QString greetingText(int year) {
    return QStringLiteral(", zelim ti veliko srece v letu ") + QString::number(year) + QString(6, QLatin1Char(' ')) +
           QStringLiteral("www.painter.example");
}

void PrintGreeting(const PictureState& s, Surface& picture, Surface& form) {
    const QString line = s.t + greetingText(s.leto);
    picture.fontSize = 12;
    picture.foreColor = qbColor(0);
    picture.currentX = 10;
    picture.currentY = 490;
    printText(picture, line);
    picture.foreColor = qbColor(15);
    picture.currentX = 11;
    picture.currentY = 491;
    printText(picture, line);
    form.currentX = 1;
    form.currentY = 1;
    printText(form, QStringLiteral("*"));
}

}  // namespace painter
