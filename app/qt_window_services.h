#pragma once
// The window's side of a picture cycle, done with Qt Widgets: the modal name
// prompt, the event pump between scan rows, showing the surfaces, and the
// report of a save.

#include "platform/window_services.h"

#include <QElapsedTimer>
#include <QPointer>

namespace painter {

class Form1;

class QtWindowServices : public WindowServices {
public:
    // The scan pumps events once per row, some hundred times faster than a
    // screen refreshes; the picture is redrawn at most this often.
    static constexpr qint64 kRepaintIntervalMs = 16;

    QtWindowServices() = default;

    // The window whose surfaces are shown and over which the dialogs appear.
    // Attached after construction because the window needs the session, and
    // the session needs these services.
    void attach(Form1* form) { form_ = form; }

    QString askName(const QString& text, QPoint topLeft) override;
    void processPendingEvents() override;
    void refresh() override;
    void saved(const QString& path) override;
    void saveFailed(const QString& message) override;
    void pictureBegun() override;
    void pictureFinished() override;

private:
    QPointer<Form1> form_;
    QElapsedTimer sinceRepaint_;
};

}  // namespace painter
