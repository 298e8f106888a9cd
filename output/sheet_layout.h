#pragma once
// Where a printed contact sheet puts its thumbnails and names: plain geometry
// in millimetres from the top-left corner of each page, and the size each
// thumbnail is shrunk to so that it prints sharp at its size on paper.

#include <QRectF>
#include <QSize>
#include <QSizeF>

namespace painter {

inline constexpr double kSheetPageMarginMm = 10.0;
inline constexpr double kSheetGapMm = 4.0;      // between neighbouring thumbnails
inline constexpr double kSheetLabelMm = 5.0;    // the band under a thumbnail for its name
inline constexpr double kSheetNamePoints = 8.0;  // the names' type size
// Thumbnails print with at least this many of their pixels per inch, so no
// pixel shows on paper.
inline constexpr double kSheetMinPpi = 150.0;
// Narrower than this, a thumbnail and its name are hard to make out: a long
// list goes on to further pages instead.
inline constexpr double kSheetMinThumbnailMm = 30.0;
// Wider than this, a whole picture would print under kSheetMinPpi.
inline constexpr double kSheetMaxThumbnailMm = 110.0;

struct SheetLayout {
    QSizeF pageMm;        // as printed, portrait or landscape
    int columns = 0;      // of each page's grid
    int rows = 0;
    int pages = 0;
    QSize thumbnailPixels;  // each thumbnail's pixels
    QSizeF thumbnailMm;     // each thumbnail as printed, its pixels square
    QRectF gridMm;        // the grid of a full page, centred on it

    int perPage() const { return columns * rows; }
    // The thumbnail and the name band of the `slot`-th place of a page, in reading order.
    QRectF thumbnail(int slot) const;
    QRectF label(int slot) const;
};

// The layout of `count` thumbnails of width x height pictures on paper of
// `paperPortraitMm`, held the way that gives the larger thumbnails: the most
// nearly square grid of the count on one page when its thumbnails are at
// least kSheetMinThumbnailMm wide, else as many pages of the fullest grid of
// such thumbnails as the count needs. The thumbnails have the fewest pixels
// that still print at kSheetMinPpi, never more than the picture's own.
SheetLayout sheetLayout(int count, QSizeF paperPortraitMm, QSize picturePixels);

}  // namespace painter
