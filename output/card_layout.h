#pragma once
// Where printed cards go on a sheet of paper: the paper, its orientation, one
// cell per card, the picture inside each cell and the cut marks between cells.
// Plain geometry in millimetres, from the top-left corner of the page, so it
// can be checked without drawing anything.

#include "platform/surface.h"

#include <QLineF>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

namespace painter {

enum class Paper { A6, A5, A4, Letter };

struct CardLayout {
    Paper paper = Paper::A6;
    int cardsPerPage = 1;  // 1, 2 or 4
};

// The empty band kept free around a picture inside its cell.
inline constexpr double kCardMarginMm = 5.0;
// How far a cut mark reaches in from the page edge (and from a crossing):
// less than the margin, so it never touches a picture.
inline constexpr double kCutMarkMm = 4.0;

// "a6", "a5", "a4", "letter" (any case); nothing for anything else.
std::optional<Paper> paperFromName(const QString& name);
QString paperName(Paper paper);

// Width and height of the paper held upright (portrait).
QSizeF paperPortraitMm(Paper paper);

struct PageGeometry {
    QSizeF pageMm;           // as printed: landscape for 1 and 4 cards, portrait for 2
    QList<QRectF> cells;     // one per card, in reading order
    QList<QRectF> pictures;  // the picture of each cell
    QList<QLineF> cutMarks;  // only on pages shared by several cards
    bool landscape() const { return pageMm.width() > pageMm.height(); }
};

// The largest rectangle of the picture's proportions that fits inside `cell`
// less the margin on every side, centred in it.
QRectF fitPicture(const QRectF& cell, QSizeF pictureSize, double marginMm = kCardMarginMm);

// One page of the layout. One card fills a landscape page; two share a
// portrait page one above the other; four share a landscape page two by two.
// The cells of a shared page are cut apart along their common edges.
// `pageMm` is the page as the device really has it (PDF pages come in whole
// points, a hair off the paper's millimetres); empty: the paper's own size.
PageGeometry pageGeometry(const CardLayout& layout,
                          QSizeF pictureSize = QSizeF(Surface::kPictureWidth, Surface::kPictureHeight),
                          QSizeF pageMm = {});

// How many pages `cards` cards take.
int pageCount(const CardLayout& layout, int cards);

}  // namespace painter
