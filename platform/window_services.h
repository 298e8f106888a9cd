#pragma once
// What a picture cycle needs from whoever shows it: the modal name prompt, the
// event pump between scan rows, a refresh of what is on screen, and the report
// of a save. The window implements it with Qt Widgets; the command line and the
// tests implement it without a display.

#include <QPoint>
#include <QString>
#include <QStringList>

namespace painter {

class WindowServices {
public:
    virtual ~WindowServices() = default;

    // Modal text prompt: `text` may hold "\r" to break lines; `topLeft` is the
    // prompt's position on the screen in pixels. Returns the typed text, or the
    // empty text when the user cancels.
    virtual QString askName(const QString& text, QPoint topLeft) = 0;

    // Let pending window events run (once per row of the scan). Commands the
    // user gives here run nested inside the running picture.
    virtual void processPendingEvents() = 0;

    // The surfaces changed outside the scan (a finished picture, the save
    // marker): show them now.
    virtual void refresh() = 0;

    // Outcome of a save: the full path written, or a message for the user.
    virtual void saved(const QString& path) = 0;
    virtual void saveFailed(const QString& message) = 0;

    // A named picture starts to replace the one on screen, and a picture is
    // finished (field, ornaments, greeting). Whatever was said about the
    // previous picture stops being true at the first.
    virtual void pictureBegun() {}
    virtual void pictureFinished() {}
};

// A WindowServices that shows nothing: names come from a list, the pump does
// nothing, and save outcomes are remembered. Used without a display.
class QuietServices : public WindowServices {
public:
    QStringList names;  // answers of the prompt, in order; then ""
    int promptsShown = 0;
    QString lastSaved, lastError;

    QString askName(const QString&, QPoint) override {
        ++promptsShown;
        return names.isEmpty() ? QString() : names.takeFirst();
    }
    void processPendingEvents() override {}
    void refresh() override {}
    void saved(const QString& path) override {
        lastSaved = path;
        lastError.clear();
    }
    void saveFailed(const QString& message) override { lastError = message; }
};

}  // namespace painter
