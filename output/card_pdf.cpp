#include "output/card_pdf.h"

#include "output/picture_file.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace painter {

namespace {

QPageSize::PageSizeId pageSizeId(Paper paper) {
    switch (paper) {
    case Paper::A6: return QPageSize::A6;
    case Paper::A5: return QPageSize::A5;
    case Paper::A4: return QPageSize::A4;
    case Paper::Letter: return QPageSize::Letter;
    }
    return QPageSize::A6;
}

// The cut marks are hairlines in a mid grey: visible for the scissors, quiet
// next to the pictures.
constexpr double kCutMarkWidthMm = 0.2;

}  // namespace

QPageLayout cardPageLayout(const CardLayout& layout) {
    return QPageLayout(QPageSize(pageSizeId(layout.paper)),
                       pageGeometry(layout).landscape() ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

bool paintCards(QPagedPaintDevice& device, const CardLayout& layout, int count, const CardPicture& picture) {
    device.setPageLayout(cardPageLayout(layout));
    return paintCardsOnDevicePage(device, layout, count, picture);
}

QString cardCreator() { return QStringLiteral("painter " PAINTER_VERSION); }

bool paintCardsOnDevicePage(QPagedPaintDevice& device, const CardLayout& layout, int count,
                            const CardPicture& picture) {
    const PageGeometry page = pageGeometry(layout, QSizeF(Surface::kPictureWidth, Surface::kPictureHeight),
                                           device.pageLayout().fullRect(QPageLayout::Millimeter).size());
    QPainter painter;
    if (!painter.begin(&device)) return false;
    // Drawing in millimetres from the page's top-left corner.
    const double perMm = device.logicalDpiX() / 25.4;
    painter.scale(perMm, device.logicalDpiY() / 25.4);
    // Each picture pixel stays one square of one colour: no smoothing.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Embedded losslessly: without this hint the PDF writer stores JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen cutPen(QColor(128, 128, 128));
    cutPen.setWidthF(kCutMarkWidthMm);

    const int pages = pageCount(layout, count);
    for (int p = 0; p < pages; ++p) {
        if (p > 0 && !device.newPage()) return false;
        for (int c = 0; c < page.cells.size(); ++c) {
            const int index = p * static_cast<int>(page.cells.size()) + c;
            if (index >= count) break;
            const QImage image = picture(index);
            if (!image.isNull()) painter.drawImage(page.pictures[c], image);
        }
        painter.setPen(cutPen);
        for (const QLineF& mark : page.cutMarks) painter.drawLine(mark);
    }
    return painter.end();
}

namespace {

// `page`: the paper someone chose, or none for the layout's own.
Problem writeCardPdfOn(QIODevice& device, const CardDocument& document, const QPageLayout* page) {
    QPdfWriter writer(&device);
    writer.setTitle(document.title);
    writer.setCreator(cardCreator());
    // 600 dots per inch: fine enough to place each card to a twentieth of a
    // millimetre; the pictures keep their own pixels whatever this is.
    writer.setResolution(600);
    bool painted = false;
    if (page) {
        // The writer draws from the margins' corner: the chosen paper without them.
        writer.setPageLayout(QPageLayout(page->pageSize(), page->orientation(), QMarginsF(0, 0, 0, 0)));
        painted = paintCardsOnDevicePage(writer, document.layout, document.count, document.picture);
    } else {
        painted = paintCards(writer, document.layout, document.count, document.picture);
    }
    if (painted) return std::nullopt;
    return QStringLiteral("the PDF could not be drawn");
}

}  // namespace

Problem writeCardPdf(QIODevice& device, const CardDocument& document) {
    return writeCardPdfOn(device, document, nullptr);
}

QByteArray cardPdfBytes(const QImage& picture, const QString& title, const CardLayout& layout) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CardDocument document{title, layout, 1, [&picture](int) { return picture; }};
    if (const Problem problem = writeCardPdf(buffer, document)) return {};
    buffer.close();
    return bytes;
}

Problem writeCardPdfFile(const QString& path, const CardDocument& document) {
    return writeFileAtomically(path, [&document](QIODevice& file) { return writeCardPdf(file, document); });
}

Problem writeCardPdfFile(const QString& path, const CardDocument& document, const QPageLayout& page) {
    return writeFileAtomically(path,
                               [&document, &page](QIODevice& file) { return writeCardPdfOn(file, document, &page); });
}

}  // namespace painter
