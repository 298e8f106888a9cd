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

// The text a reader copies out of a PDF, as pdftotext gives it.
inline QString pdfText(const QString& pdf) { return QString::fromUtf8(runTool("pdftotext", {pdf, "-"}).out); }

// pdffonts' table: one line per font, "name type encoding emb sub uni ...".
inline QString pdfFonts(const QString& pdf) { return QString::fromUtf8(runTool("pdffonts", {pdf}).out); }

struct PdfImageListing {
    int page = 0;
    int width = 0, height = 0;  // pixels
    int xPpi = 0, yPpi = 0;     // at the size the page prints it
};

// pdfimages -list: every image with the pixels per inch it prints at.
inline QList<PdfImageListing> pdfImageList(const QString& pdf) {
    const ToolRun t = runTool("pdfimages", {"-list", pdf});
    EXPECT_EQ(t.exitCode, 0) << t.out.toStdString();
    QList<PdfImageListing> list;
    for (const QString& line : QString::fromUtf8(t.out).split('\n')) {
        const QStringList f = line.split(' ', Qt::SkipEmptyParts);
        bool number = false;
        if (f.size() < 14 || (f[0].toInt(&number), !number)) continue;  // the heading and its rule
        list << PdfImageListing{f[0].toInt(), f[3].toInt(), f[4].toInt(), f[12].toInt(), f[13].toInt()};
    }
    return list;
}

// Page `page` (1-based) as a viewer shows it at `dpi`, rendered by pdftoppm.
inline QImage pdfPageImage(const QString& pdf, int page, int dpi) {
    QTemporaryDir dir;
    const QString p = QString::number(page);
    const ToolRun t =
        runTool("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", p, "-l", p, "-singlefile", pdf, dir.filePath("page")});
    EXPECT_EQ(t.exitCode, 0) << "pdftoppm (poppler-utils) is needed: " << t.out.toStdString();
    return QImage(dir.filePath("page.png")).convertToFormat(QImage::Format_RGB888);
}

}  // namespace painter::testing
