#pragma once
// Printing the window's picture as a card: Qt's print dialog with the card's
// page already chosen, and saving the card as a PDF file.

#include "output/card_layout.h"

#include <QImage>
#include <QString>

class QPrinter;
class QWidget;

namespace painter {

// Prints the picture as one card on `printer`, set to the layout's page.
// Returns false when the printer cannot be painted on.
bool printCard(QPrinter& printer, const QImage& picture, const QString& title, const CardLayout& layout = {});

// "Natisni …" (Ctrl+P): the print dialog over `parent`; prints when confirmed.
void printCardWithDialog(QWidget* parent, const QImage& picture, const QString& title);

// Writes the card to `path`; a file that cannot be written is a warning over
// `parent`, and nothing is left of it. Returns true when it was written.
bool saveCardPdf(QWidget* parent, const QImage& picture, const QString& title, const QString& path);

// "Shrani kot PDF …": asks for a file name, then saveCardPdf.
void saveCardPdfWithDialog(QWidget* parent, const QImage& picture, const QString& title, const QString& suggestedPath);

}  // namespace painter
