#include "platform/surface_text.h"

#include "platform/surface_image.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace painter {
QFont captionFont(double points) {
    // The program refuses to start without the font (see runPainter); anything
    // else that paints must not fall back silently to another font either.
    if (const auto& problem = captionFontProblem()) qFatal("%s", qPrintable(*problem));
    QFont font(QString::fromLatin1(kCaptionFontFamily));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0))));
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    return font;
}

void printText(Surface& surface, const QString& text) {
    const double points = std::isfinite(surface.fontSize) ? std::clamp(surface.fontSize, 1.0, 400.0) : 12.0;
    const QFont font = captionFont(points);
    const QFontMetrics metrics(font);
    if (std::isfinite(surface.currentX) && std::isfinite(surface.currentY) && std::fabs(surface.currentX) < 1e6f &&
        std::fabs(surface.currentY) < 1e6f) {
        QImage image = wrapSurfacePixels(surface);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(font);
        const Colour c = surface.foreColor;
        painter.setPen(QColor(redOf(c), greenOf(c), blueOf(c)));
        const int x = static_cast<int>(std::floor(surface.currentX + 0.5f));
        const int y = static_cast<int>(std::floor(surface.currentY + 0.5f));
        painter.drawText(x, y + metrics.ascent(), text);
    }
    surface.currentX = 0;
    surface.currentY += static_cast<float>(metrics.height());
}

}  // namespace painter
