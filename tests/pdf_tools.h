#pragma once
// Reading PDFs in tests with poppler-utils, as a PDF viewer would.

#include <QDir>
#include <QImage>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace painter::testing {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
};

inline ToolRun runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) return {};
    return {process.exitCode(), process.readAllStandardOutput() + process.readAllStandardError()};
}

// The embedded images of a PDF, in document order, as pdfimages extracts them.
inline QList<QImage> pdfImages(const QString& pdf) {
    QTemporaryDir dir;
    const ToolRun t = runTool("pdfimages", {"-png", pdf, dir.filePath("img")});
    EXPECT_EQ(t.exitCode, 0) << "pdfimages (poppler-utils) is needed: " << t.out.toStdString();
    QList<QImage> images;
    for (const QString& f : QDir(dir.path()).entryList({"img-*.png"}, QDir::Files, QDir::Name))
        images << QImage(dir.filePath(f)).convertToFormat(QImage::Format_RGB888);
    return images;
}

inline QString pdfInfo(const QString& pdf) { return QString::fromUtf8(runTool("pdfinfo", {pdf}).out); }

}  // namespace painter::testing
