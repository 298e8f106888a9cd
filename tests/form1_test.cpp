// The window: its controls as designed, and the commands given while a picture
// is still being painted, which run nested inside the scan's event pump.

#include "app/form1.h"
#include "app/picture_view.h"
#include "app/qt_window_services.h"
#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/surface.h"
#include "session/picture_cycle.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>

#include "qt_printers.h"

#include <gtest/gtest.h>

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

    QString askName(const QString&, QPoint) override {
        ++prompts;
        return names.isEmpty() ? QString() : names.takeFirst();
    }
    void processPendingEvents() override {
        ++pumps;
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

}  // namespace
}  // namespace painter
