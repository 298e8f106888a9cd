// The program run as a new user met its failures: every way of painting a
// list, and one picture, against devices and pipes at an output's name, roles
// that name one file, endless lists, stop signals, full and read-only disks,
// a closed standard output and hostile lines. Each case says how it is
// provoked.

#include "app/command_line.h"
#include "session/first_picture.h"
#include "web/web_routes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "program_run.h"
#include "test_files.h"
#include "scratch_mount.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <csignal>

namespace painter {
namespace {

using testing::contents;
using testing::writeFile;

// Every file below `folder`, hidden ones included, relative to it.
QStringList allFiles(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) found << QDir(folder).relativeFilePath(it.next());
    found.sort();
    return found;
}

QByteArray names(int count) {
    static const char* const first[] = {"ana", "bor", "eva", "jan", "mia", "tim"};
    QByteArray list;
    for (int k = 0; k < count; ++k) list += QByteArray(first[k % 6]) + " novak" + QByteArray(k / 6, 'a') + '\n';
    return list;
}

// A run that must be refused before anything is painted: the script runs in
// a fresh folder holding the list L.csv; afterwards the folder holds no file
// but the list, untouched.
struct RefusedRun {
    const char* label;
    const char* script;  // bash, in the folder; the program is "$PAINTER"
    int exitCode;
    const char* reason;  // a part of standard error
};

void PrintTo(const RefusedRun& c, std::ostream* os) { *os << c.label; }

class RefusedBeforePainting : public ::testing::TestWithParam<RefusedRun> {};

TEST_P(RefusedBeforePainting, PaintsNothingAndSaysWhy) {
    QTemporaryDir dir;
    writeFile(dir.filePath("L.csv"), "ana novak\nbor zupan\n");
    const ProgramRun run = runShell(QStringLiteral("cd \"$1\" && ") + GetParam().script, {dir.path()}, 60000);
    if (run.exitCode == 77) GTEST_SKIP() << "device nodes need root";
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(GetParam().reason))) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("[1/")) << "a picture was painted:\n" << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("libpng")) << run.err.toStdString();
    EXPECT_EQ(contents(dir.filePath("L.csv")), "ana novak\nbor zupan\n") << "the list was overwritten";
    EXPECT_EQ(allFiles(dir.path()), QStringList{"L.csv"});
}

INSTANTIATE_TEST_SUITE_P(
    ListRuns, RefusedBeforePainting,
    ::testing::Values(
        // Two roles naming one file, inputs included.
        RefusedRun{"ManifestIsTheList", "\"$PAINTER\" --names L.csv --output-dir d --manifest L.csv", 1,
                   "--manifest L.csv is also the list (--names L.csv)"},
        RefusedRun{"SheetIsTheDocument", "\"$PAINTER\" --names L.csv --output s.pdf --sheet s.pdf", 1,
                   "--sheet s.pdf is also the document (--output s.pdf)"},
        RefusedRun{"SheetIsACard", "\"$PAINTER\" --names L.csv --output-dir d --sheet d/ana-novak.png", 1,
                   "--sheet d/ana-novak.png is also the picture of line 1 (ana novak)"},
        RefusedRun{"ManifestIsTheListSpeltAnotherWay",
                   "\"$PAINTER\" --names L.csv --output-dir d --manifest d/../L.csv", 1, "is also the list"},
        // Every output checked before the first picture.
        RefusedRun{"ManifestFolderMissing", "\"$PAINTER\" --names L.csv --output-dir o --manifest missing/m.csv", 1,
                   "does not exist"},
        RefusedRun{"OutputDirUnderAFile", "\"$PAINTER\" --names L.csv --output-dir L.csv/sub", 1,
                   "cannot make the folder L.csv/sub: Not a directory"},
        // Endless lists: refused at the stated size, from a file and from standard input.
        RefusedRun{"EndlessListFile", "\"$PAINTER\" --names /dev/zero --check", 1,
                   "cannot read /dev/zero: a list is at most 64 MiB; this one is longer"},
        RefusedRun{"EndlessStandardInput", "\"$PAINTER\" --names - --check < /dev/zero", 1,
                   "cannot read standard input: a list is at most 64 MiB"},
        RefusedRun{"TooManyLines", "yes ana | head -n 1000001 | \"$PAINTER\" --names - --output-dir d", 1,
                   "a list is at most 1000000 lines"},
        // Standard output closed: the picture would go nowhere.
        RefusedRun{"StandardOutputClosed", "\"$PAINTER\" --name ana -o - >&-", 1,
                   "cannot write standard output: it is closed"},
        // A device that takes no byte, made like /dev/full (root only; never the
        // system's own, which a broken save would replace): the system's
        // reason, not the PNG library's.
        RefusedRun{"FullDevice",
                   "mknod -m 666 full c 1 7 || exit 77; \"$PAINTER\" --name ana --output full --format png; s=$?; "
                   "[ -c full ] || s=99; rm -f full; exit $s",
                   1, "cannot write full: No space left on device"}),
    [](const auto& info) { return std::string(info.param.label); });

// Provoked with a named pipe read by cat, and with a device node made like
// /dev/null (root only): each is written into and stays what it was.
TEST(ListRuns, AnOutputThatIsNotAFileIsWrittenIntoNotReplaced) {
    QTemporaryDir dir;
    const ProgramRun piped = runShell(
        "cd \"$1\" && mkfifo f.png && { timeout 30 cat f.png > got.png & } && \"$PAINTER\" --name ana --output f.png; "
        "s=$?; "
        "wait; exit $s",
        {dir.path()}, 60000);
    EXPECT_EQ(piped.exitCode, 0) << piped.err.toStdString();
    EXPECT_TRUE(testing::isFifo(dir.filePath("f.png"))) << "the named pipe was replaced";
    EXPECT_EQ(QImage(dir.filePath("got.png")).size(), QSize(700, 525));

    const QString node = dir.filePath("x.png");
    if (!testing::makeDeviceNode(node, 3)) GTEST_SKIP() << "device nodes need root";
    const ProgramRun run = runPainterProgram({"--name", "ana", "--output", node});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(testing::isCharacterDevice(node)) << "the device node was replaced by a file";
    const ProgramRun list = runPainterProgram({"--names", dir.filePath("got.png"), "--check"});
    EXPECT_NE(list.exitCode, -1);
}

// Provoked by cutting a BMP, a PNG and a PDF of an earlier batch short (as
// a crash of another program would): --skip-existing keeps only whole files.
TEST(ListRuns, SkipExistingRepaintsACutFileOfEveryFormat) {
    for (const char* format : {"bmp", "png", "pdf"}) {
        QTemporaryDir dir;
        writeFile(dir.filePath("list"), "ana\nbor\n");
        const QStringList batch = {
            "--names", dir.filePath("list"), "--output-dir", dir.filePath("out"), "--format", format,
            "-q",      "--skip-existing"};
        ASSERT_EQ(runPainterProgram(batch).exitCode, 0) << format;
        const QString cut = dir.filePath(QStringLiteral("out/ana.%1").arg(QLatin1String(format)));
        const QByteArray whole = contents(cut);
        writeFile(cut, whole.left(whole.size() - 100));
        const ProgramRun again = runPainterProgram(batch);
        EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
        EXPECT_TRUE(again.err.contains("painted 1 of 2 names (kept 1 already there)"))
            << format << again.err.toStdString();
        EXPECT_EQ(contents(cut).size(), whole.size()) << format << ": the cut file was kept";
    }
}

// Provoked with a 2 MB file system as the output: pictures, one PDF of every
// card and a contact sheet run out of room. Only the program speaks, with the
// system's reason, and the summary counts what failed.
struct FullDiskRun {
    const char* label;
    QStringList arguments;  // DISK: the small file system
    int count;              // names in the list
    const char* summary;    // a part of the summary, in a regular expression
    QStringList kept;       // files that must not be there
};

void PrintTo(const FullDiskRun& c, std::ostream* os) { *os << c.label; }

class FullDisk : public ::testing::TestWithParam<FullDiskRun> {};

TEST_P(FullDisk, SaysNoSpaceLeftAndCountsTheFailures) {
    testing::ScratchMount disk("size=2m");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small file system needs root";
    QTemporaryDir dir;
    writeFile(dir.filePath("list"), names(GetParam().count));
    QStringList arguments = {"--names", dir.filePath("list"), "-q"};
    for (const QString& a : GetParam().arguments) arguments << QString(a).replace("DISK", disk.path());
    const ProgramRun run = runPainterProgram(arguments);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("No space left on device")) << run.err.toStdString();
    for (const char* foreign : {"libpng", "Unknown error", "QPdf", "QImage"})
        EXPECT_FALSE(run.err.contains(foreign)) << run.err.toStdString();
    EXPECT_TRUE(QRegularExpression(GetParam().summary).match(run.err).hasMatch()) << run.err.toStdString();
    const QString all = QString::number(GetParam().count);
    EXPECT_FALSE(run.err.contains("painted " + all + " of " + all)) << run.err.toStdString();
    for (const QString& f : allFiles(disk.path())) {
        EXPECT_FALSE(QFileInfo(f).fileName().startsWith('.')) << "a temporary file was left: " << f.toStdString();
        EXPECT_FALSE(GetParam().kept.contains(f)) << f.toStdString() << " is there, cut short";
    }
}

INSTANTIATE_TEST_SUITE_P(
    ListRuns, FullDisk,
    ::testing::Values(
        FullDiskRun{"Pictures",
                    {"--output-dir", "DISK", "--format", "bmp"},
                    5,
                    R"(painted [01] of 5 names into .*; [45] could not be written)",
                    {}},
        FullDiskRun{"Document", {"--output", "DISK/b.pdf"}, 30, R"(painted 0 of 30 names; 30 could not)", {"b.pdf"}},
        FullDiskRun{"Sheet",
                    {"--sheet", "DISK/s.bmp", "--output-dir", "DISK/p", "--format", "png"},
                    7,
                    R"(painted 0 of 7 names into .*; 7 could not be written)",
                    {"s.bmp"}}),
    [](const auto& info) { return std::string(info.param.label); });

// Provoked with a read-only file system (root only): the real reason.
TEST(ListRuns, AReadOnlyDiskSaysSo) {
    testing::ScratchMount disk("size=64k", true);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a file system needs root";
    QTemporaryDir dir;
    writeFile(dir.filePath("list"), "ana\n");
    for (const QString& folder : {disk.path(), disk.filePath("sub")}) {
        const ProgramRun run = runPainterProgram({"--names", dir.filePath("list"), "--output-dir", folder});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains("Read-only file system")) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("does not exist")) << run.err.toStdString();
    }
}

// Provoked with a list of an escape sequence, a NUL, a formula, a no-break
// space, a zero-width space and bytes that are not UTF-8: the messages and
// the manifest name them, and hold none of them as they are.
TEST(ListRuns, HostileLinesAreShownNotReplayed) {
    QTemporaryDir dir;
    writeFile(dir.filePath("list"),
              QByteArrayLiteral("ana\nx\x1b[31my\nq\0r\n=cmd()\nana\xc2\xa0novak\nana\xe2\x80\x8bnovak\nbo\xffr\n"));
    const ProgramRun run = runPainterProgram(
        {"--names", dir.filePath("list"), "--output-dir", dir.filePath("out"), "--manifest", dir.filePath("m.csv")});
    EXPECT_EQ(run.exitCode, 1);
    for (const char* shown :
         {"line 2: only blanks and a\u2013z: found 'U+001B' at position 2",
          "line 3: only blanks and a\u2013z: found 'U+0000' at position 2",
          "line 5: only blanks and a\u2013z: found 'U+00A0' at position 4",
          "line 6: only blanks and a\u2013z: found 'U+200B' at position 4", "line 7: the name is not valid UTF-8"})
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(shown))) << shown << "\n" << run.err.toStdString();
    const QByteArray manifest = contents(dir.filePath("m.csv"));
    for (const QByteArray& text : {run.err.toUtf8(), manifest}) {
        EXPECT_FALSE(text.contains('\x1b'));
        EXPECT_FALSE(text.contains('\0'));
        EXPECT_FALSE(text.contains("\xef\xbf\xbd")) << "a replacement character instead of the reason";
    }
    EXPECT_TRUE(manifest.contains("\"'=cmd()\"")) << manifest.toStdString();
    EXPECT_TRUE(manifest.contains("\"ana<U+00A0>novak\"")) << manifest.toStdString();
}

// Every way of running stops alike on Ctrl-C and SIGTERM: 128 + the signal,
// a summary, and no output cut short. Provoked by the signal itself, sent
// once the first picture is reported.
struct StoppedRun {
    const char* label;
    QStringList arguments;  // DIR: the test's folder
    int signal;
    int exitCode;
    QStringList absent;  // outputs that must not be there
};

void PrintTo(const StoppedRun& c, std::ostream* os) { *os << c.label; }

class StoppedRuns : public ::testing::TestWithParam<StoppedRun> {};

TEST_P(StoppedRuns, EndWith128PlusTheSignalAndNothingPartial) {
    QTemporaryDir dir;
    writeFile(dir.filePath("list"), names(40));
    QStringList arguments = {"--names", dir.filePath("list"), "--jobs", "2"};
    for (const QString& a : GetParam().arguments) arguments << QString(a).replace("DIR", dir.path());
    QByteArray err;
    const ProgramRun run = stopOnceReported(arguments, "/40] ", GetParam().signal, err);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << err.toStdString() << run.err.toStdString();
    EXPECT_TRUE(
        run.err.contains(GetParam().signal == SIGINT ? "stopped by Ctrl-C: painted" : "stopped by SIGTERM: painted"))
        << run.err.toStdString();
    const QStringList left = allFiles(dir.path());
    for (const QString& f : left) EXPECT_FALSE(QFileInfo(f).fileName().startsWith('.')) << f.toStdString();
    for (const QString& f : GetParam().absent) EXPECT_FALSE(left.contains(f)) << f.toStdString() << " was written";
    for (const QString& f : left)
        if (f.startsWith("p/")) {
            EXPECT_EQ(QImage(dir.filePath(f)).size(), QSize(700, 525)) << f.toStdString();
        }
}

INSTANTIATE_TEST_SUITE_P(
    ListRuns, StoppedRuns,
    ::testing::Values(
        StoppedRun{"DocumentCtrlC", {"--output", "DIR/b.pdf"}, SIGINT, 130, {"b.pdf"}},
        StoppedRun{"DocumentTerm", {"--output", "DIR/b.pdf"}, SIGTERM, 143, {"b.pdf"}},
        StoppedRun{"SheetCtrlC", {"--sheet", "DIR/s.png"}, SIGINT, 130, {"s.png"}},
        StoppedRun{"SheetAndPicturesTerm", {"--sheet", "DIR/s.pdf", "--output-dir", "DIR/p"}, SIGTERM, 143, {"s.pdf"}},
        StoppedRun{"PicturesCtrlC", {"--output-dir", "DIR/p", "--manifest", "DIR/m.jsonl"}, SIGINT, 130, {}}),
    [](const auto& info) { return std::string(info.param.label); });

#if defined(__x86_64__)
// Whether the process is blocked reading standard input (read is system call 0).
bool readingStandardInput(qint64 pid) {
    QFile syscall(QStringLiteral("/proc/%1/syscall").arg(pid));
    return syscall.open(QIODevice::ReadOnly) && syscall.readAll().startsWith("0 0x0 ");
}

// Provoked with a list on standard input that never ends and never sends a
// byte: the program waits in its read, and each signal ends it there.
TEST(ListRuns, ASignalStopsTheReadingOfTheList) {
    for (const auto& [signal, code] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        QProcess process;
        process.setProcessEnvironment(headlessEnvironment());
        process.start(QStringLiteral(PAINTER_EXECUTABLE), {"--names", "-", "--check"});
        ASSERT_TRUE(process.waitForStarted());
        for (int k = 0; k < 3000 && !readingStandardInput(process.processId()); ++k) QThread::msleep(10);
        ASSERT_TRUE(readingStandardInput(process.processId()));
        ::kill(static_cast<pid_t>(process.processId()), signal);
        const ProgramRun run = finish(process, 30000);
        EXPECT_EQ(run.exitCode, code) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("nothing painted")) << run.err.toStdString();
    }
}
#endif

}  // namespace
}  // namespace painter

namespace painter {
namespace {

// The web service takes the same writers: an encoding failure, provoked by a
// painting service that reports one, is answered 500 with its reason, never
// an empty 200; a good picture keeps its content type from the format table.
TEST(WebPictures, AnEncodingFailureIsA500) {
    WebRequest request;
    request.method = "GET";
    request.target = "/picture?name=ana";
    RouteAnswer answer = answerRequest(request);
    ASSERT_TRUE(std::holds_alternative<Paintable>(answer));
    const Paintable& job = std::get<Paintable>(answer);
    const WebResponse refused =
        job.respond(EncodedPicture{{}, QByteArrayLiteral("image/png"), QStringLiteral("the encoder gave up")});
    EXPECT_EQ(refused.status, 500);
    EXPECT_TRUE(refused.body.contains("the encoder gave up")) << refused.body.toStdString();

    for (const auto& [format, type] :
         {std::pair{"png", "image/png"}, std::pair{"bmp", "image/bmp"}, std::pair{"pdf", "application/pdf"}}) {
        const EncodedPicture painted = paintForWeb({.name = QStringLiteral("ana"), .format = QLatin1String(format)});
        EXPECT_FALSE(painted.problem) << format;
        EXPECT_EQ(painted.contentType, type);
        const WebResponse answered = job.respond(painted);
        EXPECT_EQ(answered.status, 200) << format;
        EXPECT_FALSE(answered.body.isEmpty());
    }
}

}  // namespace
}  // namespace painter
