#pragma once
// Printing the window's picture as a card: Qt's print dialog with the card's
// page already chosen, and saving the card as a PDF file.

#include "output/card_layout.h"

#include <QImage>
#include <QString>

class QPageLayout;
class QPrinter;
class QWidget;

namespace painter {

// Prints the picture as one card on `printer`, set to the layout's page.
// Returns false when the printer cannot be painted on.
bool printCard(QPrinter& printer, const QImage& picture, const QString& title, const CardLayout& layout = {});

// The same on the paper the printer already has (chosen in the print
// dialog): the card centred at the largest size that fits.
bool printCardOnChosenPaper(QPrinter& printer, const QImage& picture, const QString& title);

// "Natisni …" (Ctrl+P): the print dialog over `parent`, on the card's page,
// with `suggestedPath` as the file to print into when there is no printer;
// prints when confirmed. Printing into a PDF file writes the same document as
// saveCardPdf, on the paper chosen in the dialog.
void printCardWithDialog(QWidget* parent, const QImage& picture, const QString& title, const QString& suggestedPath);

// Writes the card to `path`; a file that cannot be written is a warning over
// `parent`, and nothing is left of it. Returns true when it was written.
bool saveCardPdf(QWidget* parent, const QImage& picture, const QString& title, const QString& path);
// The same on the paper and orientation of `page`.
bool saveCardPdf(QWidget* parent, const QImage& picture, const QString& title, const QString& path,
                 const QPageLayout& page);

// "Shrani kot PDF …": asks for a file name, then saveCardPdf.
void saveCardPdfWithDialog(QWidget* parent, const QImage& picture, const QString& title, const QString& suggestedPath);

}  // namespace painter
