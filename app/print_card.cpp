#include "app/print_card.h"

#include "output/card_pdf.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace painter {

bool printCard(QPrinter& printer, const QImage& picture, const QString& title, const CardLayout& layout) {
    printer.setDocName(title);
    printer.setFullPage(true);
    return paintCards(printer, layout, 1, [&picture](int) { return picture; });
}

void printCardWithDialog(QWidget* parent, const QImage& picture, const QString& title) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(cardPageLayout(CardLayout{}));
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Natisni"));
    if (dialog.exec() != QDialog::Accepted) return;
    if (!printCard(printer, picture, title))
        QMessageBox::warning(parent, QGuiApplication::applicationDisplayName(),
                             QStringLiteral("Slike ni mogoče natisniti."));
}

bool saveCardPdf(QWidget* parent, const QImage& picture, const QString& title, const QString& path) {
    const Problem problem = writeCardPdfFile(path, {title, {}, 1, [&picture](int) { return picture; }});
    if (!problem) return true;
    QMessageBox::warning(parent, QGuiApplication::applicationDisplayName(),
                         QStringLiteral("PDF-ja ni mogoče shraniti v %1.\nRazlog: %2").arg(path, *problem));
    return false;
}

void saveCardPdfWithDialog(QWidget* parent, const QImage& picture, const QString& title, const QString& suggestedPath) {
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Shrani kot PDF"), suggestedPath,
                                                      QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty()) saveCardPdf(parent, picture, title, path);
}

}  // namespace painter
