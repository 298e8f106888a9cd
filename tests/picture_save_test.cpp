// Saving so that no picture's file is lost: pictures of one second, racing
// savers, the window's second save of its own picture, and a writer that
// gives up.
#include "output/picture_save.h"
#include "output/greeting.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
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

// A save that fails where the name has a file already: the caller hears why,
// the file stays as it was and no temporary file is left.
struct KeptCase {
    const char* label;
    std::function<SaveOutcome(const QString& path)> save;
    const char* problem;
};

void PrintTo(const KeptCase& c, std::ostream* os) { *os << c.label; }

// A writer that gives up half way with a reason of its own.
SaveOutcome givingUp(const QString& path, SaveMode mode) {
    return saveFile(path, mode, [](QIODevice& device) -> Problem {
        device.write("half a picture");
        return QStringLiteral("the encoder gave up");
    });
}

class FailedSave : public ::testing::TestWithParam<KeptCase> {};

TEST_P(FailedSave, KeepsTheFileThere) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bmp");
    QFile there(path);
    ASSERT_TRUE(there.open(QIODevice::WriteOnly));
    there.write("mine");
    there.close();
    EXPECT_EQ(GetParam().save(path).problem, QString::fromLatin1(GetParam().problem));
    ASSERT_TRUE(there.open(QIODevice::ReadOnly));
    EXPECT_EQ(there.readAll(), "mine");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.bmp"});
}

INSTANTIATE_TEST_SUITE_P(
    PictureSave, FailedSave,
    ::testing::Values(
        // Provoked by the file already under the name: NoReplace refuses to replace it.
        KeptCase{"NoReplaceOnATakenName",
                 [](const QString& path) { return savePicture(Surface(), path, "bmp", SaveMode::NoReplace); },
                 "the file exists already"},
        // Provoked by a writer that gives up: in every mode its own reason is reported.
        KeptCase{"WriterGivesUpReplacing", [](const QString& path) { return givingUp(path, SaveMode::Replace); },
                 "the encoder gave up"},
        KeptCase{"WriterGivesUpOnANewName", [](const QString& path) { return givingUp(path, SaveMode::NewName); },
                 "the encoder gave up"},
        KeptCase{"WriterGivesUpNotReplacing", [](const QString& path) { return givingUp(path, SaveMode::NoReplace); },
                 "the encoder gave up"}),
    [](const ::testing::TestParamInfo<KeptCase>& info) { return std::string(info.param.label); });

TEST(Greeting, TheYearIsTheWishesYear) {
    EXPECT_EQ(greetingText(), greetingText(2011));
    EXPECT_TRUE(greetingText(2027).startsWith(", zelim ti veliko srece v letu 2027      www."));
}

}  // namespace
}  // namespace painter
