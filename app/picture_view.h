#pragma once
// A picture surface on screen. The engine paints into its own Surface; this
// widget only shows those pixels, wrapped in a QImage without copying, so what
// the user sees is always exactly what Point() reads and what a save writes.

#include "platform/surface_image.h"

#include <QWidget>

namespace painter {

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(const Surface& surface, QWidget* parent = nullptr);

    const Surface& surface() const { return surface_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Surface& surface_;
};

}  // namespace painter
