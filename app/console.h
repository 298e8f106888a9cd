#pragma once
// The command line's two streams and the name it signs its messages with,
// shared by every way of running so their output never interleaves.

#include <QCoreApplication>
#include <QString>
#include <QTextStream>

namespace painter {

inline QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

inline QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

inline QString programName() { return QCoreApplication::applicationName(); }

}  // namespace painter
