#include "output/card_layout.h"

#include <algorithm>

namespace painter {

std::optional<Paper> paperFromName(const QString& name) {
    const QString n = name.toLower();
    if (n == QLatin1String("a6")) return Paper::A6;
    if (n == QLatin1String("a5")) return Paper::A5;
    if (n == QLatin1String("a4")) return Paper::A4;
    if (n == QLatin1String("letter")) return Paper::Letter;
    return std::nullopt;
}

QString paperName(Paper paper) {
    switch (paper) {
    case Paper::A6: return QStringLiteral("a6");
    case Paper::A5: return QStringLiteral("a5");
    case Paper::A4: return QStringLiteral("a4");
    case Paper::Letter: return QStringLiteral("letter");
    }
    return {};
}

QSizeF paperPortraitMm(Paper paper) {
    switch (paper) {
    case Paper::A6: return {105, 148};
    case Paper::A5: return {148, 210};
    case Paper::A4: return {210, 297};
    case Paper::Letter: return {215.9, 279.4};
    }
    return {};
}

QRectF fitPicture(const QRectF& cell, QSizeF pictureSize, double marginMm) {
    const QRectF room = cell.adjusted(marginMm, marginMm, -marginMm, -marginMm);
    if (room.isEmpty() || pictureSize.isEmpty()) return {};
    const double scale = std::min(room.width() / pictureSize.width(), room.height() / pictureSize.height());
    QRectF picture(QPointF(), pictureSize * scale);
    picture.moveCenter(room.center());
    return picture;
}

PageGeometry pageGeometry(const CardLayout& layout, QSizeF pictureSize, QSizeF pageMm) {
    const QSizeF portrait = paperPortraitMm(layout.paper);
    const int cards = layout.cardsPerPage == 2 || layout.cardsPerPage == 4 ? layout.cardsPerPage : 1;
    PageGeometry g;
    // The picture is wider than tall, so each card's cell should be too: two
    // cards halve a portrait page across, four quarter a landscape one.
    g.pageMm = cards == 2 ? portrait : portrait.transposed();
    if (!pageMm.isEmpty()) g.pageMm = pageMm;
    const int columns = cards == 4 ? 2 : 1;
    const int rows = cards == 1 ? 1 : 2;
    const double w = g.pageMm.width() / columns, h = g.pageMm.height() / rows;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const QRectF cell(c * w, r * h, w, h);
            g.cells << cell;
            g.pictures << fitPicture(cell, pictureSize);
        }
    if (cards == 1) return g;

    // Each cut line gets a mark reaching in from both page edges; where two
    // cut lines cross, a small cross. All stay inside the margins.
    const double W = g.pageMm.width(), H = g.pageMm.height(), m = kCutMarkMm;
    for (int r = 1; r < rows; ++r) {
        const double y = r * h;
        g.cutMarks << QLineF(0, y, m, y) << QLineF(W - m, y, W, y);
    }
    for (int c = 1; c < columns; ++c) {
        const double x = c * w;
        g.cutMarks << QLineF(x, 0, x, m) << QLineF(x, H - m, x, H);
    }
    for (int r = 1; r < rows; ++r)
        for (int c = 1; c < columns; ++c) {
            const QPointF p(c * w, r * h);
            g.cutMarks << QLineF(p.x() - m, p.y(), p.x() + m, p.y()) << QLineF(p.x(), p.y() - m, p.x(), p.y() + m);
        }
    return g;
}

int pageCount(const CardLayout& layout, int cards) {
    const int perPage = std::max(1, layout.cardsPerPage);
    return cards <= 0 ? 0 : (cards + perPage - 1) / perPage;
}

}  // namespace painter
