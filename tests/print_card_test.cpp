// Printing from the window: Ctrl+P and the picture's context menu, Qt's print
// dialog on the card's page, and the card saved as PDF from the window.

#include "app/print_card.h"
#include "app/form1.h"
#include "app/picture_view.h"
#include "output/picture_file.h"
#include "pdf_tools.h"
#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/window_services.h"
#include "session/picture_cycle.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
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

namespace painter {
namespace {

using testing::pdfImages;
using testing::pdfInfo;

// Runs `answer` on the modal dialog that the code under test opens next. The
// dialog is waited for, since building it may run events before it shows;
// after ten seconds without one the test fails instead of hanging.
void onNextModal(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer(qApp);
    auto* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, waited, answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && waited->elapsed() < 10000) return;
        poll->stop();
        poll->deleteLater();
        delete waited;
        if (!modal) {
            ADD_FAILURE() << "no dialog opened";
            return;
        }
        answer(modal);
    });
    poll->start(10);
}

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

}  // namespace
}  // namespace painter
