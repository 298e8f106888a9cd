#include "output/sheet_layout.h"

#include "output/contact_sheet.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace painter {

namespace {

// The widest thumbnail of height/width `aspect` that a grid of columns x rows
// leaves room for, a name band under each and the gaps around.
double thumbnailWidth(QSizeF room, int columns, int rows, double aspect) {
    const double cellWidth = room.width() / columns - kSheetGapMm;
    const double cellHeight = room.height() / rows - kSheetGapMm - kSheetLabelMm;
    return std::min({cellWidth, cellHeight / aspect, kSheetMaxThumbnailMm});
}

struct Choice {
    QSizeF page;
    int columns = 0, rows = 0;
    double width = 0;
};

}  // namespace

QRectF SheetLayout::thumbnail(int slot) const {
    if (columns <= 0) return {};
    const double cellWidth = thumbnailMm.width() + kSheetGapMm;
    const double cellHeight = thumbnailMm.height() + kSheetLabelMm + kSheetGapMm;
    return {gridMm.left() + (slot % columns) * cellWidth + kSheetGapMm / 2,
            gridMm.top() + (slot / columns) * cellHeight + kSheetGapMm / 2, thumbnailMm.width(),
            thumbnailMm.height()};
}

QRectF SheetLayout::label(int slot) const {
    const QRectF t = thumbnail(slot);
    return {t.left(), t.bottom(), t.width(), kSheetLabelMm};
}

SheetLayout sheetLayout(int count, QSizeF paperPortraitMm, QSize picturePixels) {
    SheetLayout layout;
    if (count <= 0 || picturePixels.isEmpty()) return layout;
    const double aspect = static_cast<double>(picturePixels.height()) / picturePixels.width();
    const QSizeF margins(2 * kSheetPageMarginMm, 2 * kSheetPageMarginMm);
    const QSizeF pages[] = {paperPortraitMm.transposed(), paperPortraitMm};  // landscape wins a tie

    // One page: the most nearly square grid, either way round.
    Choice best;
    const SheetGrid grid = sheetGrid(count);
    for (const QSizeF& page : pages)
        for (const auto& [columns, rows] : {std::pair{grid.columns, grid.rows}, std::pair{grid.rows, grid.columns}}) {
            const double width = thumbnailWidth(page - margins, columns, rows, aspect);
            if (width > best.width) best = {page, columns, rows, width};
        }
    layout.pages = 1;
    if (best.width < kSheetMinThumbnailMm) {
        // More pages: the grid that holds the most thumbnails of the least width.
        best = {};
        for (const QSizeF& page : pages) {
            const QSizeF room = page - margins;
            const int columns = std::max(1, static_cast<int>((room.width()) / (kSheetMinThumbnailMm + kSheetGapMm)));
            const int rows = std::max(
                1, static_cast<int>(room.height() / (kSheetMinThumbnailMm * aspect + kSheetLabelMm + kSheetGapMm)));
            if (columns * rows > best.columns * best.rows)
                best = {page, columns, rows, thumbnailWidth(room, columns, rows, aspect)};
        }
        layout.pages = (count + best.columns * best.rows - 1) / (best.columns * best.rows);
    }
    layout.pageMm = best.page;
    layout.columns = best.columns;
    layout.rows = best.rows;

    // The fewest pixels that print kSheetMinPpi; the height follows, so the
    // pixels stay square, and a hair of proportion is lost to whole pixels.
    const int columnsOfPixels = std::min(picturePixels.width(),
                                         static_cast<int>(std::ceil(best.width * kSheetMinPpi / 25.4 - 1e-9)));
    layout.thumbnailPixels =
        QSize(columnsOfPixels, std::max(1, static_cast<int>(std::lround(columnsOfPixels * aspect))));
    const double thumbnailAspect =
        static_cast<double>(layout.thumbnailPixels.height()) / layout.thumbnailPixels.width();
    // Kept inside the cell when the whole pixels make it a hair taller.
    const QSizeF room = best.page - margins;
    const double width =
        std::min(best.width, (room.height() / best.rows - kSheetGapMm - kSheetLabelMm) / thumbnailAspect);
    layout.thumbnailMm = QSizeF(width, width * thumbnailAspect);

    const QSizeF gridSize(best.columns * (width + kSheetGapMm),
                          best.rows * (layout.thumbnailMm.height() + kSheetLabelMm + kSheetGapMm));
    layout.gridMm = QRectF(QPointF(), gridSize);
    layout.gridMm.moveCenter(QRectF(QPointF(), best.page).center());
    return layout;
}

}  // namespace painter
