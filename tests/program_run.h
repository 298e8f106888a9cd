#pragma once
// Running the built program in the tests: with no display, bounded in time, so
// a program that hangs fails its test instead of stalling the suite.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <signal.h>

namespace painter {

struct ProgramRun {
    int exitCode = -1;  // -1: it did not end by itself in time, or crashed
    QString out, err;
    QByteArray outBytes;
};

inline QProcessEnvironment headlessEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No display: the program must not need one for these options.
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    environment.insert("PAINTER", QStringLiteral(PAINTER_EXECUTABLE));
    return environment;
}

inline ProgramRun finish(QProcess& process, int timeoutMs) {
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit) return {};
    const QByteArray out = process.readAllStandardOutput();
    return {process.exitCode(), QString::fromUtf8(out), QString::fromUtf8(process.readAllStandardError()), out};
}

inline ProgramRun runPainterProgram(const QStringList& arguments, const QByteArray& input = {},
                                    const QProcessEnvironment& environment = headlessEnvironment(),
                                    int timeoutMs = 120000) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PAINTER_EXECUTABLE), arguments);
    process.write(input);
    process.closeWriteChannel();
    return finish(process, timeoutMs);
}

// Runs the program until its standard error holds `mark` (the first picture's
// progress, "/40] "), then sends it `signal` and waits for its end. `before`
// gets what standard error held until then; the run's `err` holds the rest.
// An exit code of -1: the mark never came, or the program did not end.
inline ProgramRun stopOnceReported(const QStringList& arguments, const QByteArray& mark, int signal,
                                   QByteArray& before) {
    QProcess process;
    process.setProcessEnvironment(headlessEnvironment());
    process.start(QStringLiteral(PAINTER_EXECUTABLE), arguments);
    process.setReadChannel(QProcess::StandardError);
    while (!before.contains(mark) && process.waitForReadyRead(60000)) before += process.readAllStandardError();
    if (!before.contains(mark)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    ::kill(static_cast<pid_t>(process.processId()), signal);
    return finish(process, 60000);
}

// A bash command line, for what only a shell gives: a closed standard input,
// a process substitution. The program is "$PAINTER"; positional arguments are
// $1, $2, ...
inline ProgramRun runShell(const QString& script, const QStringList& arguments = {}, int timeoutMs = 120000) {
    QProcess process;
    process.setProcessEnvironment(headlessEnvironment());
    process.start(QStringLiteral("bash"), QStringList{"-c", script, "bash"} + arguments);
    process.closeWriteChannel();
    return finish(process, timeoutMs);
}

}  // namespace painter
