#pragma once
// The program's only window: the picture, the hidden second surface, the three
// command buttons and the window's own drawing layer (the "*" after each
// picture and the save marker). It holds no picture logic: every command goes
// to the PainterSession, which may run nested inside a picture that is still
// being painted.

#include "platform/surface.h"

#include <QFont>
#include <QRect>
#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class QPushButton;

namespace painter {

class PainterSession;
class PictureView;

class Form1 : public QWidget {
    Q_OBJECT
public:
    // Positions and sizes in pixels (15 twips each), as the window was designed.
    static constexpr QRect kPicture1Rect{32, 24, Surface::kPictureWidth, Surface::kPictureHeight};
    static constexpr QRect kPicture2Rect{48, 8, Surface::kPictureWidth, Surface::kPictureHeight};
    static constexpr QRect kCommand2Rect{696, 624, 33, 17};   // "izhod"
    static constexpr QRect kCommand5Rect{656, 576, 73, 17};   // "ponovi"
    static constexpr QRect kCommand3Rect{616, 600, 113, 17};  // "shrani na C:\wimgx"
    // The free band left of the buttons, beside "shrani na C:\wimgx".
    static constexpr QRect kSavedPathRect{32, 600, 576, 17};

    explicit Form1(PainterSession& session, QWidget* parent = nullptr);

    // Makes this the program's window: shows it maximized, runs start-up from
    // the event loop right after (so the first name prompt appears over the
    // shown, empty window), and ends the event loop when the window closes.
    void open();

    // The file a save has written, shown beside the save button while that
    // file holds the picture on screen.
    void showSavedPath(const QString& path);
    // A new picture replaces the one on screen: the path no longer names it,
    // and a print waiting for the old picture is dropped.
    void pictureBegun();
    // The picture on screen is finished: a print or PDF asked for while it
    // was painted, and waited for, goes ahead now.
    void pictureFinished();

    PictureView* picture1() const { return picture1_; }
    PictureView* picture2() const { return picture2_; }
    QPushButton* command2() const { return command2_; }
    QPushButton* command3() const { return command3_; }
    QPushButton* command5() const { return command5_; }
    QLabel* savedPathLabel() const { return savedPath_; }
    // Printing reaches the window without a control of its own: Ctrl+P and
    // the picture's context menu.
    QAction* printAction() const { return print_; }
    QAction* savePdfAction() const { return savePdf_; }

    // A narrow font whose captions fit the designed 17-pixel buttons.
    static QFont smallFont();

signals:
    // The window was closed ("izhod" or the window's close control) and every
    // running picture told to stop; the program should end now.
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* makeButton(const char* objectName, const QString& caption, const QRect& geometry);
    // Runs `use` on a finished picture; while the picture is still painted,
    // says so and offers to run it once the picture is finished.
    void whenFinished(const QString& afterwards, std::function<void()> use);
    QString pictureTitle() const;
    QString suggestedPdfPath() const;

    PainterSession& session_;
    PictureView* picture1_;
    PictureView* picture2_;
    QPushButton* command2_;
    QPushButton* command5_;
    QPushButton* command3_;
    QLabel* savedPath_;
    QAction* print_;
    QAction* savePdf_;
    std::function<void()> waiting_;  // what runs when the picture is finished
};

}  // namespace painter
