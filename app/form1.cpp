#include "app/form1.h"

#include "app/picture_view.h"
#include "app/print_card.h"
#include "output/picture_file.h"
#include "session/picture_cycle.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace painter {

QFont Form1::smallFont() {
    QFont font;
    // Condensed faces first: the longest caption must fit 113 pixels.
    font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Arial Narrow"), QStringLiteral("Tahoma"),
                      QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(10);
    return font;
}

Form1::Form1(PainterSession& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setMinimumSize(PainterSession::kFormWidth, PainterSession::kFormHeight);

    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    setPalette(black);
    setAutoFillBackground(true);

    // Created in the designed tab order: Picture1, Command2, Command5, Picture2, Command3.
    picture1_ = new PictureView(session_.picture1(), this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(kPicture1Rect);
    picture1_->setFocusPolicy(Qt::TabFocus);

    command2_ = makeButton("Command2", QStringLiteral("izhod"), kCommand2Rect);
    command5_ = makeButton("Command5", QStringLiteral("ponovi"), kCommand5Rect);

    // The save copies into Picture2; the user never needs to see it, and shown
    // it would cover most of Picture1.
    picture2_ = new PictureView(session_.picture2(), this);
    picture2_->setObjectName(QStringLiteral("Picture2"));
    picture2_->setGeometry(kPicture2Rect);
    picture2_->setFocusPolicy(Qt::TabFocus);
    picture2_->hide();

    command3_ = makeButton("Command3", QStringLiteral("shrani na C:\\wimgx"), kCommand3Rect);

    setTabOrder(picture1_, command2_);
    setTabOrder(command2_, command5_);
    setTabOrder(command5_, picture2_);
    setTabOrder(picture2_, command3_);

    savedPath_ = new QLabel(this);
    savedPath_->setObjectName(QStringLiteral("SavedPath"));
    savedPath_->setGeometry(kSavedPathRect);
    savedPath_->setFont(smallFont());
    savedPath_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    savedPath_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    savedPath_->hide();

    connect(command5_, &QPushButton::clicked, this, [this] { session_.ponovi(); });
    connect(command3_, &QPushButton::clicked, this, [this] { session_.shrani(); });
    connect(command2_, &QPushButton::clicked, this, &QWidget::close);

    // Printing and the PDF take the picture as it stands, once it is finished.
    auto card = [this] { return surfaceImage(session_.picture1()); };
    print_ = new QAction(QStringLiteral("Natisni …"), this);
    print_->setShortcut(QKeySequence::Print);
    print_->setShortcutContext(Qt::WindowShortcut);
    connect(print_, &QAction::triggered, this, [=, this] {
        whenFinished(QStringLiteral("Ko bo dokončana, jo natisnem."),
                     [=, this] { printCardWithDialog(this, card(), pictureTitle(), suggestedPdfPath()); });
    });
    savePdf_ = new QAction(QStringLiteral("Shrani kot PDF …"), this);
    connect(savePdf_, &QAction::triggered, this, [=, this] {
        whenFinished(QStringLiteral("Ko bo dokončana, jo shranim kot PDF."),
                     [=, this] { saveCardPdfWithDialog(this, card(), pictureTitle(), suggestedPdfPath()); });
    });
    picture1_->addAction(print_);
    picture1_->addAction(savePdf_);
    picture1_->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QPushButton* Form1::makeButton(const char* objectName, const QString& caption, const QRect& geometry) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setFont(smallFont());
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    // Black behind the button's rounded corners instead of the style's grey.
    button->setAutoFillBackground(false);
    return button;
}

void Form1::open() {
    // exit() rather than quit(): it cannot be refused, and it also ends the
    // event loops of dialogs still open inside a running picture.
    connect(this, &Form1::closed, qApp, [] { QCoreApplication::exit(0); });
    showMaximized();
    QTimer::singleShot(0, this, [this] { session_.formLoad(); });
}

QString Form1::pictureTitle() const {
    return session_.state().t.isEmpty() ? QStringLiteral("prazno") : session_.state().t;
}

QString Form1::suggestedPdfPath() const {
    QString file = pictureTitle();
    file.replace(QLatin1Char(' '), QLatin1Char('-'));
    return QDir(session_.platform().folder).filePath(file + ".pdf");
}

void Form1::whenFinished(const QString& afterwards, std::function<void()> use) {
    if (session_.pictureFinished()) {
        use();
        return;
    }
    // Asked while the scan lets events run: the picture waits while this is
    // open, and what is there so far has neither ornaments nor greeting.
    QMessageBox box(QMessageBox::Information, QGuiApplication::applicationDisplayName(),
                    QStringLiteral("Slika še ni dokončana."), QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("NotFinished"));
    box.setInformativeText(afterwards);
    QPushButton* wait = box.addButton(QStringLiteral("Počakaj"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Prekliči"), QMessageBox::RejectRole);
    box.setDefaultButton(wait);
    box.exec();
    if (box.clickedButton() == wait) waiting_ = std::move(use);
}

void Form1::pictureBegun() {
    savedPath_->hide();
    savedPath_->clear();
    savedPath_->setToolTip(QString());
    waiting_ = nullptr;
}

void Form1::pictureFinished() {
    if (!waiting_) return;
    // After the picture cycle has returned, not inside it.
    QTimer::singleShot(0, this, [use = std::exchange(waiting_, nullptr)] { use(); });
}

void Form1::showSavedPath(const QString& path) {
    // The whole path stays in the tooltip when the band is too narrow for it.
    const QFontMetrics metrics(savedPath_->font());
    savedPath_->setText(metrics.elidedText(path, Qt::ElideMiddle, savedPath_->width()));
    savedPath_->setToolTip(path);
    savedPath_->show();
}

void Form1::paintEvent(QPaintEvent* event) {
    // The background (black) is already filled; the window's drawing layer
    // covers the designed client area from the top-left corner.
    QPainter painter(this);
    const QRect r = event->rect() & QRect(0, 0, PainterSession::kFormWidth, PainterSession::kFormHeight);
    if (!r.isEmpty()) painter.drawImage(r.topLeft(), wrapSurfacePixels(session_.form()), r);
}

void Form1::closeEvent(QCloseEvent* event) {
    // "izhod" and the window's close control both end the program at once, also
    // in the middle of a picture: the running scan sees the stop at its next
    // row and returns; whoever runs the event loop ends it on closed().
    session_.izhod();
    event->accept();
    emit closed();
}

}  // namespace painter
