#include "app/qt_window_services.h"

#include "app/form1.h"
#include "app/picture_view.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace painter {

QString QtWindowServices::askName(const QString& text, QPoint topLeft) {
    QInputDialog dialog(form_);
    dialog.setObjectName(QStringLiteral("NamePrompt"));
    dialog.setWindowTitle(QGuiApplication::applicationDisplayName());
    dialog.setInputMode(QInputDialog::TextInput);
    // The prompt breaks its lines with a carriage return; a label breaks at "\n".
    QString label = text;
    label.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    dialog.setLabelText(label);
    dialog.setTextValue(QString());
    // An explicit position (WA_Moved) keeps the dialog from centring itself on the window.
    dialog.move(topLeft);
    if (dialog.exec() != QDialog::Accepted) return QString();
    return dialog.textValue();
}

void QtWindowServices::processPendingEvents() {
    QCoreApplication::processEvents();
    if (!form_) return;
    // Redrawing 700 x 525 pixels per row would cost more than painting the
    // row, so the picture is shown at the screen's pace only.
    if (!sinceRepaint_.isValid() || sinceRepaint_.elapsed() >= kRepaintIntervalMs) {
        form_->picture1()->repaint();
        sinceRepaint_.start();
    }
}

void QtWindowServices::refresh() {
    if (!form_) return;
    // Both the picture and the window layer ("*", save marker) may have changed.
    // Repainting the window alone leaves the picture stale: Qt does not redraw
    // an opaque child with its parent.
    form_->repaint();
    form_->picture1()->repaint();
    sinceRepaint_.start();
}

void QtWindowServices::saved(const QString& path) {
    if (form_) form_->showSavedPath(path);
}

void QtWindowServices::saveFailed(const QString& message) {
    QMessageBox::warning(form_, QGuiApplication::applicationDisplayName(), message);
}

void QtWindowServices::pictureBegun() {
    if (form_) form_->pictureBegun();
}

void QtWindowServices::pictureFinished() {
    if (form_) form_->pictureFinished();
}

}  // namespace painter
