// The command line: what each combination of arguments asks for, and the
// program run without a window from start to written file.

#include "app/command_line.h"
#include "platform/picture_folder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QProcess>
#include <QTemporaryDir>

#include "program_run.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace painter {
namespace {

using Kind = CommandLineRequest::Kind;

struct ParseCase {
    const char* label = "";
    QStringList arguments = {};  // without the program name
    Kind kind = Kind::Window;
    QString name = {};
    QString output = {};
    QString folder = {};     // null: the default folder
    QString errorPart = {};  // Invalid: a part of the message
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.label; }

class CommandLineParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CommandLineParse, TellsWhatTheArgumentsAskFor)
{
    const ParseCase& c = GetParam();
    CommandLine commandLine;
    const CommandLineRequest request = commandLine.parse(QStringList{"painter"} + c.arguments);
    EXPECT_EQ(request.kind, c.kind) << request.error.toStdString();
    if (c.kind == Kind::Invalid) {
        EXPECT_TRUE(request.error.contains(c.errorPart)) << request.error.toStdString();
        return;
    }
    EXPECT_EQ(request.name, c.name);
    EXPECT_EQ(request.output, c.output);
    if (c.kind == Kind::Window || c.kind == Kind::Single) {
        EXPECT_EQ(request.folder, c.folder.isNull() ? defaultPictureFolder() : c.folder);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineParse,
    ::testing::Values(
        ParseCase{.label = "Nothing", .kind = Kind::Window},
        ParseCase{.label = "Folder", .arguments = {"--folder", "/tmp/pics"}, .kind = Kind::Window, .folder = "/tmp/pics"},
        // Qt's own options belong to the window and are no errors.
        ParseCase{.label = "QtOptions", .arguments = {"-platform", "xcb", "-style", "fusion", "-reverse"}, .kind = Kind::Window},
        ParseCase{.label = "Single", .arguments = {"--name", "ana novak", "--output", "a.png"}, .kind = Kind::Single, .name = "ana novak", .output = "a.png"},
        ParseCase{.label = "SingleEmptyName", .arguments = {"--output=a.bmp", "--name="}, .kind = Kind::Single, .name = "", .output = "a.bmp"},
        ParseCase{.label = "SingleIntoFolder", .arguments = {"--name", "ana", "--folder", "f"}, .kind = Kind::Single, .name = "ana", .folder = "f"},
        // The name is checked when the picture is painted, with its reason.
        ParseCase{.label = "SingleRejectableName", .arguments = {"--name", "Ana", "--output", "a.png"}, .kind = Kind::Single, .name = "Ana", .output = "a.png"},
        ParseCase{.label = "Help", .arguments = {"--help"}, .kind = Kind::Help},
        ParseCase{.label = "HelpShort", .arguments = {"-h", "--name", "x"}, .kind = Kind::Help},
        ParseCase{.label = "Version", .arguments = {"--version"}, .kind = Kind::Version},
        ParseCase{.label = "HelpAll", .arguments = {"--help-all"}, .kind = Kind::HelpAll},
        ParseCase{.label = "Check", .arguments = {"--names", "l", "--check", "--shard", "1/3", "-q"}, .kind = Kind::Check},
        ParseCase{.label = "BatchOptions", .arguments = {"--names", "l", "--output-dir", "o", "--skip-existing", "--manifest", "m.jsonl", "--year", "2030"}, .kind = Kind::Batch},
        ParseCase{.label = "StandardOutput", .arguments = {"--name", "ana", "-o", "-", "--format", "bmp"}, .kind = Kind::Single, .name = "ana", .output = "-"},
        ParseCase{.label = "OutputDirWithName", .arguments = {"--name", "ana", "--output-dir", "o"}, .kind = Kind::Invalid, .errorPart = "--output-dir does nothing with --name"},
        // Without --output the picture goes where the window's save puts it.
        ParseCase{.label = "NameWithoutOutput", .arguments = {"--name", "ana"}, .kind = Kind::Single, .name = "ana"},
        ParseCase{.label = "Describe", .arguments = {"--name", "ana", "--describe"}, .kind = Kind::Describe, .name = "ana"},
        ParseCase{.label = "Batch", .arguments = {"--names", "list.txt", "--output-dir", "out", "--format", "PNG", "--jobs", "3"}, .kind = Kind::Batch},
        ParseCase{.label = "BatchFromStdin", .arguments = {"--names", "-", "--output-dir", "out"}, .kind = Kind::Batch},
        ParseCase{.label = "DescribeWithoutName", .arguments = {"--describe"}, .kind = Kind::Invalid, .errorPart = "--name"},
        ParseCase{.label = "DescribeWithOutput", .arguments = {"--name", "a", "--describe", "--output", "a.png"}, .kind = Kind::Invalid, .errorPart = "--output"},
        ParseCase{.label = "NamesWithoutDir", .arguments = {"--names", "list.txt"}, .kind = Kind::Invalid, .errorPart = "--output-dir"},
        ParseCase{.label = "DirWithoutNames", .arguments = {"--output-dir", "out"}, .kind = Kind::Invalid, .errorPart = "--names"},
        ParseCase{.label = "NameAndNames", .arguments = {"--name", "a", "--names", "l", "--output-dir", "o"}, .kind = Kind::Invalid, .errorPart = "exclude"},
        ParseCase{.label = "BadFormat", .arguments = {"--names", "l", "--output-dir", "o", "--format", "gif"}, .kind = Kind::Invalid, .errorPart = "gif"},
        ParseCase{.label = "BadJobs", .arguments = {"--names", "l", "--output-dir", "o", "--jobs", "0"}, .kind = Kind::Invalid, .errorPart = "--jobs"},
        ParseCase{.label = "JobsWithoutNames", .arguments = {"--jobs", "2"}, .kind = Kind::Invalid, .errorPart = "--names"},
        ParseCase{.label = "OutputWithoutName", .arguments = {"--output", "a.png"}, .kind = Kind::Invalid, .errorPart = "--name"},
        ParseCase{.label = "EmptyOutput", .arguments = {"--name", "ana", "--output", ""}, .kind = Kind::Invalid, .errorPart = "--output"},
        ParseCase{.label = "EmptyFolder", .arguments = {"--folder", ""}, .kind = Kind::Invalid, .errorPart = "--folder"},
        ParseCase{.label = "MissingValue", .arguments = {"--name"}, .kind = Kind::Invalid, .errorPart = "name"},
        ParseCase{.label = "UnknownOption", .arguments = {"--colour", "red"}, .kind = Kind::Invalid, .errorPart = "colour"},
        ParseCase{.label = "StrayArgument", .arguments = {"ana"}, .kind = Kind::Invalid, .errorPart = "'ana'"},
        ParseCase{.label = "Serve", .arguments = {"--serve", "8080", "--jobs", "3", "--queue", "9", "--quiet"}, .kind = Kind::Serve},
        ParseCase{.label = "ServeWithName", .arguments = {"--serve", "8080", "--name", "ana"}, .kind = Kind::Invalid, .errorPart = "--serve"},
        ParseCase{.label = "ServeBadPort", .arguments = {"--serve", "70000"}, .kind = Kind::Invalid, .errorPart = "0 to 65535"},
        ParseCase{.label = "ServeNoHost", .arguments = {"--serve", ":8080"}, .kind = Kind::Invalid, .errorPart = "host"},
        ParseCase{.label = "ServeBadJobs", .arguments = {"--serve", "8080", "--jobs", "0"}, .kind = Kind::Invalid, .errorPart = "--jobs"},
        ParseCase{.label = "ServeBadQueue", .arguments = {"--serve", "8080", "--queue", "x"}, .kind = Kind::Invalid, .errorPart = "--queue"},
        ParseCase{.label = "QuietAlone", .arguments = {"--quiet"}, .kind = Kind::Invalid, .errorPart = "--serve"}),
    [](const auto& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------- the program

TEST(ServeAddress, HostAndPortOfTheArgument)
{
    struct Case {
        const char* text;
        const char* host;  // nullptr: refused
        int port;
    };
    const Case cases[] = {
        {"8080", "127.0.0.1", 8080}, {"0", "127.0.0.1", 0},        {"0.0.0.0:80", "0.0.0.0", 80},
        {"[::1]:8080", "::1", 8080}, {"localhost:1", "localhost", 1}, {"::1:8080", nullptr, 0},
        {"[::1]8080", nullptr, 0},   {"ana", nullptr, 0},           {"+80", nullptr, 0},
        {"-1", nullptr, 0},          {"", nullptr, 0},
    };
    CommandLine commandLine;
    for (const Case& c : cases) {
        const CommandLineRequest r = commandLine.parse({"painter", "--serve", QString::fromLatin1(c.text)});
        if (!c.host) {
            EXPECT_EQ(r.kind, Kind::Invalid) << c.text;
            continue;
        }
        ASSERT_EQ(r.kind, Kind::Serve) << c.text << ": " << r.error.toStdString();
        EXPECT_EQ(r.serveHost, QString::fromLatin1(c.host)) << c.text;
        EXPECT_EQ(r.servePort, c.port) << c.text;
    }
}

TEST(PainterProgram, PaintsOneNameIntoTheFileWithoutADisplay)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("ana.png");
    const ProgramRun run = runPainterProgram({"--name", "ana novak", "--output", file});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    const QImage picture(file);
    EXPECT_EQ(picture.size(), QSize(700, 525));
    // The same name paints the same picture, whenever it is painted.
    const QString again = dir.filePath("again.png");
    ASSERT_EQ(runPainterProgram({"--name", "ana novak", "--output", again}).exitCode, kExitOk);
    EXPECT_EQ(QImage(again), picture);
}

struct RefusalCase {
    const char* label;
    QString name;
    const char* reasonPart;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.label; }

class PainterProgramRefuses : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(PainterProgramRefuses, ARejectedNameWithItsReasonAndWritesNothing)
{
    const RefusalCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("x.png");
    const ProgramRun run = runPainterProgram({"--name", c.name, "--output", file});
    EXPECT_EQ(run.exitCode, kExitUsage);
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.reasonPart))) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(file));
}

INSTANTIATE_TEST_SUITE_P(Names, PainterProgramRefuses,
                         ::testing::Values(RefusalCase{"Capital", "Ana", "'A' at position 1"},
                                           RefusalCase{"Digit", "ana2", "'2' at position 4"},
                                           RefusalCase{"Diacritic", QString::fromUtf8("čaba"), "position 1"},
                                           RefusalCase{"TooLong", QString(101, 'a'), "more than 100"}),
                         [](const auto& info) { return std::string(info.param.label); });

// Provoked by an output path inside a folder that does not exist.
TEST(PainterProgram, AFileThatCannotBeWrittenIsAFailure)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("missing/ana.png");
    const ProgramRun run = runPainterProgram({"--name", "ana", "--output", file});
    EXPECT_EQ(run.exitCode, kExitFailure);
    EXPECT_TRUE(run.err.contains(file)) << run.err.toStdString();
}

TEST(PainterProgram, HelpAndVersionNeedNoDisplay)
{
    const ProgramRun help = runPainterProgram({"--help"});
    EXPECT_EQ(help.exitCode, kExitOk);
    EXPECT_TRUE(help.out.contains("--name <name>"));
    EXPECT_TRUE(help.out.contains("--folder <dir>"));
    const ProgramRun version = runPainterProgram({"--version"});
    EXPECT_EQ(version.exitCode, kExitOk);
    EXPECT_EQ(version.out.trimmed(), QStringLiteral("painter " PAINTER_VERSION));
    const ProgramRun wrong = runPainterProgram({"--bogus"});
    EXPECT_EQ(wrong.exitCode, kExitUsage);
    EXPECT_TRUE(wrong.err.contains("bogus"));
}

}  // namespace
}  // namespace painter

namespace painter {
namespace {

TEST(PainterProgram, NameWithoutOutputIsSavedLikeTheWindowSavesIt)
{
    QTemporaryDir dir;
    const ProgramRun run = runPainterProgram({"--name", "ana", "--folder", dir.filePath("pics")});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    const QStringList files = QDir(dir.filePath("pics")).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^T\\d{14}\\.bmp$").match(files[0]).hasMatch()) << files[0].toStdString();
    EXPECT_EQ(run.out.trimmed(), QDir::toNativeSeparators(dir.filePath("pics/" + files[0])));
}

TEST(PainterProgram, BatchPaintsTheGoodLinesAndReportsTheOthers)
{
    QTemporaryDir dir;
    QFile list(dir.filePath("names.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("ana\n\nAna Novak\nbor\n" + QByteArray(101, 'z') + "\nana\n");
    list.close();
    QDir().mkpath(dir.filePath("out"));
    const ProgramRun run =
        runPainterProgram({"--names", list.fileName(), "--output-dir", dir.filePath("out"), "--format", "png"});
    EXPECT_EQ(run.exitCode, kExitFailure);
    EXPECT_TRUE(run.err.contains("line 3: only blanks and a\u2013z: found 'A' at position 1")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("line 5: more than 100 characters")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("painted 3 of 5 names")) << run.err.toStdString();
    // Not a terminal: plain progress lines, one a picture.
    EXPECT_EQ(run.err.count(QRegularExpression("^\\[\\d/3\\] ", QRegularExpression::MultilineOption)), 3);
    EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files),
              (QStringList{"ana-2.png", "ana.png", "bor.png"}));
}

TEST(PainterProgram, BatchReadsStandardInput)
{
    QTemporaryDir dir;
    const ProgramRun run = runPainterProgram({"--names", "-", "--output-dir", dir.path(), "--jobs", "1"}, "eva\r\n\r\n");
    EXPECT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"eva.png"});
}

// Provoked with /proc, which takes no new files even from root, and with a
// folder that cannot be made because a plain file stands in its way: both are
// found before anything is painted.
TEST(PainterProgram, BatchOutputFolderProblemsStopItBeforePainting)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    for (const QString& folder : {QStringLiteral("/proc"), dir.filePath("plain/cards")}) {
        const ProgramRun run = runPainterProgram({"--names", "-", "--output-dir", folder}, "ana\n");
        EXPECT_EQ(run.exitCode, kExitFailure);
        EXPECT_TRUE(run.err.contains(folder)) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("[1/1]")) << "nothing was painted";
    }
}

TEST(PainterProgram, DescribePrintsWhatTheNameDecides)
{
    const ProgramRun run = runPainterProgram({"--name", "ana novak", "--describe"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    const QJsonObject d = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(d["seed"].toInt(), 4405285);
    for (const char* key : {"tip1", "tip2", "tip3", "pozic0", "fi0", "r0", "fak1", "fak2", "fak3", "nac", "rr",
                            "draws", "triangle"})
        EXPECT_TRUE(d.contains(QLatin1String(key))) << key;
    EXPECT_EQ(runPainterProgram({"--name", "Ana", "--describe"}).exitCode, kExitUsage);
}

}  // namespace
}  // namespace painter

namespace painter {
namespace {

// A desktop that asks for X11 (QT_QPA_PLATFORM=xcb) must not matter without a
// window: the X11 plugin reads --name as its own option and no display exists.
TEST(PainterProgram, WindowPlatformOfTheDesktopDoesNotReachHeadlessRuns)
{
    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PAINTER_EXECUTABLE), {"--name", "ana", "--output", dir.filePath("a.bmp")});
    ASSERT_TRUE(process.waitForFinished(-1));
    EXPECT_EQ(process.exitCode(), kExitOk) << process.readAllStandardError().toStdString();
    EXPECT_EQ(QImage(dir.filePath("a.bmp")).size(), QSize(700, 525));
}

}  // namespace
}  // namespace painter
