#pragma once
// Writing and reading a test's small files.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace painter::testing {

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// The file's bytes; empty when it cannot be read.
inline QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace painter::testing
