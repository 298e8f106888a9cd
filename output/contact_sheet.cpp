#include "output/contact_sheet.h"

#include "output/picture_file.h"
#include "platform/surface.h"
#include "platform/surface_text.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace painter {

SheetGrid sheetGrid(int count) {
    if (count <= 0) return {};
    int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    // Rounding of the square root may overshoot by one: keep the fewest
    // columns that still hold every thumbnail in that many rows.
    while (columns > 1 && (columns - 1) * (columns - 1) >= count) --columns;
    return {columns, (count + columns - 1) / columns};
}

QImage areaAverage(const QImage& picture, int factor) {
    if (factor < 1 || picture.isNull()) return {};
    const QImage source = picture.convertToFormat(QImage::Format_RGB888);
    QImage small(source.width() / factor, source.height() / factor, QImage::Format_RGB888);
    const int area = factor * factor;
    for (int y = 0; y < small.height(); ++y) {
        uchar* out = small.scanLine(y);
        for (int x = 0; x < small.width(); ++x) {
            int sum[3] = {0, 0, 0};
            for (int dy = 0; dy < factor; ++dy) {
                const uchar* in = source.constScanLine(y * factor + dy) + x * factor * 3;
                for (int d = 0; d < factor * 3; d += 3) {
                    sum[0] += in[d];
                    sum[1] += in[d + 1];
                    sum[2] += in[d + 2];
                }
            }
            for (int ch = 0; ch < 3; ++ch) out[x * 3 + ch] = static_cast<uchar>((sum[ch] + area / 2) / area);
        }
    }
    return small;
}

QImage sheetThumbnail(const QImage& picture) { return areaAverage(picture, kThumbnailFactor); }

QImage contactSheet(const QList<SheetEntry>& entries) {
    const SheetGrid grid = sheetGrid(static_cast<int>(entries.size()));
    const int thumbW = Surface::kPictureWidth / kThumbnailFactor, thumbH = Surface::kPictureHeight / kThumbnailFactor;
    const int cellW = thumbW + 2 * kSheetPadding, cellH = thumbH + kSheetLabel + 2 * kSheetPadding;
    QImage sheet(std::max(1, grid.columns) * cellW, std::max(1, grid.rows) * cellH, QImage::Format_RGB888);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    QFont font = captionFont(9);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font);
    for (int k = 0; k < entries.size(); ++k) {
        const int x = (k % grid.columns) * cellW + kSheetPadding;
        const int y = (k / grid.columns) * cellH + kSheetPadding;
        painter.drawImage(QPoint(x, y), entries[k].thumbnail);
        const QRect label(x, y + thumbH, thumbW, kSheetLabel);
        painter.drawText(label, Qt::AlignHCenter | Qt::AlignVCenter,
                         metrics.elidedText(entries[k].name, Qt::ElideRight, thumbW));
    }
    return sheet;
}

namespace {

// The sheet on one page: A4, turned to suit the sheet, 10 mm margin, the
// sheet at the largest size that fits.
Problem writeSheetPdf(QIODevice& device, const QImage& sheet, const QString& title) {
    QPdfWriter writer(&device);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("painter " PAINTER_VERSION));
    writer.setResolution(600);
    const bool wide = sheet.width() >= sheet.height();
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), wide ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    const Problem undrawn = QStringLiteral("the PDF could not be drawn");
    QPainter painter;
    if (!painter.begin(&writer)) return undrawn;
    painter.scale(writer.logicalDpiX() / 25.4, writer.logicalDpiY() / 25.4);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Embedded losslessly: without this hint the PDF writer stores JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    const QSizeF page = writer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const QRectF room(10, 10, page.width() - 20, page.height() - 20);
    const double scale = std::min(room.width() / sheet.width(), room.height() / sheet.height());
    QRectF target(QPointF(), QSizeF(sheet.size()) * scale);
    target.moveCenter(room.center());
    painter.drawImage(target, sheet);
    return painter.end() ? std::nullopt : undrawn;
}

}  // namespace

Problem writeContactSheet(const QString& path, const QImage& sheet, const QString& title) {
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) return writeImageFile(sheet, path);
    return writeFileAtomically(path, [&](QIODevice& file) { return writeSheetPdf(file, sheet, title); });
}

}  // namespace painter
