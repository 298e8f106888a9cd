// Saving: the file equals the picture, replaces an earlier one, and a save that
// cannot be written is reported without losing the picture or an older file.
#include "output/picture_file.h"
#include "output/picture_save.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QImageReader>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include <sys/resource.h>
#include <unistd.h>
#include <csignal>

namespace painter {
namespace {

using testing::QuietSession;
using testing::setImmutable;
using testing::sha256;

TEST(Export, SavedBitmapIsThePictureAndNothingElse) {
    QuietSession q({"ana kos"});
    q.session.formLoad();
    ASSERT_TRUE(q.session.shrani());
    const QString path = q.session.lastSavedPath();
    EXPECT_EQ(QFileInfo(path).fileName(), "T20101116140509.bmp");
    EXPECT_EQ(q.services.lastSaved, QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);  // bits per pixel

    // Field, ornaments and caption exactly as on the picture; the save marker
    // and the "*" live on the window, never in the file.
    const QImage saved(path);
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB888), surfaceImage(q.session.picture1()));
    const Surface& form = q.session.form();
    EXPECT_EQ(form.point(730, 560), 0xFFFFFF);  // the marker ends at window columns 730 and 731
    EXPECT_EQ(form.point(731, 567), 0xFFFFFF);
    EXPECT_EQ(form.point(729, 560), 0);
    EXPECT_EQ(q.session.state().i, 701);
    EXPECT_EQ(q.session.state().j, 526);
}

TEST(Export, SavingAgainReplacesTheFile) {
    QuietSession q({"ana kos"});
    q.session.formLoad();
    ASSERT_TRUE(q.session.shrani());
    q.session.picture1().pset(5, 5, 0x00FFFF);
    ASSERT_TRUE(q.session.shrani());
    const QString folder = QFileInfo(q.session.lastSavedPath()).path();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"T20101116140509.bmp"});
    EXPECT_EQ(QImage(q.session.lastSavedPath()).pixel(5, 5), qRgb(0xFF, 0xFF, 0));
}

// A save that fails keeps the program, the picture and any older file.
struct FailCase {
    const char* label;
    // Sets up the folder (or the file system limits) and returns the folder.
    std::function<QString(const QString& scratch)> setUp;
    const char* message;  // part of the message shown to the user
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.label; }

class FailedSaveTest : public ::testing::TestWithParam<FailCase> {};

TEST_P(FailedSaveTest, ReportedAndNothingLost) {
    const FailCase& c = GetParam();
    QTemporaryDir scratch;
    const QString folder = c.setUp(scratch.path());
    if (folder.isEmpty()) GTEST_SKIP() << "cannot provoke: " << c.label;
    // Cleared before the scratch folder is removed, however the test ends.
    const std::unique_ptr<const QString, void (*)(const QString*)> mutableAgain(
        &folder, [](const QString* f) { setImmutable(*f, false); });
    QuietSession q({"ana kos", "bor petek"}, folder);
    q.session.formLoad();
    const QByteArray before = sha256(q.session.picture1());

    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    const bool diskFull = std::string(c.label).find("full") != std::string::npos;
    if (diskFull) {
        // A full disk, for real: the kernel refuses to grow a file past 4 KiB.
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = limit;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    const bool saved = q.session.shrani();
    if (diskFull) setrlimit(RLIMIT_FSIZE, &limit);

    EXPECT_FALSE(saved) << c.label;
    EXPECT_TRUE(q.services.lastError.contains(QString::fromUtf8(c.message))) << q.services.lastError.toStdString();
    EXPECT_TRUE(q.services.lastSaved.isEmpty());
    EXPECT_EQ(sha256(q.session.picture1()), before) << "the picture stays";
    // No partial file and no temporary one was left; an older picture of that
    // name still holds what it held.
    if (QFileInfo(folder).isDir() && folder.startsWith(scratch.path())) {
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(left, QStringList{"T20101116140509.bmp"}) << c.label;
        QFile old(folder + "/T20101116140509.bmp");
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), "an older picture");
    }
    // And the program goes on: the next picture paints.
    EXPECT_TRUE(q.session.ponovi());
}

QString makeFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("an older picture");
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    Provoked, FailedSaveTest,
    ::testing::Values(FailCase{"folder is a file", [](const QString& d) { return makeFile(d + "/wimgx"); },
                               "ni mogoče ustvariti"},
                      FailCase{"folder below a file", [](const QString& d) { return makeFile(d + "/wimgx") + "/more"; },
                               "ni mogoče ustvariti"},
                      // /proc takes no new files, not even from root.
                      FailCase{"folder that takes no files", [](const QString&) { return QString("/proc"); },
                               "Slike ni mogoče shraniti v"},
                      FailCase{"read-only folder",
                               [](const QString& d) -> QString {
                                   QDir().mkpath(d + "/ro");
                                   makeFile(d + "/ro/T20101116140509.bmp");
                                   QFile::setPermissions(d + "/ro", QFile::ReadOwner | QFile::ExeOwner);
                                   // A file system without the flag leaves root nothing to provoke.
                                   if (geteuid() == 0 && !setImmutable(d + "/ro", true)) return {};
                                   return d + "/ro";
                               },
                               "Slike ni mogoče shraniti v"},
                      FailCase{"disk full",
                               [](const QString& d) {
                                   QDir().mkpath(d + "/full");
                                   makeFile(d + "/full/T20101116140509.bmp");
                                   return d + "/full";
                               },
                               "Slike ni mogoče shraniti v"}));

TEST(PictureFile, PngAndBmpHoldTheSamePixels) {
    Surface s;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) s.pset(x, y, rgb(x % 256, y % 256, (x ^ y) % 256));
    QTemporaryDir dir;
    ASSERT_TRUE(savePicture(s, dir.path() + "/a.bmp", "bmp", SaveMode::Replace).ok());
    ASSERT_TRUE(savePicture(s, dir.path() + "/a.png", "png", SaveMode::Replace).ok());
    // A format the writer does not know is refused, and no file is left.
    EXPECT_TRUE(savePicture(s, dir.path() + "/a.xyz", "xyz", SaveMode::Replace).problem);
    EXPECT_FALSE(QFile::exists(dir.path() + "/a.xyz"));
    const QImage bmp(dir.path() + "/a.bmp"), png(dir.path() + "/a.png");
    EXPECT_EQ(bmp.convertToFormat(QImage::Format_RGB888), surfaceImage(s));
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB888), surfaceImage(s));
}

}  // namespace
}  // namespace painter
