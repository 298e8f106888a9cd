#include "app/print_card.h"

#include "output/card_pdf.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>

namespace painter {

namespace {

CardDocument oneCard(const QString& title, const QImage& picture) {
    return {title, {}, 1, [&picture](int) { return picture; }};
}

bool warnUnlessWritten(QWidget* parent, const QString& path, const Problem& problem) {
    if (!problem) return true;
    QMessageBox::warning(parent, QGuiApplication::applicationDisplayName(),
                         QStringLiteral("PDF-ja ni mogoče shraniti v %1.\nRazlog: %2").arg(path, *problem));
    return false;
}

}  // namespace

bool printCard(QPrinter& printer, const QImage& picture, const QString& title, const CardLayout& layout) {
    printer.setDocName(title);
    printer.setCreator(cardCreator());
    printer.setFullPage(true);
    return paintCards(printer, layout, 1, [&picture](int) { return picture; });
}

bool printCardOnChosenPaper(QPrinter& printer, const QImage& picture, const QString& title) {
    printer.setDocName(title);
    printer.setCreator(cardCreator());
    // Measured from the paper's corner, as the card's own margins are.
    printer.setFullPage(true);
    return paintCardsOnDevicePage(printer, CardLayout{}, 1, [&picture](int) { return picture; });
}

void printCardWithDialog(QWidget* parent, const QImage& picture, const QString& title, const QString& suggestedPath) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(cardPageLayout(CardLayout{}));
    // The dialog names a file after the document where it can.
    printer.setDocName(title);
    // With no printer to print on, the dialog offers a PDF file only; it is
    // named after the picture, beside the window's other PDFs.
    if (printer.outputFormat() == QPrinter::PdfFormat) printer.setOutputFileName(suggestedPath);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Natisni"));
    if (dialog.exec() != QDialog::Accepted) return;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        // The file the dialog chose gets the document the window and the
        // command line write, under a temporary name first.
        saveCardPdf(parent, picture, title, printer.outputFileName(), printer.pageLayout());
        return;
    }
    if (!printCardOnChosenPaper(printer, picture, title))
        QMessageBox::warning(parent, QGuiApplication::applicationDisplayName(),
                             QStringLiteral("Slike ni mogoče natisniti."));
}

bool saveCardPdf(QWidget* parent, const QImage& picture, const QString& title, const QString& path) {
    return warnUnlessWritten(parent, path, writeCardPdfFile(path, oneCard(title, picture)));
}

bool saveCardPdf(QWidget* parent, const QImage& picture, const QString& title, const QString& path,
                 const QPageLayout& page) {
    return warnUnlessWritten(parent, path, writeCardPdfFile(path, oneCard(title, picture), page));
}

void saveCardPdfWithDialog(QWidget* parent, const QImage& picture, const QString& title, const QString& suggestedPath) {
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Shrani kot PDF"), suggestedPath,
                                                      QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty()) saveCardPdf(parent, picture, title, path);
}

}  // namespace painter
