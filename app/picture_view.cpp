#include "app/picture_view.h"

#include "platform/surface.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

namespace painter {

PictureView::PictureView(const Surface& surface, QWidget* parent) : QWidget(parent), surface_(surface) {
    // Every pixel is painted from the surface, so Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(surface.width(), surface.height());
}

void PictureView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect r = event->rect();
    painter.drawImage(r.topLeft(), wrapSurfacePixels(surface_), r);
}

}  // namespace painter
