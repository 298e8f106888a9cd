#include "output/card_pdf.h"

#include "output/picture_file.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstring>

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

// The same cards are the same bytes whenever they are written (a file
// compared, an answer cached under one tag): the PDF writer's creation date,
// the moment of writing, becomes one fixed date of the same length on its way
// to the device. The date stands in the document's first bytes; only those
// are held back, so a long document still streams.
class FixedCreationDate final : public QIODevice {
public:
    explicit FixedCreationDate(QIODevice& target) : target_(target) { open(QIODevice::WriteOnly); }
    bool finish() {
        flushHead();
        return !failed_;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (passing_) return forward(data, size) ? size : -1;
        head_.append(data, size);
        const qsizetype at = head_.indexOf(kDate);
        if (head_.size() >= kHeld || (at >= 0 && head_.indexOf(')', at) > at)) flushHead();
        return failed_ ? -1 : size;
    }

private:
    static constexpr qsizetype kHeld = 8192;
    static constexpr const char* kDate = "/CreationDate (D:";

    bool forward(const char* data, qint64 size) {
        if (!failed_ && target_.write(data, size) != size) failed_ = true;
        return !failed_;
    }
    void flushHead() {
        if (passing_) return;
        passing_ = true;
        const qsizetype at = head_.indexOf(kDate);
        const qsizetype digits = at + qsizetype(std::strlen(kDate));
        if (at >= 0 && head_.size() > digits + 15 && head_[digits + 14] == 'Z')
            head_.replace(digits, 15, "20110101000000Z");
        forward(head_.constData(), head_.size());
        head_.clear();
    }

    QIODevice& target_;
    QByteArray head_;
    bool passing_ = false;
    bool failed_ = false;
};

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
        const int first = p * static_cast<int>(page.cells.size());
        const int cards = std::min(static_cast<int>(page.cells.size()), count - first);
        for (int c = 0; c < cards; ++c) {
            const QImage image = picture(first + c);
            if (!image.isNull()) painter.drawImage(page.pictures[c], image);
        }
        painter.setPen(cutPen);
        for (const QLineF& mark : page.marksFor(cards)) painter.drawLine(mark);
    }
    return painter.end();
}

namespace {

// `page`: the paper someone chose, or none for the layout's own.
Problem writeCardPdfOn(QIODevice& device, const CardDocument& document, const QPageLayout* page) {
    FixedCreationDate fixed(device);
    {
        QPdfWriter writer(&fixed);
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
        if (!painted) return QStringLiteral("the PDF could not be drawn");
    }
    if (!fixed.finish()) return device.errorString();
    return std::nullopt;
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
