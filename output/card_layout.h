#pragma once
// Where printed cards go on a sheet of paper: the paper, its orientation, one
// cell per card, the picture inside each cell and the cut marks between cells.
// Plain geometry in millimetres, from the top-left corner of the page, so it
// can be checked without drawing anything.

#include "platform/problem.h"
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
// Most printers leave a band of a few millimetres at the paper's edge
// unprinted, so a cut mark begins this far inside the edge...
inline constexpr double kCutMarkInsetMm = 5.0;
// ... and is this long; the arms of the cross where two cuts meet too.
inline constexpr double kCutMarkMm = 6.0;
// The narrowest picture a card may have: smaller than on an A7 card, a
// picture's detail is lost on paper.
inline constexpr double kMinCardPictureMm = 80.0;

// "a6", "a5", "a4", "letter" (any case); nothing for anything else.
std::optional<Paper> paperFromName(const QString& name);
QString paperName(Paper paper);

// Width and height of the paper held upright (portrait).
QSizeF paperPortraitMm(Paper paper);

// The paper several cards a page get unless told: one card is a postcard on
// A6, two or four share an A4 sheet, each card then A5 or A6 in size.
Paper defaultPaper(int cardsPerPage);

// A mark on the cut between two cells, `cells` the two it separates.
struct CutMark {
    QLineF line;
    int cells[2] = {0, 0};
};

struct PageGeometry {
    QSizeF pageMm;            // as printed: landscape for 1 and 4 cards, portrait for 2
    QList<QRectF> cells;      // one per card, in reading order
    QList<QRectF> pictures;   // the picture of each cell
    QList<CutMark> cutMarks;  // only on pages shared by several cards
    bool landscape() const { return pageMm.width() > pageMm.height(); }
    // The marks a page holding its first `cards` cards needs: those on a cut
    // beside at least one card, none in the empty part of a last page.
    QList<QLineF> marksFor(int cards) const;
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

// Why the layout cannot make good cards (the pictures would be too small),
// or nothing.
[[nodiscard]] Problem cardLayoutProblem(const CardLayout& layout);

// How many pages `cards` cards take.
int pageCount(const CardLayout& layout, int cards);

}  // namespace painter
