// The command line: what each combination of arguments asks for, and the
// program run without a window from start to written file.

#include "app/command_line.h"
#include "platform/picture_folder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "pdf_tools.h"
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

TEST_P(CommandLineParse, TellsWhatTheArgumentsAskFor) {
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
        ParseCase{
            .label = "Folder", .arguments = {"--folder", "/tmp/pics"}, .kind = Kind::Window, .folder = "/tmp/pics"},
        // Qt's own options belong to the window and are no errors.
        ParseCase{.label = "QtOptions",
                  .arguments = {"-platform", "xcb", "-style", "fusion", "-reverse"},
                  .kind = Kind::Window},
        ParseCase{.label = "Single",
                  .arguments = {"--name", "ana novak", "--output", "a.png"},
                  .kind = Kind::Single,
                  .name = "ana novak",
                  .output = "a.png"},
        ParseCase{.label = "SingleEmptyName",
                  .arguments = {"--output=a.bmp", "--name="},
                  .kind = Kind::Single,
                  .name = "",
                  .output = "a.bmp"},
        ParseCase{.label = "SingleIntoFolder",
                  .arguments = {"--name", "ana", "--folder", "f"},
                  .kind = Kind::Single,
                  .name = "ana",
                  .folder = "f"},
        // The name is checked when the picture is painted, with its reason.
        ParseCase{.label = "SingleRejectableName",
                  .arguments = {"--name", "Ana", "--output", "a.png"},
                  .kind = Kind::Single,
                  .name = "Ana",
                  .output = "a.png"},
        ParseCase{.label = "Help", .arguments = {"--help"}, .kind = Kind::Help},
        ParseCase{.label = "HelpShort", .arguments = {"-h", "--name", "x"}, .kind = Kind::Help},
        ParseCase{.label = "Version", .arguments = {"--version"}, .kind = Kind::Version},
        ParseCase{.label = "HelpAll", .arguments = {"--help-all"}, .kind = Kind::HelpAll},
        ParseCase{
            .label = "Check", .arguments = {"--names", "l", "--check", "--shard", "1/3", "-q"}, .kind = Kind::Check},
        ParseCase{.label = "BatchOptions",
                  .arguments = {"--names", "l", "--output-dir", "o", "--skip-existing", "--manifest", "m.jsonl",
                                "--year", "2030"},
                  .kind = Kind::Batch},
        ParseCase{.label = "StandardOutput",
                  .arguments = {"--name", "ana", "-o", "-", "--format", "bmp"},
                  .kind = Kind::Single,
                  .name = "ana",
                  .output = "-"},
        ParseCase{.label = "OutputDirWithName",
                  .arguments = {"--name", "ana", "--output-dir", "o"},
                  .kind = Kind::Invalid,
                  .errorPart = "--output-dir does nothing with --name"},
        // Without --output the picture goes where the window's save puts it.
        ParseCase{.label = "NameWithoutOutput", .arguments = {"--name", "ana"}, .kind = Kind::Single, .name = "ana"},
        ParseCase{
            .label = "Describe", .arguments = {"--name", "ana", "--describe"}, .kind = Kind::Describe, .name = "ana"},
        ParseCase{.label = "Batch",
                  .arguments = {"--names", "list.txt", "--output-dir", "out", "--format", "PNG", "--jobs", "3"},
                  .kind = Kind::Batch},
        ParseCase{.label = "BatchFromStdin", .arguments = {"--names", "-", "--output-dir", "out"}, .kind = Kind::Batch},
        ParseCase{
            .label = "DescribeWithoutName", .arguments = {"--describe"}, .kind = Kind::Invalid, .errorPart = "--name"},
        ParseCase{.label = "DescribeWithOutput",
                  .arguments = {"--name", "a", "--describe", "--output", "a.png"},
                  .kind = Kind::Invalid,
                  .errorPart = "--output"},
        ParseCase{.label = "NamesWithoutDir",
                  .arguments = {"--names", "list.txt"},
                  .kind = Kind::Invalid,
                  .errorPart = "--output-dir"},
        ParseCase{.label = "DirWithoutNames",
                  .arguments = {"--output-dir", "out"},
                  .kind = Kind::Invalid,
                  .errorPart = "--names"},
        ParseCase{.label = "NameAndNames",
                  .arguments = {"--name", "a", "--names", "l", "--output-dir", "o"},
                  .kind = Kind::Invalid,
                  .errorPart = "exclude"},
        ParseCase{.label = "BadFormat",
                  .arguments = {"--names", "l", "--output-dir", "o", "--format", "gif"},
                  .kind = Kind::Invalid,
                  .errorPart = "gif"},
        ParseCase{.label = "BadJobs",
                  .arguments = {"--names", "l", "--output-dir", "o", "--jobs", "0"},
                  .kind = Kind::Invalid,
                  .errorPart = "--jobs"},
        // Every whole-number option is read by one helper, with one kind of reason.
        ParseCase{.label = "JobsNotANumber",
                  .arguments = {"--names", "l", "--output-dir", "o", "--jobs", "2x"},
                  .kind = Kind::Invalid,
                  .errorPart = "--jobs takes a whole number from 1 to 256, not '2x'"},
        ParseCase{.label = "ServeJobsTooMany",
                  .arguments = {"--serve", "8080", "--jobs", "257"},
                  .kind = Kind::Invalid,
                  .errorPart = "--jobs takes a whole number from 1 to 256, not '257'"},
        ParseCase{.label = "QueueZero",
                  .arguments = {"--serve", "8080", "--queue", "0"},
                  .kind = Kind::Invalid,
                  .errorPart = "--queue takes a whole number from 1 to 100000, not '0'"},
        ParseCase{.label = "YearZero",
                  .arguments = {"--name", "a", "--output", "a.png", "--year", "0"},
                  .kind = Kind::Invalid,
                  .errorPart = "--year takes a year from 1 to 9999, not '0'"},
        ParseCase{
            .label = "JobsWithoutNames", .arguments = {"--jobs", "2"}, .kind = Kind::Invalid, .errorPart = "--names"},
        ParseCase{.label = "OutputWithoutName",
                  .arguments = {"--output", "a.png"},
                  .kind = Kind::Invalid,
                  .errorPart = "--name"},
        ParseCase{.label = "EmptyOutput",
                  .arguments = {"--name", "ana", "--output", ""},
                  .kind = Kind::Invalid,
                  .errorPart = "--output"},
        ParseCase{
            .label = "EmptyFolder", .arguments = {"--folder", ""}, .kind = Kind::Invalid, .errorPart = "--folder"},
        ParseCase{.label = "MissingValue", .arguments = {"--name"}, .kind = Kind::Invalid, .errorPart = "name"},
        ParseCase{
            .label = "UnknownOption", .arguments = {"--colour", "red"}, .kind = Kind::Invalid, .errorPart = "colour"},
        ParseCase{.label = "StrayArgument", .arguments = {"ana"}, .kind = Kind::Invalid, .errorPart = "'ana'"},
        ParseCase{.label = "Serve",
                  .arguments = {"--serve", "8080", "--jobs", "3", "--queue", "9", "--quiet"},
                  .kind = Kind::Serve},
        ParseCase{.label = "ServeAlone", .arguments = {"--serve"}, .kind = Kind::Serve},
        ParseCase{.label = "ServeAloneBeforeAnOption", .arguments = {"--serve", "--quiet"}, .kind = Kind::Serve},
        ParseCase{.label = "ServeWithName",
                  .arguments = {"--serve", "8080", "--name", "ana"},
                  .kind = Kind::Invalid,
                  .errorPart = "--serve"},
        ParseCase{.label = "ServeBadPort",
                  .arguments = {"--serve", "70000"},
                  .kind = Kind::Invalid,
                  .errorPart = "0 to 65535"},
        ParseCase{
            .label = "ServeNoHost", .arguments = {"--serve", ":8080"}, .kind = Kind::Invalid, .errorPart = "host"},
        ParseCase{.label = "ServeBadJobs",
                  .arguments = {"--serve", "8080", "--jobs", "0"},
                  .kind = Kind::Invalid,
                  .errorPart = "--jobs"},
        ParseCase{.label = "ServeBadQueue",
                  .arguments = {"--serve", "8080", "--queue", "x"},
                  .kind = Kind::Invalid,
                  .errorPart = "--queue"},
        ParseCase{.label = "QuietAlone", .arguments = {"--quiet"}, .kind = Kind::Invalid, .errorPart = "--serve"},
        // Printable outputs.
        ParseCase{.label = "CardPdf",
                  .arguments = {"--name", "ana", "--output", "a.pdf", "--page", "A5", "--cards-per-page", "2"},
                  .kind = Kind::Single,
                  .name = "ana",
                  .output = "a.pdf"},
        ParseCase{.label = "ListIntoOnePdf",
                  .arguments = {"--names", "l", "--output", "all.pdf"},
                  .kind = Kind::Batch,
                  .output = "all.pdf"},
        ParseCase{.label = "SheetOnly", .arguments = {"--names", "l", "--sheet", "s.png"}, .kind = Kind::Batch},
        ParseCase{.label = "PdfPerName",
                  .arguments = {"--names", "l", "--output-dir", "o", "--format", "pdf", "--page", "letter"},
                  .kind = Kind::Batch},
        ParseCase{.label = "Scaled",
                  .arguments = {"--name", "ana", "--output", "a.png", "--scale", "8"},
                  .kind = Kind::Single,
                  .name = "ana",
                  .output = "a.png"},
        ParseCase{.label = "ScaledBatch",
                  .arguments = {"--names", "l", "--output-dir", "o", "--scale", "2"},
                  .kind = Kind::Batch},
        ParseCase{.label = "ListIntoPng",
                  .arguments = {"--names", "l", "--output", "all.png"},
                  .kind = Kind::Invalid,
                  .errorPart = ".pdf"},
        ParseCase{.label = "OutputAndDir",
                  .arguments = {"--names", "l", "--output", "a.pdf", "--output-dir", "o"},
                  .kind = Kind::Invalid,
                  .errorPart = "exclude"},
        ParseCase{.label = "PageWithoutPdf",
                  .arguments = {"--name", "ana", "--output", "a.png", "--page", "a4"},
                  .kind = Kind::Invalid,
                  .errorPart = "--page"},
        ParseCase{.label = "UnknownPage",
                  .arguments = {"--name", "ana", "--output", "a.pdf", "--page", "a3"},
                  .kind = Kind::Invalid,
                  .errorPart = "'a3'"},
        ParseCase{.label = "FourCardsOnA6",
                  .arguments = {"--name", "ana", "--output", "a.pdf", "--page", "a6", "--cards-per-page", "4"},
                  .kind = Kind::Invalid,
                  .errorPart = "57 \u00d7 43 mm, too small"},
        ParseCase{.label = "ThreeCardsPerPage",
                  .arguments = {"--name", "ana", "--output", "a.pdf", "--cards-per-page", "3"},
                  .kind = Kind::Invalid,
                  .errorPart = "1, 2 or 4"},
        ParseCase{.label = "SheetWithoutNames",
                  .arguments = {"--name", "ana", "--sheet", "s.png"},
                  .kind = Kind::Invalid,
                  .errorPart = "--names"},
        ParseCase{.label = "SheetAsGif",
                  .arguments = {"--names", "l", "--sheet", "s.gif"},
                  .kind = Kind::Invalid,
                  .errorPart = "s.gif"},
        ParseCase{.label = "ScaleNine",
                  .arguments = {"--name", "ana", "--output", "a.png", "--scale", "9"},
                  .kind = Kind::Invalid,
                  .errorPart = "1 to 8"},
        ParseCase{.label = "ScaleHalf",
                  .arguments = {"--name", "ana", "--output", "a.png", "--scale", "1.5"},
                  .kind = Kind::Invalid,
                  .errorPart = "1 to 8"},
        ParseCase{.label = "ScalePdf",
                  .arguments = {"--name", "ana", "--output", "a.pdf", "--scale", "2"},
                  .kind = Kind::Invalid,
                  .errorPart = "--scale"},
        ParseCase{.label = "ScaleIntoSaveFolder",
                  .arguments = {"--name", "ana", "--scale", "2"},
                  .kind = Kind::Invalid,
                  .errorPart = "--scale"}),
    [](const auto& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------- the program

TEST(ServeAddress, HostAndPortOfTheArgument) {
    struct Case {
        const char* text;
        const char* host;  // nullptr: refused
        int port;
        const char* reason = nullptr;  // refused: a part of the message
    };
    const Case cases[] = {
        {"8080", "127.0.0.1", 8080},
        {"0", "127.0.0.1", 0},
        {"0.0.0.0:80", "0.0.0.0", 80},
        {"[::1]:8080", "::1", 8080},
        {"localhost:1", "localhost", 1},
        {"::1:8080", nullptr, 0, "needs a host before the ':' in '::1:8080'"},
        {"[::1]8080", nullptr, 0, "an IPv6 address is written [ADDRESS]:PORT, not '[::1]8080'"},
        {"ana", nullptr, 0, "with a port from 0 to 65535, not 'ana'"},
        {"+80", nullptr, 0, "with a port from 0 to 65535, not '+80'"},
        {"-1", nullptr, 0, "Unknown option '1'"},  // taken for short options
        {"", nullptr, 0, "with a port from 0 to 65535, not ''"},
        {":80", nullptr, 0, "needs a host before the ':' in ':80'"},
    };
    CommandLine commandLine;
    for (const Case& c : cases) {
        const CommandLineRequest r = commandLine.parse({"painter", "--serve", QString::fromLatin1(c.text)});
        if (!c.host) {
            EXPECT_EQ(r.kind, Kind::Invalid) << c.text;
            EXPECT_TRUE(r.error.contains(QString::fromLatin1(c.reason))) << c.text << ": " << r.error.toStdString();
            continue;
        }
        ASSERT_EQ(r.kind, Kind::Serve) << c.text << ": " << r.error.toStdString();
        EXPECT_EQ(r.serveHost, QString::fromLatin1(c.host)) << c.text;
        EXPECT_EQ(r.servePort, c.port) << c.text;
    }
    // Without an address, alone or before another option: the usual one.
    for (const QStringList& arguments : {QStringList{"painter", "--serve"}, {"painter", "--serve", "-q"}}) {
        const CommandLineRequest r = commandLine.parse(arguments);
        ASSERT_EQ(r.kind, Kind::Serve) << r.error.toStdString();
        EXPECT_EQ(r.serveHost, QStringLiteral("127.0.0.1"));
        EXPECT_EQ(r.servePort, 8080);
    }
}

TEST(ServeLimits, EachTakesItsRangeAndKeepsItsDefaultWhenLeftOut) {
    struct Case {
        const char* option;
        int WebServerOptions::*field;
        int low, high;
    };
    const Case cases[] = {
        {"--connections", &WebServerOptions::connections, 1, 1000000},
        {"--per-client", &WebServerOptions::perClient, 1, 1000000},
        {"--header-timeout", &WebServerOptions::headerTimeout, 1, 3600},
        {"--idle-timeout", &WebServerOptions::idleTimeout, 1, 3600},
        {"--cache", &WebServerOptions::cacheMiB, 0, 1048576},
    };
    CommandLine commandLine;
    const WebServerOptions defaults;
    for (const Case& c : cases) {
        const QString option = QString::fromLatin1(c.option);
        for (int value : {c.low, c.high}) {
            const CommandLineRequest r = commandLine.parse({"painter", "--serve", "0", option, QString::number(value)});
            ASSERT_EQ(r.kind, Kind::Serve) << c.option << " " << value << ": " << r.error.toStdString();
            EXPECT_EQ(r.serveLimits.*c.field, value) << c.option;
            for (const Case& other : cases) {
                if (other.field == c.field) continue;
                EXPECT_EQ(r.serveLimits.*other.field, defaults.*other.field) << c.option;
            }
        }
        for (const QString& bad : {QString::number(c.low - 1), QString::number(c.high + 1), QStringLiteral("x")}) {
            const CommandLineRequest r = commandLine.parse({"painter", "--serve", "0", option, bad});
            EXPECT_EQ(r.kind, Kind::Invalid) << c.option << " " << bad.toStdString();
            EXPECT_TRUE(r.error.contains(option)) << r.error.toStdString();
        }
        // Only with --serve.
        EXPECT_EQ(commandLine.parse({"painter", "--names", "l", "--output-dir", "o", option, "5"}).kind, Kind::Invalid)
            << c.option;
    }
}

TEST(PainterProgram, PaintsOneNameIntoTheFileWithoutADisplay) {
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

TEST_P(PainterProgramRefuses, ARejectedNameWithItsReasonAndWritesNothing) {
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
TEST(PainterProgram, AFileThatCannotBeWrittenIsAFailure) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("missing/ana.png");
    const ProgramRun run = runPainterProgram({"--name", "ana", "--output", file});
    EXPECT_EQ(run.exitCode, kExitFailure);
    EXPECT_TRUE(run.err.contains(file)) << run.err.toStdString();
}

TEST(PainterProgram, HelpAndVersionNeedNoDisplay) {
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

TEST(PainterProgram, NameWithoutOutputIsSavedLikeTheWindowSavesIt) {
    QTemporaryDir dir;
    const ProgramRun run = runPainterProgram({"--name", "ana", "--folder", dir.filePath("pics")});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    const QStringList files = QDir(dir.filePath("pics")).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^T\\d{14}\\.bmp$").match(files[0]).hasMatch()) << files[0].toStdString();
    EXPECT_EQ(run.out.trimmed(), QDir::toNativeSeparators(dir.filePath("pics/" + files[0])));
}

TEST(PainterProgram, BatchPaintsTheGoodLinesAndReportsTheOthers) {
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
    EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files), (QStringList{"ana-2.png", "ana.png", "bor.png"}));
}

TEST(PainterProgram, BatchReadsStandardInput) {
    QTemporaryDir dir;
    const ProgramRun run =
        runPainterProgram({"--names", "-", "--output-dir", dir.path(), "--jobs", "1"}, "eva\r\n\r\n");
    EXPECT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"eva.png"});
}

// Provoked with /proc, which takes no new files even from root, and with a
// folder that cannot be made because a plain file stands in its way: both are
// found before anything is painted.
TEST(PainterProgram, BatchOutputFolderProblemsStopItBeforePainting) {
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

TEST(PainterProgram, DescribePrintsWhatTheNameDecides) {
    const ProgramRun run = runPainterProgram({"--name", "ana novak", "--describe"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    const QJsonObject d = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(d["seed"].toInt(), 4405285);
    for (const char* key :
         {"tip1", "tip2", "tip3", "pozic0", "fi0", "r0", "fak1", "fak2", "fak3", "nac", "rr", "draws", "triangle"})
        EXPECT_TRUE(d.contains(QLatin1String(key))) << key;
    EXPECT_EQ(runPainterProgram({"--name", "Ana", "--describe"}).exitCode, kExitUsage);
}

}  // namespace
}  // namespace painter

namespace painter {
namespace {

// A desktop that asks for X11 (QT_QPA_PLATFORM=xcb) must not matter without a
// window: the X11 plugin reads --name as its own option and no display exists.
TEST(PainterProgram, WindowPlatformOfTheDesktopDoesNotReachHeadlessRuns) {
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

namespace painter {
namespace {

using testing::pdfImages;
using testing::pdfInfo;

// The card of a name holds exactly the pixels of that name's bitmap; an
// enlarged picture is the same picture in blocks.
TEST(PainterProgram, CardPdfAndEnlargedPictureHoldTheBitmapsPixels) {
    QTemporaryDir dir;
    const QString bmp = dir.filePath("ana.bmp"), pdf = dir.filePath("ana.pdf"), big = dir.filePath("big.png");
    for (const QStringList& args : {QStringList{"--output", bmp}, QStringList{"--output", pdf, "--page", "a5"},
                                    QStringList{"--output", big, "--scale", "4"}}) {
        const ProgramRun run = runPainterProgram(QStringList{"--name", "ana novak"} + args);
        ASSERT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    }
    const QImage picture = QImage(bmp).convertToFormat(QImage::Format_RGB888);
    const QList<QImage> images = pdfImages(pdf);
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images[0], picture);
    EXPECT_TRUE(pdfInfo(pdf).contains(QRegularExpression("Page size:\\s+595 x 420 pts")));  // A5 landscape
    const QImage enlarged = QImage(big).convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(enlarged.size(), QSize(2800, 2100));
    EXPECT_EQ(enlarged.scaled(700, 525, Qt::IgnoreAspectRatio, Qt::FastTransformation), picture);
    EXPECT_EQ(enlarged.pixel(2799, 2099), picture.pixel(699, 524));
}

TEST(PainterProgram, AListIntoOnePdfInOrderWithASheet) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("razred.pdf"), sheet = dir.filePath("razred.png");
    const ProgramRun run =
        runPainterProgram({"--names", "-", "--output", pdf, "--page", "a4", "--cards-per-page", "4", "--sheet", sheet},
                          "eva\nAna\nbor\ncene\nana\nana\n");
    EXPECT_EQ(run.exitCode, kExitFailure) << "line 2 is refused";
    EXPECT_TRUE(run.err.contains("line 2: only blanks and a\u2013z")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("painted 5 of 6 names")) << run.err.toStdString();

    const QList<QImage> images = pdfImages(pdf);
    ASSERT_EQ(images.size(), 5) << "a name that comes again is a card again";
    for (const auto& [k, name] :
         std::initializer_list<std::pair<int, const char*>>{{0, "eva"}, {1, "bor"}, {2, "cene"}, {3, "ana"}}) {
        const QString one = dir.filePath(QStringLiteral("%1.bmp").arg(k));
        ASSERT_EQ(runPainterProgram({"--name", name, "--output", one}).exitCode, kExitOk);
        EXPECT_EQ(images[k], QImage(one).convertToFormat(QImage::Format_RGB888)) << name;
    }
    const QString info = pdfInfo(pdf);
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+\\S"))) << info.toStdString();
    // Five thumbnails in a 3 x 2 grid.
    EXPECT_EQ(QImage(sheet).size(), QSize(3 * 160, 2 * 143));
}

TEST(PainterProgram, APdfPerNameIntoTheFolder) {
    QTemporaryDir dir;
    const ProgramRun run =
        runPainterProgram({"--names", "-", "--output-dir", dir.path(), "--format", "pdf"}, "eva\nana novak\n");
    ASSERT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"ana-novak.pdf", "eva.pdf"}));
    EXPECT_EQ(pdfImages(dir.filePath("eva.pdf")).size(), 1);
}

// Provoked with outputs in a folder that does not exist: found before any
// picture is painted, and no file is made.
TEST(PainterProgram, PrintableOutputsIntoAMissingFolderFailBeforePainting) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing");
    for (const QStringList& args : {QStringList{"--name", "ana", "--output", missing + "/a.pdf"},
                                    QStringList{"--name", "ana", "--output", missing + "/a.png", "--scale", "2"},
                                    QStringList{"--names", "-", "--output", missing + "/a.pdf"},
                                    QStringList{"--names", "-", "--sheet", missing + "/s.png"}}) {
        const ProgramRun run = runPainterProgram(args, "ana\n");
        EXPECT_EQ(run.exitCode, kExitFailure) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(missing)) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("[1/1]")) << "nothing was painted";
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
}

// Several cards a page go on paper they fit: A4 unless --page says otherwise;
// paper too small for them is refused before anything is painted.
struct PaperCase {
    const char* label;
    QStringList arguments;  // after --name ana --output <file.pdf>
    const char* pageSize;   // pdfinfo's, in points; null: refused
};

void PrintTo(const PaperCase& c, std::ostream* os) { *os << c.label; }

class CardPaper : public ::testing::TestWithParam<PaperCase> {};

TEST_P(CardPaper, IsOneTheCardsFitOrTheReasonWhyNot) {
    const PaperCase& c = GetParam();
    QTemporaryDir dir;
    const QString pdf = dir.filePath("cards.pdf");
    const ProgramRun run = runPainterProgram(QStringList{"--name", "ana", "--output", pdf} + c.arguments);
    if (!c.pageSize) {
        EXPECT_EQ(run.exitCode, kExitUsage);
        EXPECT_TRUE(run.err.contains("too small to print well")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("--page")) << "says what to change: " << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(pdf));
        return;
    }
    ASSERT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    const QString info = pdfInfo(pdf);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+%1 pts").arg(c.pageSize))))
        << info.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cards, CardPaper,
    ::testing::Values(PaperCase{"OneIsA6", {}, "420 x 297"},
                      PaperCase{"FourWithoutPageAreA4", {"--cards-per-page", "4"}, "842 x 595"},
                      PaperCase{"TwoWithoutPageAreA4", {"--cards-per-page", "2"}, "595 x 842"},
                      PaperCase{"FourOnLetter", {"--page", "letter", "--cards-per-page", "4"}, "792 x 612"},
                      PaperCase{"FourOnA5", {"--page", "a5", "--cards-per-page", "4"}, "595 x 420"},
                      PaperCase{"TwoOnA6", {"--page", "a6", "--cards-per-page", "2"}, "297 x 420"},
                      // 57 x 43 mm cards.
                      PaperCase{"FourOnA6Refused", {"--page", "a6", "--cards-per-page", "4"}, nullptr}),
    [](const auto& info) { return std::string(info.param.label); });

// Provoked with names that begin or end with a blank: painted as they stand,
// and said so, whichever output the list goes to.
TEST(PainterProgram, OuterBlanksAreWarnedOfInEveryOutputOfAList) {
    const QList<QStringList> outputs = {{"--output", "cards.pdf"},
                                        {"--sheet", "sheet.pdf"},
                                        {"--output", "cards.pdf", "--sheet", "sheet.pdf"},
                                        {"--output-dir", "."},
                                        {"--check"}};
    for (const QStringList& output : outputs) {
        SCOPED_TRACE(output.join(' ').toStdString());
        QTemporaryDir dir;
        QStringList arguments = {"--names", "-", "-q"};
        for (const QString& a : output) arguments << (a.endsWith(".pdf") || a == "." ? dir.filePath(a) : a);
        const ProgramRun run = runPainterProgram(arguments, " ana\neva zupancic \nbor\n");
        EXPECT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("line 1: leading or trailing blanks are part of the name ' ana'"))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("line 2: leading or trailing blanks are part of the name 'eva zupancic '"))
            << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("line 3:")) << run.err.toStdString();
        // Painted all the same: three cards, three names on the sheet.
        if (output.contains("cards.pdf")) {
            EXPECT_EQ(pdfImages(dir.filePath("cards.pdf")).size(), 3);
        }
        if (output.contains("sheet.pdf")) {
            const QString text = testing::pdfText(dir.filePath("sheet.pdf"));
            for (const char* name : {"ana", "eva zupancic", "bor"}) EXPECT_TRUE(text.contains(name)) << name;
        }
    }
}

// Provoked with a list whose only name is refused: no empty document, no
// empty sheet.
TEST(PainterProgram, AListWithoutAPaintableNameWritesNoDocument) {
    QTemporaryDir dir;
    const ProgramRun run = runPainterProgram(
        {"--names", "-", "--output", dir.filePath("a.pdf"), "--sheet", dir.filePath("s.png")}, "Ana\n\n");
    EXPECT_EQ(run.exitCode, kExitFailure);
    EXPECT_TRUE(run.err.contains("line 1: only blanks")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("nothing written")) << run.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{});
}

}  // namespace
}  // namespace painter
