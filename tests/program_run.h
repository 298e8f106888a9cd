#pragma once
// Running the built program in the tests: with no display, bounded in time, so
// a program that hangs fails its test instead of stalling the suite.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

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
