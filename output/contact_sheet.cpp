#include "output/contact_sheet.h"

#include "output/card_layout.h"
#include "output/picture_file.h"
#include "output/sheet_layout.h"
#include "platform/surface.h"
#include "platform/surface_text.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <vector>

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

QImage areaAverage(const QImage& picture, QSize size) {
    if (picture.isNull() || size.isEmpty() || size.width() > picture.width() || size.height() > picture.height())
        return {};
    const QImage source = picture.convertToFormat(QImage::Format_RGB888);
    // Output pixel k covers [k * step, (k + 1) * step) of the source: the
    // weight of each source pixel is the length of its part inside. The area
    // weights are the products of the two directions' weights, so the mean
    // is taken across, then down.
    struct Span {
        int first = 0;
        std::vector<double> weights;
    };
    const auto spans = [](int from, int to) {
        std::vector<Span> result(static_cast<std::size_t>(to));
        const double step = static_cast<double>(from) / to;
        for (int k = 0; k < to; ++k) {
            const double begin = k * step, end = (k + 1) * step;
            Span& span = result[static_cast<std::size_t>(k)];
            span.first = static_cast<int>(std::floor(begin));
            for (int s = span.first; s < from && s < end; ++s)
                span.weights.push_back(std::min<double>(s + 1, end) - std::max<double>(s, begin));
        }
        return result;
    };
    const std::vector<Span> across = spans(source.width(), size.width());
    const std::vector<Span> down = spans(source.height(), size.height());
    const double area = static_cast<double>(source.width()) / size.width() * source.height() / size.height();

    // One row of sums per source row, then the rows summed into each output row.
    std::vector<double> rows(static_cast<std::size_t>(source.height()) * size.width() * 3);
    for (int y = 0; y < source.height(); ++y) {
        const uchar* in = source.constScanLine(y);
        double* out = rows.data() + static_cast<std::size_t>(y) * size.width() * 3;
        for (int x = 0; x < size.width(); ++x) {
            const Span& span = across[static_cast<std::size_t>(x)];
            for (std::size_t d = 0; d < span.weights.size(); ++d)
                for (int ch = 0; ch < 3; ++ch)
                    out[x * 3 + ch] += span.weights[d] * in[(span.first + static_cast<int>(d)) * 3 + ch];
        }
    }
    QImage small(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        const Span& span = down[static_cast<std::size_t>(y)];
        uchar* out = small.scanLine(y);
        for (int i = 0; i < size.width() * 3; ++i) {
            double sum = 0;
            for (std::size_t d = 0; d < span.weights.size(); ++d)
                sum += span.weights[d] * rows[(static_cast<std::size_t>(span.first) + d) * size.width() * 3 + i];
            out[i] = static_cast<uchar>(std::clamp(std::floor(sum / area + 0.5), 0.0, 255.0));
        }
    }
    return small;
}

QImage sheetThumbnail(const QImage& picture, QSize size) { return areaAverage(picture, size); }

namespace {

bool pdfPath(const QString& path) { return path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive); }

SheetLayout printedSheet(int count) {
    return sheetLayout(count, paperPortraitMm(Paper::A4), QSize(Surface::kPictureWidth, Surface::kPictureHeight));
}

}  // namespace

QSize sheetThumbnailSize(const QString& path, int count) {
    return pdfPath(path) ? printedSheet(count).thumbnailPixels : kSheetThumbnailSize;
}

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

// Every name as text, so it prints as sharp as the printer can and can be
// searched and copied; every thumbnail an image of its own pixels.
Problem writeSheetPdf(QIODevice& device, const QList<SheetEntry>& entries, const QString& title) {
    const SheetLayout layout = printedSheet(static_cast<int>(entries.size()));
    QPdfWriter writer(&device);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("painter " PAINTER_VERSION));
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     layout.pageMm.width() > layout.pageMm.height() ? QPageLayout::Landscape
                                                                                    : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    const Problem undrawn = QStringLiteral("the PDF could not be drawn");
    QPainter painter;
    if (!painter.begin(&writer)) return undrawn;
    // Millimetres to the writer's dots by hand rather than by scaling the
    // painter, which would scale the names' type size too.
    const double perMm = writer.logicalDpiX() / 25.4;
    const auto dots = [perMm](const QRectF& mm) {
        return QRectF(mm.topLeft() * perMm, mm.size() * perMm);
    };
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Embedded losslessly: without this hint the PDF writer stores JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    QFont font = captionFont(kSheetNamePoints);
    font.setPointSizeF(kSheetNamePoints);
    font.setStyleStrategy(QFont::PreferDefault);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(font, &writer);
    for (int k = 0; k < entries.size(); ++k) {
        const int slot = k % layout.perPage();
        if (k > 0 && slot == 0 && !writer.newPage()) return undrawn;
        const QRectF label = dots(layout.label(slot));
        painter.drawImage(dots(layout.thumbnail(slot)), entries[k].thumbnail);
        painter.drawText(label, Qt::AlignHCenter | Qt::AlignVCenter,
                         metrics.elidedText(entries[k].name, Qt::ElideRight, label.width()));
    }
    return painter.end() ? std::nullopt : undrawn;
}

}  // namespace

Problem writeContactSheet(const QString& path, const QList<SheetEntry>& entries, const QString& title) {
    if (!pdfPath(path)) return writeImageFile(contactSheet(entries), path);
    return writeFileAtomically(path, [&](QIODevice& file) { return writeSheetPdf(file, entries, title); });
}

}  // namespace painter
