#pragma once
// A contact sheet: every picture of a batch as a small thumbnail with its name
// under it, in a grid sized for the count, so a whole class fits on one page.

#include "platform/problem.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

namespace painter {

// Thumbnails are a fifth of the picture each way (140 x 105): every thumbnail
// pixel is the average of a 5 x 5 block.
inline constexpr int kThumbnailFactor = 5;

struct SheetGrid {
    int columns = 0;
    int rows = 0;
};

// The most nearly square grid that holds `count` thumbnails, filled row by
// row: as many columns as the square root rounded up, and the rows needed.
SheetGrid sheetGrid(int count);

// The picture shrunk by a whole factor: each pixel the rounded mean of the
// factor x factor block it covers (columns or rows left over are dropped).
QImage areaAverage(const QImage& picture, int factor);

// The picture shrunk to any smaller `size`: each pixel the rounded mean of the
// picture's area it covers, pixels cut by its edges weighted by the part
// inside. For a size a whole factor smaller, the same as areaAverage by it.
QImage areaAverage(const QImage& picture, QSize size);

struct SheetEntry {
    QString name;
    QImage thumbnail;  // sheetThumbnail of the picture, at the sheet's size
};

// The thumbnails of an image sheet: a kThumbnailFactor-th of the picture.
inline constexpr QSize kSheetThumbnailSize(140, 105);

// A picture's thumbnail on the sheet: areaAverage to `size`.
QImage sheetThumbnail(const QImage& picture, QSize size = kSheetThumbnailSize);

// The thumbnail size of a sheet of `count` pictures written to `path`:
// kSheetThumbnailSize for an image file; for a PDF, what its page layout
// asks for each thumbnail to print sharp at its size on paper (sheetLayout).
QSize sheetThumbnailSize(const QString& path, int count);

// Layout of one sheet cell, in pixels.
inline constexpr int kSheetPadding = 10;  // around each thumbnail
inline constexpr int kSheetLabel = 18;    // the band under a thumbnail for its name

// The sheet as one image: white, the thumbnails in reading order, each name
// under its thumbnail in black (shortened with "…" when too long).
QImage contactSheet(const QList<SheetEntry>& entries);

// The sheet written to a file, under a temporary name and renamed into place;
// on failure nothing is left. A .png or .bmp is the contactSheet image. A .pdf
// is laid out on A4 paper by sheetLayout: each thumbnail an image of its own
// pixels, each name text in the caption font.
[[nodiscard]] Problem writeContactSheet(const QString& path, const QList<SheetEntry>& entries, const QString& title);

}  // namespace painter
