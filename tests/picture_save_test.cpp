// Saving so that no picture's file is lost: pictures of one second, racing
// savers, and the window's second save of its own picture.
#include "output/picture_save.h"
#include "output/greeting.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace painter {
namespace {

// Provoked with the fixed clock: both pictures begin in the same second and
// so want one name; the second save of a picture still replaces its own file.
TEST(PictureSave, TheWindowKeepsAnEarlierPictureOfTheSameSecond) {
    testing::QuietSession q({"ana kos", "bor petek"});
    q.session.formLoad();
    ASSERT_TRUE(q.session.shrani());
    const QString first = q.session.lastSavedPath();
    ASSERT_TRUE(q.session.ponovi());
    ASSERT_TRUE(q.session.shrani());
    const QString second = q.session.lastSavedPath();
    q.session.picture1().pset(5, 5, 0x00FFFF);
    ASSERT_TRUE(q.session.shrani());
    EXPECT_EQ(q.session.lastSavedPath(), second);
    EXPECT_EQ(QFileInfo(first).fileName(), "T20101116140509.bmp");
    EXPECT_EQ(QFileInfo(second).fileName(), "T20101116140509-2.bmp");
    EXPECT_EQ(QDir(QFileInfo(first).path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"T20101116140509-2.bmp", "T20101116140509.bmp"}));
    EXPECT_EQ(QImage(second).pixel(5, 5), qRgb(0xFF, 0xFF, 0));
    EXPECT_NE(QImage(first), QImage(second));
}

// Provoked by eight threads saving under one name at the same moment: the
// rename refuses a taken name, so each ends with a file of its own.
TEST(PictureSave, RacingSaversEachGetAFileOfTheirOwn) {
    QTemporaryDir dir;
    std::vector<Surface> pictures(8);
    std::vector<SaveOutcome> outcomes(8);
    std::vector<std::thread> threads;
    for (int k = 0; k < 8; ++k) {
        pictures[k].pset(0, 0, k);
        threads.emplace_back(
            [&, k] { outcomes[k] = savePicture(pictures[k], dir.filePath("card.png"), "png", SaveMode::NewName); });
    }
    for (auto& t : threads) t.join();
    QSet<QString> paths;
    for (int k = 0; k < 8; ++k) {
        ASSERT_TRUE(outcomes[k].ok()) << outcomes[k].problem->toStdString();
        paths.insert(outcomes[k].path);
        EXPECT_EQ(qRed(QImage(outcomes[k].path).pixel(0, 0)), k) << "each file holds its own picture";
    }
    EXPECT_EQ(paths.size(), 8);
    // Readable by others as any new file is, not private like a temporary one.
    EXPECT_TRUE(QFileInfo(dir.filePath("card.png")).permissions() & QFileDevice::ReadOther);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 8) << "no temporary file is left";
}

// Provoked by a file already under the name: NoReplace refuses and keeps it.
TEST(PictureSave, NoReplaceKeepsTheFileThere) {
    QTemporaryDir dir;
    QFile there(dir.filePath("a.bmp"));
    ASSERT_TRUE(there.open(QIODevice::WriteOnly));
    there.write("mine");
    there.close();
    const SaveOutcome outcome = savePicture(Surface(), dir.filePath("a.bmp"), "bmp", SaveMode::NoReplace);
    EXPECT_EQ(outcome.problem, "the file exists already");
    ASSERT_TRUE(there.open(QIODevice::ReadOnly));
    EXPECT_EQ(there.readAll(), "mine");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.bmp"});
}

TEST(Greeting, TheYearIsTheWishesYear) {
    EXPECT_EQ(greetingText(), greetingText(2011));
    EXPECT_TRUE(greetingText(2027).startsWith(", zelim ti veliko srece v letu 2027      www."));
}

}  // namespace
}  // namespace painter
