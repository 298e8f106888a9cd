#pragma once
// Print-ready cards: pages laid out by CardLayout, each picture drawn with its
// own pixels (embedded losslessly at 700 x 525 and shown without smoothing, so
// it stays crisp however far it is zoomed). The same drawing serves a PDF
// file, PDF bytes in memory and a printer.

#include "output/card_layout.h"
#include "platform/problem.h"

#include <QByteArray>
#include <QImage>
#include <QPageLayout>
#include <QString>

#include <functional>

class QIODevice;
class QPagedPaintDevice;

namespace painter {

// The picture of card `index` (0-based); a null image leaves its cell empty.
using CardPicture = std::function<QImage(int index)>;

// The page a layout prints on: its paper turned as the cards want, no margins.
QPageLayout cardPageLayout(const CardLayout& layout);

// Sets the device's page to the layout's paper, orientation and no margins,
// then draws `count` cards on as many pages as they need. Works on any paged
// device: a PDF writer or a printer. Returns false when the device cannot be
// painted on.
bool paintCards(QPagedPaintDevice& device, const CardLayout& layout, int count, const CardPicture& picture);

// The same cards on the page the device already has, whatever paper and
// orientation someone chose for it (a print dialog): each card centred in its
// cell at the largest size that fits, as on the layout's own paper.
bool paintCardsOnDevicePage(QPagedPaintDevice& device, const CardLayout& layout, int count,
                            const CardPicture& picture);

// The creator every card document names in its properties.
QString cardCreator();

struct CardDocument {
    QString title;  // the document's title in its metadata
    CardLayout layout;
    int count = 0;
    CardPicture picture;
};

// The document as PDF into an open device. Metadata: the title, this program
// as creator, and one fixed creation date, so that the same cards are always
// the same bytes.
[[nodiscard]] Problem writeCardPdf(QIODevice& device, const CardDocument& document);

// One picture's card as PDF bytes, for whoever serves them.
QByteArray cardPdfBytes(const QImage& picture, const QString& title, const CardLayout& layout = {});

// The document written to `path` under a temporary name and renamed into
// place; on failure nothing is left behind.
[[nodiscard]] Problem writeCardPdfFile(const QString& path, const CardDocument& document);

// The same on the paper and orientation of `page` (a print dialog's choice)
// instead of the layout's own paper; the cards keep their own margins.
[[nodiscard]] Problem writeCardPdfFile(const QString& path, const CardDocument& document, const QPageLayout& page);

}  // namespace painter
