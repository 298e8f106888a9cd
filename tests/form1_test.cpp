// The window: its controls as designed, and the commands given while a picture
// is still being painted, which run nested inside the scan's event pump.

#include "app/form1.h"
#include "app/picture_view.h"
#include "app/qt_window_services.h"
#include "output/picture_file.h"
#include "modal_dialogs.h"
#include "pdf_tools.h"
#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/surface.h"
#include "session/first_picture.h"
#include "session/picture_cycle.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>

#include "qt_printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace painter {
namespace {

// The real Qt services, except that the name prompt answers from a list and
// the event pump can queue a button click at a chosen row. The click is
// delivered by the real pump (QCoreApplication::processEvents), so the
// command runs nested inside the scan exactly as a user's click would.
class ScriptedWindow : public QtWindowServices {
public:
    QStringList names;
    int prompts = 0;
    int pumps = 0;
    int clickAtPump = -1;
    QPushButton* clickTarget = nullptr;
    std::function<void(int pump)> atPump;  // runs before each pump's events

    QString askName(const QString&, QPoint) override {
        ++prompts;
        return names.isEmpty() ? QString() : names.takeFirst();
    }
    void processPendingEvents() override {
        ++pumps;
        if (atPump) atPump(pumps);
        if (pumps == clickAtPump && clickTarget)
            QMetaObject::invokeMethod(clickTarget, &QAbstractButton::click, Qt::QueuedConnection);
        QtWindowServices::processPendingEvents();
    }
};

// A session and its window, with the clock fixed so that two runs of one
// name paint the same pixels.
struct Window {
    explicit Window(QStringList names, const QString& folder = QDir::tempPath() + "/painter-form1-test")
        : session(rng, clock, services, folder), form(session) {
        services.names = std::move(names);
        services.attach(&form);
    }

    RandomGenerator rng;
    FixedClock clock{"01-01-2011", "09:30:05", 34205};
    ScriptedWindow services;
    PainterSession session;
    Form1 form;
};

std::vector<std::uint32_t> pixelsOf(const Surface& s) {
    return {s.pixels(), s.pixels() + static_cast<std::size_t>(s.width()) * s.height()};
}

// The picture and window layer that one name paints when nothing interrupts it.
struct Reference {
    std::vector<std::uint32_t> picture, form;
    int pumps = 0;
};

Reference referenceRun(const QString& name) {
    Window w({name});
    w.session.formLoad();
    return {pixelsOf(w.session.picture1()), pixelsOf(w.session.form()), w.services.pumps};
}

// ---------------------------------------------------------------- layout

TEST(Form1Layout, WindowIsBlackTitledForm1AndHoldsTheDesignedClientArea) {
    Window w({});
    EXPECT_EQ(w.form.objectName(), "Form1");
    EXPECT_EQ(w.form.windowTitle(), "Form1");
    EXPECT_EQ(w.form.minimumSize(), QSize(732, 641));
    EXPECT_EQ(w.form.palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_TRUE(w.form.autoFillBackground());
}

struct ControlCase {
    const char* objectName;
    const char* caption;  // nullptr for the picture surfaces
    QRect geometry;
    bool shown;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ControlCase& c, std::ostream* os) { *os << c.objectName; }

class Form1Controls : public ::testing::TestWithParam<ControlCase> {};

TEST_P(Form1Controls, StandAtTheirDesignedPlaceWithTheirCaption) {
    const ControlCase& c = GetParam();
    Window w({});
    w.form.show();
    auto* control = w.form.findChild<QWidget*>(QString::fromLatin1(c.objectName));
    ASSERT_NE(control, nullptr) << c.objectName;
    EXPECT_EQ(control->geometry(), c.geometry);
    EXPECT_EQ(control->isVisible(), c.shown);
    if (c.caption) {
        auto* button = qobject_cast<QPushButton*>(control);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf8(c.caption));
    } else {
        EXPECT_NE(qobject_cast<PictureView*>(control), nullptr);
    }
    w.form.hide();
}

INSTANTIATE_TEST_SUITE_P(Designed, Form1Controls,
                         ::testing::Values(ControlCase{"Picture1", nullptr, QRect(32, 24, 700, 525), true},
                                           ControlCase{"Command2", "izhod", QRect(696, 624, 33, 17), true},
                                           ControlCase{"Command5", "ponovi", QRect(656, 576, 73, 17), true},
                                           // Shown, Picture2 would cover Picture1 almost entirely.
                                           ControlCase{"Picture2", nullptr, QRect(48, 8, 700, 525), false},
                                           ControlCase{"Command3", "shrani na C:\\wimgx", QRect(616, 600, 113, 17),
                                                       true}),
                         [](const auto& info) { return std::string(info.param.objectName); });

TEST(Form1Layout, TabOrderIsPicture1Command2Command5Picture2Command3) {
    Window w({});
    const QStringList designed{"Picture1", "Command2", "Command5", "Picture2", "Command3"};
    QStringList order;
    QWidget* widget = w.form.picture1();
    do {
        if (designed.contains(widget->objectName())) order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != w.form.picture1() && order.size() < designed.size());
    EXPECT_EQ(order, designed);
}

TEST(Form1Layout, EveryCaptionFitsInsideItsButton) {
    Window w({});
    w.form.show();
    for (QPushButton* button : {w.form.command2(), w.form.command5(), w.form.command3()}) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        // The part of the button that the style leaves for the caption.
        const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QFontMetrics metrics(button->font());
        EXPECT_LE(metrics.horizontalAdvance(button->text()), contents.width())
            << button->text().toStdString() << " in " << QFontInfo(button->font()).family().toStdString();
        EXPECT_LE(metrics.ascent() + metrics.descent(), button->height()) << button->text().toStdString();
    }
    w.form.hide();
}

// The engine's colour is red + 256 green + 65536 blue; a wrong image format
// would show red and blue swapped or the picture shifted.
TEST(Form1Layout, ShowsThePictureAndTheWindowLayerPixelForPixel) {
    Window w({});
    const Colour orange = 255 + 256 * 128 + 65536 * 16;
    const Colour teal = 10 + 256 * 200 + 65536 * 180;
    w.session.picture1().row(7)[3] = Surface::toPixel(orange);
    w.session.picture1().row(524)[699] = Surface::toPixel(teal);
    w.session.form().row(1)[1] = Surface::toPixel(teal);
    w.session.form().row(563)[731] = Surface::toPixel(orange);
    w.form.resize(800, 700);
    const QImage window = w.form.grab().toImage();
    EXPECT_EQ(window.pixelColor(32 + 3, 24 + 7), QColor(255, 128, 16));
    EXPECT_EQ(window.pixelColor(32 + 699, 24 + 524), QColor(10, 200, 180));
    EXPECT_EQ(window.pixelColor(1, 1), QColor(10, 200, 180));
    EXPECT_EQ(window.pixelColor(731, 563), QColor(255, 128, 16));
    // Beyond the window layer the window is plain black.
    EXPECT_EQ(window.pixelColor(790, 690), QColor(Qt::black));
}

// ---------------------------------------------------------------- commands

// What the screen holds (the window's backing store, as the offscreen
// platform keeps it), not a fresh rendering of the widgets.
QImage onScreen(QWidget& window) {
    return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGBX8888);
}

// A finished picture is on the screen as painted, ornaments and greeting
// included, without waiting for any other event: the scan only shows its
// rows now and then, so the last rows and everything painted after the scan
// reach the screen only through the refresh at the end.
TEST(Form1Commands, AFinishedPictureIsOnTheScreenAtOnce) {
    Window w({"ana novak"});
    w.form.show();
    w.session.formLoad();
    const QImage screen = onScreen(w.form);
    const QImage picture = wrapSurfacePixels(w.session.picture1()).convertToFormat(QImage::Format_RGBX8888);
    EXPECT_TRUE(screen.copy(Form1::kPicture1Rect) == picture) << "the screen shows a stale picture";
    const QImage layer = wrapSurfacePixels(w.session.form()).convertToFormat(QImage::Format_RGBX8888);
    EXPECT_EQ(screen.copy(0, 0, 20, 20), layer.copy(0, 0, 20, 20)) << "the window layer's \"*\" is missing";
    w.form.hide();
}

TEST(Form1Commands, PonoviPaintsTheNextNamesPicture) {
    const Reference bor = referenceRun("bor");
    Window w({"ana", "bor"});
    w.session.formLoad();
    w.form.command5()->click();
    EXPECT_EQ(w.services.prompts, 2);
    EXPECT_EQ(pixelsOf(w.session.picture1()), bor.picture);
}

// "izhod" pressed while the scan is at a given row (pump 1 is the first row,
// the last pump the last row, after which the ornaments and the greeting
// would follow).
class IzhodWhilePainting : public ::testing::TestWithParam<int> {};

TEST_P(IzhodWhilePainting, StopsThePictureAndClosesTheWindow) {
    const Reference full = referenceRun("ana");
    ASSERT_GT(full.pumps, 0) << "the scan never lets window events run";
    const int row = GetParam() < 0 ? full.pumps : GetParam();

    Window w({"ana", "bor"});
    w.form.show();
    w.services.clickTarget = w.form.command2();
    w.services.clickAtPump = row;
    w.session.formLoad();

    EXPECT_TRUE(w.session.quitRequested());
    EXPECT_FALSE(w.form.isVisible());
    // The scan returned at once: no further row, no further prompt.
    EXPECT_EQ(w.services.pumps, row);
    EXPECT_EQ(w.services.prompts, 1);
    // The picture was not finished: nothing was printed on the window layer,
    // which a finished picture marks with its "*".
    Surface blackForm(PainterSession::kFormWidth, PainterSession::kFormHeight);
    EXPECT_EQ(pixelsOf(w.session.form()), pixelsOf(blackForm));
    EXPECT_NE(full.form, pixelsOf(blackForm)) << "a finished picture leaves its mark on the window";
}

INSTANTIATE_TEST_SUITE_P(Rows, IzhodWhilePainting, ::testing::Values(1, 263, -1), [](const auto& info) {
    return info.param < 0 ? std::string("LastRow") : "Row" + std::to_string(info.param);
});

// The program's own path: start-up from the event loop, "izhod" clicked in
// the middle of the first picture. The event loop must end and the picture
// must not be finished.
TEST(Form1Commands, IzhodWhilePaintingEndsTheProgramsEventLoop) {
    Window w({"ana"});
    w.services.clickTarget = w.form.command2();
    w.services.clickAtPump = 100;
    // Only against a hang: if "izhod" failed to end the loop, this would.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(30'000);

    w.form.open();
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(w.session.quitRequested());
    EXPECT_EQ(w.services.prompts, 1);
    EXPECT_EQ(w.services.pumps, 100);
}

// "ponovi" pressed while the scan is at a given row: the nested cycle asks for
// the next name and paints its whole picture; the interrupted scan then stops
// instead of painting its remaining rows over the new picture.
class PonoviWhilePainting : public ::testing::TestWithParam<int> {};

TEST_P(PonoviWhilePainting, PaintsTheNewPictureWholeAndDropsTheOld) {
    const Reference bor = referenceRun("bor");
    ASSERT_GT(bor.pumps, 0) << "the scan never lets window events run";
    const int row = GetParam();

    Window w({"ana", "bor"});
    w.form.show();
    w.services.clickTarget = w.form.command5();
    w.services.clickAtPump = row;
    w.session.formLoad();

    EXPECT_FALSE(w.session.quitRequested());
    EXPECT_TRUE(w.form.isVisible());
    EXPECT_EQ(w.services.prompts, 2);
    EXPECT_EQ(w.services.pumps, row + bor.pumps);
    EXPECT_EQ(pixelsOf(w.session.picture1()), bor.picture);
    EXPECT_EQ(pixelsOf(w.session.form()), bor.form);
    w.form.hide();
}

INSTANTIATE_TEST_SUITE_P(Rows, PonoviWhilePainting, ::testing::Values(1, 200, 526));

// ---------------------------------------------------------------- services

// Runs `answer` on the modal dialog that the code under test opens next.
void whenModalOpens(std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, qApp, [answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        answer(modal);
    });
}

struct PromptCase {
    const char* name;
    bool confirm;
    const char* typed;
    const char* expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const PromptCase& c, std::ostream* os) { *os << c.name; }

class NamePrompt : public ::testing::TestWithParam<PromptCase> {};

TEST_P(NamePrompt, IsEmptyTwoLinedPlacedAndAnswersTheTypedTextOrNothing) {
    const PromptCase& c = GetParam();
    Window w({});
    QtWindowServices services;
    services.attach(&w.form);

    QString label, initial, title;
    QPoint position;
    for (int attempt = 0; attempt < 2; ++attempt) {
        whenModalOpens([&](QWidget* modal) {
            auto* dialog = qobject_cast<QInputDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            label = dialog->labelText();
            initial = dialog->textValue();
            title = dialog->windowTitle();
            position = dialog->pos();
            dialog->setTextValue(QString::fromUtf8(c.typed));
            c.confirm ? dialog->accept() : dialog->reject();
        });
        const QString answer = services.askName("vnesi tvoje ime in priimek\rsamo male črke bre čšž", QPoint(33, 580));
        EXPECT_EQ(answer, QString::fromUtf8(c.expected));
        // A second prompt starts empty again, whatever was typed before.
        EXPECT_EQ(initial, QString());
        EXPECT_EQ(label, "vnesi tvoje ime in priimek\nsamo male črke bre čšž");
        EXPECT_EQ(title, "painter");
        EXPECT_EQ(position, QPoint(33, 580));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, NamePrompt,
                         ::testing::Values(PromptCase{"Confirmed", true, "ana novak", "ana novak"},
                                           PromptCase{"ConfirmedRejectable", true, "Ana", "Ana"},
                                           PromptCase{"Cancelled", false, "ana", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WindowServices, SavedShowsTheWholePathBesideTheSaveButton) {
    Window w({});
    w.form.show();
    const QString path = "/home/user/wimgx/T20110101093005.bmp";
    w.services.saved(path);
    QLabel* label = w.form.savedPathLabel();
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->text(), path);
    // Left of the buttons and below the picture, clear of both.
    EXPECT_FALSE(label->geometry().intersects(w.form.command3()->geometry()));
    EXPECT_FALSE(label->geometry().intersects(w.form.command5()->geometry()));
    EXPECT_GE(label->geometry().top(), Form1::kPicture1Rect.bottom() + 1);
    w.form.hide();
}

TEST(WindowServices, SaveFailureIsAWarningAndTheWindowStaysOpen) {
    Window w({});
    w.form.show();
    QString shown;
    whenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        shown = box->text();
        box->accept();
    });
    w.services.saveFailed("cannot write /nowhere/T1.bmp");
    EXPECT_EQ(shown, "cannot write /nowhere/T1.bmp");
    EXPECT_TRUE(w.form.isVisible());
    EXPECT_FALSE(w.session.quitRequested());
    w.form.hide();
}

// A save into a folder that cannot exist (below a regular file) reaches the
// user as a warning from the real save path, and the program goes on.
TEST(Form1Commands, ShraniIntoAnImpossibleFolderWarnsAndCarriesOn) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    QFile blocker(scratch.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Window w({"ana"}, scratch.filePath("file/wimgx"));
    w.form.show();
    w.session.formLoad();

    bool warned = false;
    whenModalOpens([&](QWidget* modal) {
        warned = qobject_cast<QMessageBox*>(modal) != nullptr;
        modal->close();
    });
    w.form.command3()->click();
    EXPECT_TRUE(warned);
    EXPECT_FALSE(w.form.savedPathLabel()->isVisible());
    EXPECT_TRUE(w.form.isVisible());
    w.form.hide();
}

TEST(Form1Commands, ShraniShowsTheWrittenFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    Window w({"ana"}, folder.path());
    w.form.show();
    w.session.formLoad();
    w.form.command3()->click();
    const QString written = w.session.lastSavedPath();
    ASSERT_FALSE(written.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(written)) << written.toStdString();
    EXPECT_EQ(w.form.savedPathLabel()->toolTip(), written);
    w.form.hide();
}

// ---------------------------------------------------------------- what the window says

// Lit pixels in the band beside "shrani na C:\wimgx" where the saved file's
// path is shown, on the screen as the window last painted it.
int litInPathBand(QWidget& window) {
    // What the event loop would show by now: a label shown or hidden takes
    // more than one pass (its update is posted from within another event).
    for (int pass = 0; pass < 5; ++pass) QApplication::processEvents();
    const QImage band = onScreen(window).copy(Form1::kSavedPathRect);
    int lit = 0;
    for (int y = 0; y < band.height(); ++y)
        for (int x = 0; x < band.width(); ++x) lit += qGray(band.pixel(x, y)) > 64;
    return lit;
}

struct SavedPathCase {
    const char* name;
    std::function<void(Window&)> then;  // after "ana novak" was painted and saved
    bool shown;
};

void PrintTo(const SavedPathCase& c, std::ostream* os) { *os << c.name; }

class SavedPath : public ::testing::TestWithParam<SavedPathCase> {};

// The path beside the save button names the picture on screen, or nothing:
// checked in the widget tree and on the screen.
TEST_P(SavedPath, ShowsOnlyWhileItNamesThePictureOnScreen) {
    const SavedPathCase& c = GetParam();
    QTemporaryDir folder;
    Window w({"ana novak", "bor zupan"}, folder.path());
    w.form.show();
    w.session.formLoad();
    w.form.command3()->click();
    ASSERT_TRUE(w.form.savedPathLabel()->isVisible());
    ASSERT_GT(litInPathBand(w.form), 0) << "the path of a save is not on the screen";

    c.then(w);
    QLabel* label = w.form.savedPathLabel();
    EXPECT_EQ(label->isVisible(), c.shown);
    if (c.shown) {
        EXPECT_EQ(label->toolTip(), w.session.lastSavedPath());
        EXPECT_GT(litInPathBand(w.form), 0);
    } else {
        EXPECT_EQ(label->text(), QString());
        EXPECT_EQ(label->toolTip(), QString());
        EXPECT_EQ(litInPathBand(w.form), 0) << "a path shows under a picture it does not name";
    }
    w.form.hide();
}

INSTANTIATE_TEST_SUITE_P(
    After, SavedPath,
    ::testing::Values(SavedPathCase{"Ponovi", [](Window& w) { w.form.command5()->click(); }, false},
                      SavedPathCase{"SavedAgain", [](Window& w) { w.form.command3()->click(); }, true},
                      SavedPathCase{"PonoviAndSaved",
                                    [](Window& w) {
                                        w.form.command5()->click();
                                        w.form.command3()->click();
                                    },
                                    true},
                      SavedPathCase{"PrintCancelled",
                                    [](Window& w) {
                                        testing::onNextModal([](QWidget* modal) { modal->close(); });
                                        w.form.printAction()->trigger();
                                    },
                                    true}),
    [](const auto& info) { return std::string(info.param.name); });

// While the next picture is painted, the first one's path is already gone.
TEST(SavedPath, IsGoneWhileTheNextPictureIsPainted) {
    QTemporaryDir folder;
    Window w({"ana novak", "bor zupan"}, folder.path());
    w.form.show();
    w.session.formLoad();
    w.form.command3()->click();
    const int firstPumps = w.services.pumps;
    bool looked = false, shownWhilePainting = true;
    int lit = -1;
    w.services.atPump = [&](int pump) {
        if (pump != firstPumps + 200) return;
        looked = true;
        shownWhilePainting = w.form.savedPathLabel()->isVisible();
        lit = litInPathBand(w.form);
    };
    w.form.command5()->click();
    ASSERT_TRUE(looked);
    EXPECT_FALSE(shownWhilePainting);
    EXPECT_EQ(lit, 0);
    w.form.hide();
}

struct AfterAnotherCase {
    const char* previous;
    bool likeTheFirstPicture;
};

void PrintTo(const AfterAnotherCase& c, std::ostream* os) { *os << c.previous; }

class NameAfterAnother : public ::testing::TestWithParam<AfterAnotherCase> {};

// "bor hribar" marks with circles only where the picture is still black and
// fills them with the colour the previous picture left. After a picture that
// leaves a colour ("ana novak"), its marks, and from them the sampled colours
// and the ornaments, all change; after one that leaves black ("ana bizjak")
// it is its first picture. The first picture is what the command line paints.
TEST_P(NameAfterAnother, ChangesMarksColoursAndOrnamentsOnlyAfterACarriedColour) {
    const AfterAnotherCase& c = GetParam();
    PictureFacts firstFacts;
    const FirstPicture first("bor hribar", {.facts = &firstFacts});
    const std::vector<std::uint32_t> firstPixels = pixelsOf(first.surface());
    EXPECT_EQ(referenceRun("bor hribar").picture, firstPixels) << "a fresh window paints another picture";

    Window w({c.previous, "bor hribar"});
    w.session.formLoad();
    const bool carried = w.session.state().fillColor != 0;
    ASSERT_EQ(carried, !c.likeTheFirstPicture) << "the case no longer shows what it is named for";
    PictureFacts facts;
    w.session.platform().facts = &facts;
    w.form.command5()->click();
    const std::vector<std::uint32_t> pixels = pixelsOf(w.session.picture1());
    if (c.likeTheFirstPicture) {
        EXPECT_EQ(pixels, firstPixels);
        return;
    }
    int differ = 0, firstRowDiffering = -1;
    for (std::size_t k = 0; k < pixels.size(); ++k)
        if (pixels[k] != firstPixels[k]) {
            ++differ;
            if (firstRowDiffering < 0) firstRowDiffering = static_cast<int>(k / Surface::kPictureWidth);
        }
    EXPECT_GT(differ, static_cast<int>(pixels.size() / 2)) << "more than the fills should differ";
    EXPECT_EQ(firstRowDiffering, 0) << "the marks differ from the first row on";
    EXPECT_NE(w.session.state().sampletab, first.state().sampletab) << "the sampled colours follow the field";
    EXPECT_NE(facts.apexColumn, firstFacts.apexColumn) << "the ornaments move with the sampling's draws";
}

INSTANTIATE_TEST_SUITE_P(Previous, NameAfterAnother,
                         ::testing::Values(AfterAnotherCase{"ana bizjak", true}, AfterAnotherCase{"ana novak", false}),
                         [](const auto& info) {
                             std::string n = info.param.previous;
                             std::replace(n.begin(), n.end(), ' ', '_');
                             return n;
                         });

// Printing asked for while the picture is painted.
enum class Answer { Cancel, Wait, WaitThenPonovi };

struct UnfinishedCase {
    const char* name;
    bool pdf;  // "Shrani kot PDF …" instead of "Natisni …"
    Answer answer;
    const char* afterwards;  // the box's second line
    bool dialogAfterwards;   // the print (or file) dialog opens once finished
};

void PrintTo(const UnfinishedCase& c, std::ostream* os) { *os << c.name; }

class PrintWhilePainting : public ::testing::TestWithParam<UnfinishedCase> {};

TEST_P(PrintWhilePainting, SaysThePictureIsNotFinishedAndOffersToWait) {
    const UnfinishedCase& c = GetParam();
    // The file dialog keeps its history in the user's settings: a test's own.
    QStandardPaths::setTestModeEnabled(true);
    const Reference ana = referenceRun("ana");
    QTemporaryDir folder;
    Window w({"ana", "bor"}, folder.path());
    w.form.show();
    QAction* action = c.pdf ? w.form.savePdfAction() : w.form.printAction();
    w.services.atPump = [&](int pump) {
        if (pump == 50) QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
        if (pump == 100 && c.answer == Answer::WaitThenPonovi)
            QMetaObject::invokeMethod(w.form.command5(), &QAbstractButton::click, Qt::QueuedConnection);
    };
    QString text, informative;
    QStringList buttons;
    testing::onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) modal->close();  // a print dialog over the unfinished picture: no hang
        ASSERT_NE(box, nullptr) << "no word that the picture is not finished";
        text = box->text();
        informative = box->informativeText();
        for (QAbstractButton* b : box->buttons()) buttons << b->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == (c.answer == Answer::Cancel ? "Prekliči" : "Počakaj")) b->click();
    });
    w.session.formLoad();
    EXPECT_EQ(text, "Slika še ni dokončana.");
    EXPECT_EQ(informative, QString::fromUtf8(c.afterwards));
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"Počakaj", "Prekliči"}));
    if (c.answer != Answer::WaitThenPonovi) {
        EXPECT_EQ(pixelsOf(w.session.picture1()), ana.picture);
    }

    // Whatever opens once the cycle is over is answered into a file.
    int dialogs = 0;
    const QString file = folder.filePath("ana.pdf");  // also the name the print dialog suggests
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        ++dialogs;
        if (auto* files = qobject_cast<QFileDialog*>(modal)) files->selectFile(file);
        static_cast<QDialog*>(modal)->accept();
    });
    poll.start(10);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 1500) QApplication::processEvents(QEventLoop::AllEvents, 50);
    poll.stop();
    EXPECT_EQ(dialogs, c.dialogAfterwards ? 1 : 0);
    if (c.dialogAfterwards) {
        const QList<QImage> images = testing::pdfImages(file);
        ASSERT_EQ(images.size(), 1);
        EXPECT_EQ(images[0], surfaceImage(w.session.picture1())) << "not the finished picture";
    }
    w.form.hide();
    QStandardPaths::setTestModeEnabled(false);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PrintWhilePainting,
    ::testing::Values(
        UnfinishedCase{"PrintCancelled", false, Answer::Cancel, "Ko bo dokončana, jo natisnem.", false},
        UnfinishedCase{"PrintWaited", false, Answer::Wait, "Ko bo dokončana, jo natisnem.", true},
        UnfinishedCase{"PrintWaitedThenPonovi", false, Answer::WaitThenPonovi, "Ko bo dokončana, jo natisnem.",
                       false},
        UnfinishedCase{"PdfWaited", true, Answer::Wait, "Ko bo dokončana, jo shranim kot PDF.", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace painter
