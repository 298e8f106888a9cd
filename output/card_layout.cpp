#include "output/card_layout.h"

#include <algorithm>
#include <cmath>

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

    // Each cut gets a mark at both ends, where a printer still prints; where
    // two cuts cross, a cross of four arms. A mark lies on the edge between
    // two cells, so it never touches a picture.
    const double W = g.pageMm.width(), H = g.pageMm.height();
    const double in = kCutMarkInsetMm, out = kCutMarkInsetMm + kCutMarkMm, m = kCutMarkMm;
    const auto cell = [columns](int r, int c) { return r * columns + c; };
    for (int r = 1; r < rows; ++r) {
        const double y = r * h;
        g.cutMarks << CutMark{QLineF(in, y, out, y), {cell(r - 1, 0), cell(r, 0)}}
                   << CutMark{QLineF(W - out, y, W - in, y), {cell(r - 1, columns - 1), cell(r, columns - 1)}};
    }
    for (int c = 1; c < columns; ++c) {
        const double x = c * w;
        g.cutMarks << CutMark{QLineF(x, in, x, out), {cell(0, c - 1), cell(0, c)}}
                   << CutMark{QLineF(x, H - out, x, H - in), {cell(rows - 1, c - 1), cell(rows - 1, c)}};
    }
    for (int r = 1; r < rows; ++r)
        for (int c = 1; c < columns; ++c) {
            const QPointF p(c * w, r * h);
            g.cutMarks << CutMark{QLineF(p.x(), p.y() - m, p.x(), p.y()), {cell(r - 1, c - 1), cell(r - 1, c)}}
                       << CutMark{QLineF(p.x(), p.y(), p.x(), p.y() + m), {cell(r, c - 1), cell(r, c)}}
                       << CutMark{QLineF(p.x() - m, p.y(), p.x(), p.y()), {cell(r - 1, c - 1), cell(r, c - 1)}}
                       << CutMark{QLineF(p.x(), p.y(), p.x() + m, p.y()), {cell(r - 1, c), cell(r, c)}};
        }
    return g;
}

QList<QLineF> PageGeometry::marksFor(int cards) const {
    QList<QLineF> lines;
    for (const CutMark& mark : cutMarks)
        if (std::min(mark.cells[0], mark.cells[1]) < cards) lines << mark.line;
    return lines;
}

Paper defaultPaper(int cardsPerPage) { return cardsPerPage > 1 ? Paper::A4 : Paper::A6; }

Problem cardLayoutProblem(const CardLayout& layout) {
    const QRectF picture = pageGeometry(layout).pictures.value(0);
    if (picture.width() >= kMinCardPictureMm) return std::nullopt;
    return QStringLiteral("%1 cards a page on %2 paper would each be %3 \u00d7 %4 mm, too small to print well "
                          "(a card's picture is at least %5 mm wide)")
        .arg(layout.cardsPerPage)
        .arg(paperName(layout.paper))
        .arg(std::lround(picture.width()))
        .arg(std::lround(picture.height()))
        .arg(kMinCardPictureMm);
}

int pageCount(const CardLayout& layout, int cards) {
    const int perPage = std::max(1, layout.cardsPerPage);
    return cards <= 0 ? 0 : (cards + perPage - 1) / perPage;
}

}  // namespace painter
