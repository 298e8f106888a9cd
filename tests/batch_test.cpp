// Pictures for a list of names, and what a name decides.
#include "session/batch.h"
#include "output/picture_file.h"
#include "session/describe.h"
#include "test_support.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace painter {
namespace {

TEST(PictureFileNames, BlanksEmptyAndRepeatedNames) {
    PictureFileNames names;
    const struct {
        const char* name;
        const char* file;
    } cases[] = {{"ana novak", "ana-novak.bmp"}, {"", "prazno.bmp"},     {"ana novak", "ana-novak-2.bmp"},
                 {"  ana", "ana.bmp"},           {"", "prazno-2.bmp"},   {"ana novak", "ana-novak-3.bmp"},
                 {"ana", "ana-2.bmp"},           {"   ", "prazno-3.bmp"}};
    for (auto c : cases) EXPECT_EQ(names.next(QString::fromLatin1(c.name), "bmp"), c.file) << c.name;
}

TEST(NameList, LinesBlankLinesAndLineEnds) {
    QByteArray text = "ana novak\r\n\n   \nbor\n\xc4\x8d\x61\x62\x61\nlast without end";
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    const QList<NameLine> lines = readNameList(buffer);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].line, 1);
    EXPECT_EQ(lines[0].name, "ana novak");
    EXPECT_EQ(lines[1].line, 4);
    EXPECT_EQ(lines[1].name, "bor");
    EXPECT_EQ(lines[2].name, QStringLiteral("čaba"));
    EXPECT_EQ(lines[3].line, 6);
    EXPECT_EQ(lines[3].name, "last without end");
}

// Provoked with a folder opened for reading: the open succeeds and the first
// read fails, as a list given by a folder's name does.
TEST(NameList, ReadToTheEndOrTheFailingRead) {
    QTemporaryDir dir;
    const QString file = dir.filePath("list");
    QFile list(file);
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    const QByteArray large(200000, 'a');  // more than one read's buffer
    list.write(large);
    list.close();

    const int fileFd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
    ASSERT_GE(fileFd, 0);
    const ReadBytes whole = readToEnd(fileFd);
    ::close(fileFd);
    EXPECT_EQ(whole.problem, std::nullopt);
    EXPECT_EQ(whole.bytes.size(), large.size());
    EXPECT_TRUE(whole.bytes == large);

    const int folderFd = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY);
    ASSERT_GE(folderFd, 0);
    const ReadBytes refused = readToEnd(folderFd);
    ::close(folderFd);
    EXPECT_EQ(refused.problem, QString::fromLocal8Bit(std::strerror(EISDIR)));
}

QByteArray firstPictureOf(const QString& name) { return testing::sha256(FirstPicture(name).surface()); }

QByteArray fileHash(const QString& path) {
    const QImage image = QImage(path).convertToFormat(QImage::Format_RGBX8888);
    Surface s;
    for (int y = 0; y < 525; ++y) memcpy(s.row(y), image.constScanLine(y), 700 * 4);
    return testing::sha256(s);
}

TEST(Batch, RejectedLinesInTheMiddleDoNotStopTheOthers) {
    QTemporaryDir dir;
    const QList<NameLine> names = {
        {1, "ana kos"}, {2, "Ana"}, {3, "bor petek"}, {5, QString(101, 'a')}, {6, "ana kos"}};
    BatchOptions options;
    options.outputDir = dir.path();
    options.extension = "png";
    options.workers = 2;
    int calls = 0;
    options.progress = [&](int done, int total, const QString&) {
        EXPECT_EQ(done, ++calls);
        EXPECT_EQ(total, 3);
    };
    const BatchResult result = paintNameList(names, options);
    EXPECT_EQ(result.painted, 3);
    ASSERT_EQ(result.errors.size(), 2);
    EXPECT_TRUE(result.errors[0].startsWith("line 2: only blanks and a")) << result.errors[0].toStdString();
    EXPECT_EQ(result.errors[1], "line 5: more than 100 characters");
    QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(files, (QStringList{"ana-kos-2.png", "ana-kos.png", "bor-petek.png"}));
    // Each picture is the one the window paints for that name first.
    EXPECT_EQ(fileHash(dir.path() + "/ana-kos.png"), firstPictureOf("ana kos"));
    EXPECT_EQ(fileHash(dir.path() + "/ana-kos-2.png"), firstPictureOf("ana kos"));
    EXPECT_EQ(fileHash(dir.path() + "/bor-petek.png"), firstPictureOf("bor petek"));
}

// The one-line batch of `name` into `folder`, once as BMP and once as PNG.
void paintBmpAndPng(const QString& folder, const QString& name) {
    for (const char* ext : {"bmp", "png"}) {
        BatchOptions options;
        options.outputDir = folder;
        options.extension = ext;
        EXPECT_EQ(paintNameList({{1, name}}, options).painted, 1) << ext;
    }
}

TEST(Batch, BmpAndPngOfOneNameHoldTheSamePixels) {
    QTemporaryDir dir;
    paintBmpAndPng(dir.path(), "ana kos");
    EXPECT_EQ(fileHash(dir.path() + "/ana-kos.bmp"), fileHash(dir.path() + "/ana-kos.png"));
}

// The zlib header of a PNG's first image data chunk: its FLEVEL bits (the
// top two of the second byte) say which effort the encoder chose, 0 for the
// fastest; -1 when the file holds no image data.
int zlibLevelClass(const QByteArray& png) {
    for (qsizetype at = 8; at + 8 <= png.size();) {
        const auto byte = [&png](qsizetype k) { return static_cast<quint32>(static_cast<unsigned char>(png[k])); };
        const quint32 length = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
        if (png.mid(at + 4, 4) == "IDAT" && length >= 2 && at + 10 <= png.size())
            return static_cast<int>(byte(at + 9) >> 6);
        at += 12 + static_cast<qsizetype>(length);
    }
    return -1;
}

// A batch's pictures are PNG by default and are encoded at zlib's fastest
// level: the default level took as long as painting the picture. Provoked
// with the writer left at Qt's default (class 2) and at its "no compression"
// qualities (files as large as the BMP).
TEST(Batch, PngIsWrittenAtTheFastestCompressionLevel) {
    QTemporaryDir dir;
    paintBmpAndPng(dir.path(), "bor zupan");
    QFile png(dir.path() + "/bor-zupan.png");
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    const QByteArray bytes = png.readAll();
    EXPECT_EQ(zlibLevelClass(bytes), 0);
    EXPECT_LT(bytes.size(), QFileInfo(dir.path() + "/bor-zupan.bmp").size() * 3 / 4);
    EXPECT_EQ(fileHash(dir.path() + "/bor-zupan.png"), fileHash(dir.path() + "/bor-zupan.bmp"));
}

TEST(Batch, OutputFolderProblemsAreFoundBeforePainting) {
    QTemporaryDir dir;
    QFile file(dir.path() + "/plain-file");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(outputFolderProblem(dir.path()));
    EXPECT_TRUE(outputFolderProblem(dir.path() + "/missing").value_or("").contains("does not exist"));
    EXPECT_TRUE(outputFolderProblem(dir.path() + "/plain-file").value_or("").contains("is not a folder"));
    // /proc takes no new files, not even from root.
    EXPECT_TRUE(outputFolderProblem("/proc").value_or("").contains("is not writable"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"plain-file"});
}

TEST(Describe, AgreesWithThePicture) {
    const QJsonObject d = describeName("ana novak");
    testing::QuietSession q({"ana novak"});
    PictureFacts facts;
    q.session.platform().facts = &facts;
    q.session.formLoad();
    const PictureState& s = q.session.state();
    EXPECT_EQ(d["seed"].toInt(), 4405285);
    EXPECT_EQ(d["nac"].toDouble(), s.nac);  // the mode that painted the picture
    EXPECT_EQ(d["tip1"].toDouble(), s.tip1);
    EXPECT_EQ(d["fak3"].toDouble(), s.fak3);
    EXPECT_EQ(d["draws"].toInteger(), static_cast<qint64>(facts.draws));
    // Mode 10 makes 40 draws a pixel: the scan alone is 14,749,040 of them.
    EXPECT_GT(d["draws"].toInteger(), 14749040);
    EXPECT_GE(d["rr"].toDouble(), 3);
    EXPECT_LT(d["rr"].toDouble(), 25);
    const QJsonObject t = d["triangle"].toObject();
    EXPECT_GE(t["apexRow"].toDouble(), 100);
    EXPECT_LT(t["apexRow"].toDouble(), 150);
}

}  // namespace
}  // namespace painter
