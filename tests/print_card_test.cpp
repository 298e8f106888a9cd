// Printing from the window: Ctrl+P and the picture's context menu, Qt's print
// dialog on the card's page, and the card saved as PDF from the window.

#include "app/print_card.h"
#include "app/form1.h"
#include "app/picture_view.h"
#include "output/card_pdf.h"
#include "output/picture_file.h"
#include "modal_dialogs.h"
#include "pdf_tools.h"
#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/window_services.h"
#include "session/picture_cycle.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace painter {
namespace {

using testing::pdfImages;
using testing::onNextModal;
using testing::pdfInfo;
using testing::runTool;

struct PaintedWindow {
    explicit PaintedWindow(const QString& folder) : session(rng, clock, services, folder), form(session) {
        services.names << QStringLiteral("ana kos");
        session.formLoad();
        form.show();
    }
    RandomGenerator rng;
    FixedClock clock{"01-01-2011", "09:30:05", 34205};
    QuietServices services;
    PainterSession session;
    Form1 form;
};

TEST(Printing, ReachesTheWindowByCtrlPAndThePicturesMenuOnly) {
    QTemporaryDir dir;
    PaintedWindow w(dir.path());
    PictureView* picture = w.form.picture1();
    EXPECT_EQ(picture->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(picture->actions().size(), 2);
    EXPECT_EQ(picture->actions()[0]->text(), QString::fromUtf8("Natisni …"));
    EXPECT_EQ(picture->actions()[1]->text(), QString::fromUtf8("Shrani kot PDF …"));
    EXPECT_EQ(w.form.printAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    // Still the three designed buttons and nothing else to press.
    EXPECT_EQ(w.form.findChildren<QPushButton*>().size(), 3);
}

TEST(Printing, CtrlPOpensThePrintDialogOnTheCardsPage) {
    QTemporaryDir dir;
    PaintedWindow w(dir.path());
    bool opened = false;
    onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        opened = true;
        const QPageLayout page = dialog->printer()->pageLayout();
        EXPECT_EQ(page.pageSize().id(), QPageSize::A6);
        EXPECT_EQ(page.orientation(), QPageLayout::Landscape);
        dialog->reject();  // cancelled: nothing printed, nothing else changes
    });
    w.form.printAction()->trigger();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(w.form.isVisible());
}

TEST(Printing, APrintedCardCarriesThePicturesOwnPixels) {
    QTemporaryDir dir;
    PaintedWindow w(dir.path());
    // A printer that prints into a PDF file stands in for paper.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("printed.pdf"));
    const QImage picture = surfaceImage(w.session.picture1());
    ASSERT_TRUE(printCard(printer, picture, "ana kos"));
    const QList<QImage> images = pdfImages(dir.filePath("printed.pdf"));
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images[0], picture);
    EXPECT_TRUE(pdfInfo(dir.filePath("printed.pdf")).contains(QRegularExpression("Page size:\\s+420 x 297 pts")));
}

TEST(Printing, SaveAsPdfAsksWhereAndWritesTheCardThere) {
    // The file dialog keeps its history in the user's settings: a test's own.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    PaintedWindow w(dir.path());
    const QString path = dir.filePath("ana.pdf");
    onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    w.form.savePdfAction()->trigger();
    const QList<QImage> images = pdfImages(path);
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images[0], surfaceImage(w.session.picture1()));
    QStandardPaths::setTestModeEnabled(false);
}

// Provoked with /proc, which takes no new files, not even from root.
TEST(Printing, SaveAsPdfThatCannotBeWrittenWarnsAndLeavesNothing) {
    QTemporaryDir dir;
    PaintedWindow w(dir.path());
    QString warning;
    onNextModal([&](QWidget* box) {
        auto* message = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(message, nullptr);
        warning = message->text();
        message->accept();
    });
    EXPECT_FALSE(saveCardPdf(&w.form, surfaceImage(w.session.picture1()), "ana kos", "/proc/ana.pdf"));
    EXPECT_TRUE(warning.contains("/proc/ana.pdf")) << warning.toStdString();
    EXPECT_FALSE(QFileInfo::exists("/proc/ana.pdf"));
    EXPECT_TRUE(w.form.isVisible());
}

// ---------------------------------------------------------------- the print dialog

// A page of a PDF as a viewer shows it, small.
QImage renderedPage(const QString& pdf) {
    QTemporaryDir dir;
    const testing::ToolRun t = runTool("pdftoppm", {"-r", "24", "-singlefile", "-png", pdf, dir.filePath("page")});
    EXPECT_EQ(t.exitCode, 0) << "pdftoppm (poppler-utils) is needed: " << t.out.toStdString();
    return QImage(dir.filePath("page.png")).convertToFormat(QImage::Format_RGB888);
}

// The document's properties that do not hold the moment of writing.
QStringList documentProperties(const QString& pdf) {
    QStringList kept;
    for (const QString& line : pdfInfo(pdf).split('\n'))
        if (line.startsWith("Title:") || line.startsWith("Creator:") || line.startsWith("Producer:") ||
            line.startsWith("Page size:") || line.startsWith("Pages:") || line.startsWith("PDF version:"))
            kept << line.simplified();
    return kept;
}

// In the print dialog, as a user: Properties, the paper (when given), OK;
// then "Print" into whatever file the dialog shows, or `file` when given.
void answerPrintDialog(QWidget* modal, std::optional<Paper> paper, const QString& file = {}) {
    auto* dialog = qobject_cast<QPrintDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    if (paper) {
        const QPageSize::PageSizeId wanted = cardPageLayout(CardLayout{*paper}).pageSize().id();
        auto* properties = dialog->findChild<QPushButton*>("properties");
        ASSERT_NE(properties, nullptr);
        onNextModal([wanted](QWidget* sheet) {
            auto* sizes = sheet->findChild<QComboBox*>("pageSizeCombo");
            ASSERT_NE(sizes, nullptr);
            int index = -1;
            for (int k = 0; k < sizes->count() && index < 0; ++k)
                if (sizes->itemData(k).value<QPageSize>().id() == wanted) index = k;
            ASSERT_GE(index, 0);
            sizes->setCurrentIndex(index);
            static_cast<QDialog*>(sheet)->accept();
        });
        properties->click();  // returns when the sheet is closed
    }
    if (!file.isEmpty()) {
        auto* name = dialog->findChild<QLineEdit*>("filename");
        ASSERT_NE(name, nullptr);
        name->setText(file);
    }
    // A dialog that asks back (a file name it will not take) fails the test
    // instead of waiting for an answer that never comes.
    auto* guard = new QTimer(dialog);
    guard->setSingleShot(true);
    QObject::connect(guard, &QTimer::timeout, dialog, [dialog] {
        QWidget* asked = QApplication::activeModalWidget();
        if (!asked || asked == dialog) return;
        ADD_FAILURE() << "the print dialog asked back instead of printing";
        asked->close();
    });
    guard->start(3000);
    dialog->accept();
    if (dialog->isVisible()) {
        ADD_FAILURE() << "the print dialog did not print";
        dialog->reject();
    }
}

struct PaperCase {
    const char* name;
    std::optional<Paper> chosen;  // nothing: the dialog's paper left as it opens
    Paper card;                   // the command line's card that it must match
    const char* pageSize;
};

void PrintTo(const PaperCase& c, std::ostream* os) { *os << c.name; }

class PrintDialogPaper : public ::testing::TestWithParam<PaperCase> {};

// Ctrl+P, Properties, a paper, print to file: the file's page is the chosen
// paper, and the card sits on it as on the command line's card for that paper.
TEST_P(PrintDialogPaper, IsThePageOfThePrintedFile) {
    const PaperCase& c = GetParam();
    QTemporaryDir dir;
    PaintedWindow w(dir.path());
    onNextModal([&](QWidget* modal) { answerPrintDialog(modal, c.chosen); });
    w.form.printAction()->trigger();

    const QString printed = dir.filePath("ana-kos.pdf");
    ASSERT_TRUE(QFileInfo::exists(printed)) << "nothing printed into the suggested file";
    EXPECT_TRUE(pdfInfo(printed).contains(QRegularExpression(QString("Page size:\\s+%1 pts").arg(c.pageSize))))
        << pdfInfo(printed).toStdString();
    const QImage picture = surfaceImage(w.session.picture1());
    const QString card = dir.filePath("card.pdf");
    ASSERT_FALSE(writeCardPdfFile(card, {"ana kos", CardLayout{c.card}, 1, [&](int) { return picture; }}));
    EXPECT_EQ(renderedPage(printed), renderedPage(card)) << "the card is not placed as on the command line's page";
    const QList<QImage> images = pdfImages(printed);
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images[0], picture);
}

INSTANTIATE_TEST_SUITE_P(
    Chosen, PrintDialogPaper,
    ::testing::Values(PaperCase{"Unchanged", std::nullopt, Paper::A6, "420 x 297"},
                      PaperCase{"A5", Paper::A5, Paper::A5, "595 x 420"},
                      PaperCase{"A4", Paper::A4, Paper::A4, "842 x 595"},
                      PaperCase{"Letter", Paper::Letter, Paper::Letter, "792 x 612"}),
    [](const auto& info) { return std::string(info.param.name); });

// The file the dialog prints into is named after the picture, and carries
// the document properties of the command line's card.
TEST(Printing, APrintDialogPdfIsNamedAfterThePictureAndLikeTheCommandLinesCard) {
    QTemporaryDir dir;
    PaintedWindow w(dir.path());
    QString shown;
    onNextModal([&](QWidget* modal) {
        if (auto* name = modal->findChild<QLineEdit*>("filename")) shown = name->text();
        answerPrintDialog(modal, std::nullopt);
    });
    w.form.printAction()->trigger();
    const QString printed = dir.filePath("ana-kos.pdf");
    EXPECT_EQ(shown, printed);
    ASSERT_TRUE(QFileInfo::exists(printed));
    const QImage picture = surfaceImage(w.session.picture1());
    const QString card = dir.filePath("card.pdf");
    ASSERT_FALSE(writeCardPdfFile(card, {"ana kos", {}, 1, [&](int) { return picture; }}));
    const QStringList properties = documentProperties(printed);
    EXPECT_EQ(properties, documentProperties(card));
    EXPECT_TRUE(properties.contains("Creator: painter " PAINTER_VERSION)) << properties.join('|').toStdString();
    EXPECT_TRUE(properties.contains("Title: ana kos")) << properties.join('|').toStdString();
}

// Provoked by typing a file under /proc, which takes no new files, into the
// dialog: a warning naming the file, nothing written, the window goes on.
TEST(Printing, PrintingIntoAFileThatCannotBeWrittenWarnsAndLeavesNothing) {
    QTemporaryDir dir;
    PaintedWindow w(dir.path());
    QString warning;
    onNextModal([&](QWidget* modal) {
        onNextModal([&](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(message, nullptr);
            warning = message->text();
            message->accept();
        });
        answerPrintDialog(modal, std::nullopt, "/proc/ana.pdf");
    });
    w.form.printAction()->trigger();
    // The warning comes after the dialog, from the same call.
    for (int k = 0; k < 100 && warning.isEmpty(); ++k) QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(warning.contains("/proc/ana.pdf")) << warning.toStdString();
    EXPECT_FALSE(QFileInfo::exists("/proc/ana.pdf"));
    EXPECT_TRUE(w.form.isVisible());
}

// A real printer gets the paper chosen for it, the card centred on it, and
// the card's document properties. A printer that prints into a PDF file
// stands in for paper.
TEST(Printing, APrinterKeepsThePaperChosenForIt) {
    QTemporaryDir dir;
    PaintedWindow w(dir.path());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("printed.pdf"));
    printer.setPageLayout(cardPageLayout(CardLayout{Paper::A4}));
    const QImage picture = surfaceImage(w.session.picture1());
    ASSERT_TRUE(printCardOnChosenPaper(printer, picture, "ana kos"));
    const QString info = pdfInfo(dir.filePath("printed.pdf"));
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+842 x 595 pts"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Creator:\\s+painter " PAINTER_VERSION))) << info.toStdString();
    const QString card = dir.filePath("card.pdf");
    ASSERT_FALSE(writeCardPdfFile(card, {"ana kos", CardLayout{Paper::A4}, 1, [&](int) { return picture; }}));
    EXPECT_EQ(renderedPage(dir.filePath("printed.pdf")), renderedPage(card));
}

}  // namespace
}  // namespace painter
