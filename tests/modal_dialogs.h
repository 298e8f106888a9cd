#pragma once
// Answering the modal dialogs that the window opens, as a user would.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace painter::testing {

// Runs `answer` on the modal dialog that the code under test opens next. The
// dialog is waited for, since building it may run events before it shows;
// after ten seconds without one the test fails instead of hanging.
inline void onNextModal(std::function<void(QWidget*)> answer) {
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

}  // namespace painter::testing
