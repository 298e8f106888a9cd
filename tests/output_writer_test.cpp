// The one writer: the format table, the save every route takes (a file, a
// device or named pipe that is there already, standard output, memory), and
// the reasons it gives. Each case says how its failure is provoked.

#include "output/formats.h"
#include "output/output_folder.h"
#include "output/picture_file.h"
#include "output/picture_save.h"
#include "params/name_text.h"
#include "scratch_mount.h"
#include "test_files.h"
#include "session/batch.h"
#include "session/batch_manifest.h"
#include "session/first_picture.h"
#include "session/list_outputs.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace painter {
namespace {

using testing::contents;
using testing::writeFile;

QStringList hidden(const QString& folder) {
    return QDir(folder).entryList({".*"}, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

PictureOutput anaNovak() {
    static const QImage picture = surfaceImage(FirstPicture(QStringLiteral("ana novak")).surface());
    return {picture, QStringLiteral("ana novak"), CardLayout{}, 1};
}

// Every row of the table writes a file that its own test calls complete, and
// calls it incomplete once it is cut: provoked by truncating the file to
// half, by its last eight bytes and by one byte less (a BMP's reader alone
// takes all three as whole).
class EveryFormat : public ::testing::TestWithParam<std::size_t> {};

TEST_P(EveryFormat, KnowsACompleteFileFromACutOne) {
    const PictureFormat& format = pictureFormatTable().at(GetParam());
    QTemporaryDir dir;
    const QString path = dir.filePath("ana-novak." + format.name);
    const PictureOutput output = anaNovak();
    ASSERT_FALSE(saveFile(path, SaveMode::Replace, [&](QIODevice& d) { return format.write(d, output); }).problem);
    const QSize size(700, 525);
    EXPECT_TRUE(format.complete(path, size)) << format.name.toStdString();
    EXPECT_EQ(formatOfPath(path), &format);
    EXPECT_EQ(findPictureFormat(format.name.toUpper()), &format);
    const QByteArray whole = contents(path);
    // A PDF's last line break is optional, so one byte less is still a PDF.
    for (const qsizetype kept : {whole.size() / 2, whole.size() - 8, whole.size() - (format.raster ? 1 : 8)}) {
        writeFile(path, whole.left(kept));
        EXPECT_FALSE(format.complete(path, size)) << format.name.toStdString() << " cut to " << kept;
    }
    // The same bytes in memory as in the file, with the table's content type.
    writeFile(path, whole);
    const EncodedBytes encoded = encodePictureAs(format, output);
    ASSERT_FALSE(encoded.problem);
    EXPECT_EQ(encoded.contentType, format.contentType);
    if (format.raster) {
        EXPECT_EQ(encoded.bytes, whole);
    }
}

INSTANTIATE_TEST_SUITE_P(Writer, EveryFormat, ::testing::Range<std::size_t>(0, 3),
                         [](const auto& info) { return pictureFormatTable().at(info.param).name.toStdString(); });

TEST(Writer, TheTableHoldsEveryFormatOnce) {
    EXPECT_EQ(pictureFormatTable().size(), 3u);
    EXPECT_EQ(pictureFormats(), (QStringList{"bmp", "png", "pdf"}));
    EXPECT_EQ(imageFormats(), (QStringList{"bmp", "png"}));
    EXPECT_EQ(formatNames(true), ".bmp, .png or .pdf");
    EXPECT_EQ(findPictureFormat(u"gif"), nullptr);
}

// Provoked with an empty image, which no encoder can write: the failure is a
// Problem and no bytes, never an empty body that passes for a picture.
TEST(Writer, AnEncodingFailureIsAProblemNotEmptyBytes) {
    for (const PictureFormat& format : pictureFormatTable()) {
        if (!format.raster) continue;
        const EncodedBytes encoded = encodePictureAs(format, {QImage(), {}, CardLayout{}, 1});
        EXPECT_TRUE(encoded.problem) << format.name.toStdString();
        EXPECT_TRUE(encoded.bytes.isEmpty());
    }
}

// Something at the name that is not a file: written into as cp does, never
// replaced by a file. Provoked with a named pipe read by a thread, a device
// node like /dev/null (root only), and /dev/full, which takes no byte.
TEST(Writer, WritesIntoANamedPipeAndLeavesItAPipe) {
    QTemporaryDir dir;
    const QString pipe = dir.filePath("x.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // The read end is open before the save, without blocking, so a save that
    // replaced the pipe instead ends the test with a failure, not a hang.
    const int readEnd = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(readEnd, 0);
    QByteArray read;
    std::atomic<bool> saved{false};
    std::thread reader([&] {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(readEnd, buffer, sizeof buffer);
            if (n > 0)
                read.append(buffer, n);
            else if (saved && (n == 0 || errno != EAGAIN))
                return;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const PictureOutput output = anaNovak();
    const SaveOutcome outcome =
        saveFile(pipe, SaveMode::Replace, [&](QIODevice& d) { return pictureFormatTable()[1].write(d, output); });
    saved = true;
    reader.join();
    ::close(readEnd);
    EXPECT_FALSE(outcome.problem) << outcome.problem.value_or("").toStdString();
    EXPECT_TRUE(testing::isFifo(pipe)) << "the pipe was replaced";
    EXPECT_EQ(QImage::fromData(read, "PNG").size(), QSize(700, 525));
    EXPECT_TRUE(hidden(dir.path()).isEmpty()) << hidden(dir.path()).join(' ').toStdString();
    // --no-clobber's save: something is there, so it is left alone.
    EXPECT_EQ(saveImage(output.picture, pipe, "png", SaveMode::NoReplace).problem, "the file exists already");
}

TEST(Writer, WritesIntoADeviceNodeAndLeavesItADevice) {
    QTemporaryDir dir;
    const QString node = dir.filePath("x.png");
    if (!testing::makeDeviceNode(node, 3)) GTEST_SKIP() << "device nodes need root";
    EXPECT_FALSE(saveImage(anaNovak().picture, node, "png", SaveMode::Replace).problem);
    EXPECT_TRUE(testing::isCharacterDevice(node)) << "the device node was replaced by a file";
    EXPECT_FALSE(outputFileProblem(node));
}

// The test's own node like /dev/full, never the system's: a save that
// replaced it would replace a device the whole machine uses.
TEST(Writer, AFullDeviceSaysNoSpaceLeft) {
    QTemporaryDir dir;
    const QString full = dir.filePath("full");
    if (!testing::makeDeviceNode(full, 7)) GTEST_SKIP() << "device nodes need root";
    for (const PictureFormat& format : pictureFormatTable()) {
        const PictureOutput output = anaNovak();
        const SaveOutcome saved =
            saveFile(full, SaveMode::Replace, [&](QIODevice& d) { return format.write(d, output); });
        EXPECT_EQ(saved.problem, "No space left on device") << format.name.toStdString();
        EXPECT_TRUE(testing::isCharacterDevice(full)) << format.name.toStdString();
    }
}

// Provoked with a 256 KiB file system: a 1 MB bitmap cannot fit. The reason
// is the system's, the file stays as it was and no temporary file is left.
TEST(Writer, AFullDiskSaysNoSpaceLeftAndKeepsTheFileThere) {
    testing::ScratchMount disk("size=256k");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small file system needs root";
    const QString path = disk.filePath("ana.bmp");
    writeFile(path, "mine");
    const PictureOutput output = anaNovak();
    for (const SaveMode mode : {SaveMode::Replace, SaveMode::NewName}) {
        const SaveOutcome saved = saveImage(output.picture, path, "bmp", mode);
        EXPECT_EQ(saved.problem, "No space left on device");
        EXPECT_EQ(contents(path), "mine");
        EXPECT_TRUE(hidden(disk.path()).isEmpty()) << hidden(disk.path()).join(' ').toStdString();
    }
}

// Provoked with a pipe whose reader is gone: the reason is the system's (the
// program ignores SIGPIPE, as here, to hear it).
TEST(Writer, StandardOutputTakesTheSameWriters) {
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const PictureOutput output = anaNovak();
    const Problem problem =
        writeToDescriptor(ends[1], [&](QIODevice& d) { return pictureFormatTable()[0].write(d, output); });
    ::close(ends[1]);
    std::signal(SIGPIPE, previous);
    EXPECT_EQ(problem, "Broken pipe");
}

// The folder checks give the system's reason. Provoked with a plain file as
// a parent, and with a read-only file system (root only).
TEST(OutputFolder, SaysTheRealReason) {
    QTemporaryDir dir;
    writeFile(dir.filePath("file"), "x");
    EXPECT_EQ(makeOutputFolder(dir.filePath("file/sub")),
              QStringLiteral("cannot make the folder %1: Not a directory").arg(dir.filePath("file/sub")));
    EXPECT_EQ(outputFolderProblem(dir.filePath("file/sub")),
              QStringLiteral("output folder %1: Not a directory").arg(dir.filePath("file/sub")));
    EXPECT_FALSE(makeOutputFolder(dir.filePath("a/b/c")));
    EXPECT_TRUE(QFileInfo(dir.filePath("a/b/c")).isDir());

    testing::ScratchMount readOnly("size=64k", true);
    if (!readOnly.mounted()) GTEST_SKIP() << "mounting a file system needs root";
    EXPECT_EQ(makeOutputFolder(readOnly.filePath("sub")),
              QStringLiteral("cannot make the folder %1: Read-only file system").arg(readOnly.filePath("sub")));
    EXPECT_TRUE(outputFolderProblem(readOnly.path()).value_or("").endsWith("is not writable: Read-only file system"));
}

// Invisible characters are named by their code, a line that is not UTF-8 is
// refused as such, as the web service refuses such a name.
TEST(NameText, ShowsWhatCannotBeSeen) {
    EXPECT_EQ(visibleText(QStringLiteral("x\x1b[31my")), "x<U+001B>[31my");
    EXPECT_EQ(visibleText(QString::fromUtf8("q\0r", 3)), "q<U+0000>r");
    EXPECT_EQ(visibleText(QStringLiteral("a\u00A0b\u200Bc")), "a<U+00A0>b<U+200B>c");
    EXPECT_EQ(visibleText(QStringLiteral("ana novak č")), "ana novak č");
    EXPECT_FALSE(strictUtf8("ana\xff"));
    EXPECT_EQ(strictUtf8("ana \xc4\x8d"), QStringLiteral("ana č"));

    const QList<NameLine> lines = parseNameList("ana\nbo\xffr\n");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_FALSE(lines[1].validUtf8);
    const BatchPlan plan = planNameList(lines, {});
    EXPECT_EQ(plan.refusals, QStringList{"line 2: the name is not valid UTF-8"});
}

// Provoked with the lines a hostile list holds: an escape sequence, a NUL, and
// cells a spreadsheet would run. The manifest holds none of them as they are.
TEST(Manifest, EscapesRefusedLinesAndDefusesFormulas) {
    const QList<NameLine> lines = parseNameList(QByteArrayLiteral("ana\nx\x1b[31my\nq\0r\n=cmd()\n+1\n@sum\n-2\n"));
    const BatchPlan plan = planNameList(lines, {});
    ASSERT_EQ(plan.refusals.size(), 6);
    for (const QString& refusal : plan.refusals) {
        EXPECT_FALSE(refusal.contains(QChar(0x1b))) << refusal.toStdString();
        EXPECT_FALSE(refusal.contains(QChar(0))) << refusal.toStdString();
    }
    const QByteArray csv = manifestText("m.csv", plan.entries);
    const QByteArray jsonl = manifestText("m.jsonl", plan.entries);
    for (const QByteArray& text : {csv, jsonl}) {
        EXPECT_FALSE(text.contains('\x1b')) << text.toStdString();
        EXPECT_FALSE(text.contains('\0'));
        EXPECT_TRUE(text.contains("x<U+001B>[31my")) << text.toStdString();
        EXPECT_TRUE(text.contains("q<U+0000>r"));
    }
    for (const char* cell : {"\"'=cmd()\"", "\"'+1\"", "\"'@sum\"", "\"'-2\""})
        EXPECT_TRUE(csv.contains(cell)) << cell << "\n" << csv.toStdString();
    EXPECT_FALSE(csv.contains(",\"=")) << "a formula cell left as is";
}

// A list that never ends is refused at its stated size or line count, and a
// stop request ends the reading at once. Provoked with /dev/zero, a pipe of
// many short lines, and a stop set before the first read of a pipe that
// would block for ever.
TEST(ListReading, IsBoundedAndStoppable) {
    const int zero = ::open("/dev/zero", O_RDONLY);
    ASSERT_GE(zero, 0);
    const ReadBytes endless = readToEnd(zero, {.maxBytes = 1 << 20, .maxLines = 1000});
    ::close(zero);
    EXPECT_EQ(endless.problem, "a list is at most 1 MiB; this one is longer");
    EXPECT_TRUE(endless.bytes.isEmpty());

    QTemporaryDir dir;
    writeFile(dir.filePath("many"), QByteArray(5000, '\n'));
    const int many = ::open(QFile::encodeName(dir.filePath("many")).constData(), O_RDONLY);
    const ReadBytes lines = readToEnd(many, {.maxBytes = 1 << 20, .maxLines = 1000});
    ::close(many);
    EXPECT_EQ(lines.problem, "a list is at most 1000 lines; this one is longer");

    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::atomic<int> stop{SIGINT};
    const ReadBytes stopped = readToEnd(ends[0], {}, &stop);
    ::close(ends[0]);
    ::close(ends[1]);
    EXPECT_TRUE(stopped.stopped);
}

// Two roles naming one file are refused before anything is painted; so is an
// output whose folder is missing. Provoked with each pair the table names.
struct RolesCase {
    const char* label;
    ListRoles roles;      // paths relative to a fresh folder
    const char* problem;  // a part of the reason; null: accepted
};

void PrintTo(const RolesCase& c, std::ostream* os) { *os << c.label; }

class ListRolesCheck : public ::testing::TestWithParam<RolesCase> {};

TEST_P(ListRolesCheck, RefusesOneFileInTwoRoles) {
    QTemporaryDir dir;
    writeFile(dir.filePath("L.csv"), "ana novak\nbor zupan\n");
    writeFile(dir.filePath("there.pdf"), "%PDF");
    ASSERT_EQ(::symlink("L.csv", QFile::encodeName(dir.filePath("link.csv")).constData()), 0);
    auto inside = [&](const QString& p) { return p.isEmpty() || p == "-" ? p : dir.filePath(p); };
    const ListRoles& r = GetParam().roles;
    const ListRoles roles{inside(r.list), inside(r.folder), inside(r.document), inside(r.sheet), inside(r.manifest)};
    BatchOptions options;
    options.outputDir = roles.folder;
    const BatchPlan plan = planNameList(parseNameList("ana novak\nbor zupan\n"), options);
    const Problem problem = listOutputsProblem(roles, plan);
    if (!GetParam().problem) {
        EXPECT_FALSE(problem) << problem.value_or("").toStdString();
        return;
    }
    ASSERT_TRUE(problem) << GetParam().label;
    EXPECT_TRUE(problem->contains(QLatin1String(GetParam().problem))) << problem->toStdString();
    EXPECT_EQ(contents(dir.filePath("L.csv")), "ana novak\nbor zupan\n");
}

INSTANTIATE_TEST_SUITE_P(
    Roles, ListRolesCheck,
    ::testing::Values(
        RolesCase{"ManifestIsTheList", {"L.csv", "d", "", "", "L.csv"}, "--manifest"},
        RolesCase{"ManifestIsTheListThroughALink", {"L.csv", "d", "", "", "link.csv"}, "is also the list"},
        RolesCase{"SheetIsTheDocument", {"L.csv", "", "s.pdf", "s.pdf", ""}, "--sheet"},
        RolesCase{"SheetIsTheDocumentSpeltTwoWays", {"L.csv", "", "s.pdf", "./x/../s.pdf", ""}, "is also the document"},
        RolesCase{"SheetIsACard", {"L.csv", "d", "", "d/ana-novak.png", ""}, "is also the picture of line 1"},
        RolesCase{"ManifestIsACard", {"-", "d", "", "", "d/bor-zupan.png"}, "is also the picture of line 2"},
        RolesCase{"DocumentIsTheList", {"L.csv", "", "L.csv", "", ""}, "is also the list"},
        RolesCase{"ManifestFolderMissing", {"L.csv", "d", "", "", "missing/m.csv"}, "does not exist"},
        RolesCase{"FolderUnderAFile", {"L.csv", "L.csv/sub", "", "", ""}, "Not a directory"},
        RolesCase{"EachItsOwn", {"L.csv", "d", "", "d.png", "m.csv"}, nullptr},
        RolesCase{"AnExistingDocumentIsReplaced", {"-", "", "there.pdf", "", ""}, nullptr}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace painter
