#include "app/picture_view.h"

#include "platform/surface.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

namespace painter {

QImage wrapSurfacePixels(const Surface& surface)
{
    // Each pixel word is 0xFF000000 | colour, colour = red + 256 green + 65536 blue,
    // so its bytes in memory (little-endian) are R, G, B, X: exactly RGBX8888.
    return QImage(reinterpret_cast<const uchar*>(surface.pixels()), surface.width(), surface.height(),
                  static_cast<qsizetype>(surface.width()) * 4, QImage::Format_RGBX8888);
}

PictureView::PictureView(const Surface& surface, QWidget* parent)
    : QWidget(parent), surface_(surface)
{
    // Every pixel is painted from the surface, so Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(surface.width(), surface.height());
}

void PictureView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect r = event->rect();
    painter.drawImage(r.topLeft(), wrapSurfacePixels(surface_), r);
}

}  // namespace painter
