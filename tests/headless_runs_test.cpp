// The program run without a window as its users run it: from scripts, loops,
// pipes and job runners. Each test says how it provokes the failure it guards.

#include "app/command_line.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "program_run.h"
#include "test_files.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <csignal>

namespace painter {
namespace {

using testing::contents;
using testing::writeFile;

QStringList files(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

// Every file below `folder` with its bytes' hash.
QMap<QString, QByteArray> filesWithHashes(const QString& folder) {
    QMap<QString, QByteArray> result;
    for (const QString& f : files(folder))
        result[f] = QCryptographicHash::hash(contents(folder + "/" + f), QCryptographicHash::Sha256);
    return result;
}

// Provoked as a user met it: --help-all, listed by --help, opened the window
// and, with no display, hung without a word.
TEST(HeadlessRuns, HelpAllPrintsTheHelpAndEnds) {
    const ProgramRun run = runPainterProgram({"--help-all"}, {}, headlessEnvironment(), 30000);
    ASSERT_EQ(run.exitCode, kExitOk) << "hung or failed: " << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("--names <file>"));
    EXPECT_TRUE(run.out.contains("-platform <value>")) << "and the window's own options";
}

// Provoked without a display: the window cannot open, and the program must
// say so at once and show what works instead.
TEST(HeadlessRuns, TheWindowWithoutADisplaySaysSoAndEnds) {
    const ProgramRun run = runPainterProgram({}, {}, headlessEnvironment(), 30000);
    EXPECT_EQ(run.exitCode, kExitFailure);
    EXPECT_TRUE(run.err.contains("no display")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("--name")) << run.err.toStdString();
}

// Provoked with four runs in a loop and three at once: each picture is named
// after the second it began in, so they all want one name.
TEST(HeadlessRuns, PicturesOfOneSecondNeverReplaceEachOther) {
    QTemporaryDir dir;
    const ProgramRun loop = runShell(R"(for k in 1 2 3 4; do "$PAINTER" --name ana --folder "$1" || exit 9; done
                                        "$PAINTER" --name bor --folder "$1" & "$PAINTER" --name eva --folder "$1" &
                                        "$PAINTER" --name iva --folder "$1" & wait)",
                                     {dir.path()});
    ASSERT_EQ(loop.exitCode, 0) << loop.err.toStdString();
    const QStringList saved = files(dir.path());
    EXPECT_EQ(saved.size(), 7) << saved.join(' ').toStdString();
    for (const QString& f : saved)
        EXPECT_TRUE(QRegularExpression(R"(^T\d{14}(-\d+)?\.bmp$)").match(f).hasMatch()) << f.toStdString();
    // Each printed path is a file of its own.
    QStringList printed;
    for (const QString& line : loop.out.split('\n', Qt::SkipEmptyParts)) printed << QFileInfo(line).fileName();
    printed.sort();
    EXPECT_EQ(printed, saved);
}

struct ListSource {
    const char* label;
    const char* script;  // "$1" is the list, "$2" the folder
};

void PrintTo(const ListSource& c, std::ostream* os) { *os << c.label; }

class ListsOfEveryKind : public ::testing::TestWithParam<ListSource> {};

// Provoked with a named pipe, /dev/stdin fed by a pipe and a process
// substitution: none of them has a size, and all once gave "0 of 0 names".
TEST_P(ListsOfEveryKind, AreReadToTheirEnd) {
    QTemporaryDir dir;
    writeFile(dir.filePath("list"), "ana\nbor\n");
    const ProgramRun run = runShell(GetParam().script, {dir.filePath("list"), dir.filePath("out")});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("painted 2 of 2 names")) << run.err.toStdString();
    EXPECT_EQ(files(dir.filePath("out")), (QStringList{"ana.png", "bor.png"}));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ListsOfEveryKind,
    ::testing::Values(ListSource{"NamedPipe", R"(mkfifo "$1.fifo"; (sleep 0.3; cat "$1" > "$1.fifo") &
                                   "$PAINTER" --names "$1.fifo" --output-dir "$2")"},
                      ListSource{"DevStdinFromAPipe", R"(cat "$1" | "$PAINTER" --names /dev/stdin --output-dir "$2")"},
                      ListSource{"ProcessSubstitution",
                                 R"("$PAINTER" --names <(sleep 0.3; cat "$1") --output-dir "$2")"}),
    [](const auto& info) { return std::string(info.param.label); });

// Provoked with the shell's "<&-": standard input closed, which once spun
// forever.
TEST(HeadlessRuns, AClosedStandardInputIsReported) {
    QTemporaryDir dir;
    const ProgramRun run = runShell(R"("$PAINTER" --names - --output-dir "$1" <&-)", {dir.path()}, 30000);
    EXPECT_EQ(run.exitCode, kExitFailure) << "hung or failed: " << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("cannot read standard input")) << run.err.toStdString();
    EXPECT_TRUE(files(dir.path()).isEmpty());
}

struct ArgumentError {
    const char* label;
    QStringList arguments;  // "DIR" is the test's folder
    const char* reason;
};

void PrintTo(const ArgumentError& c, std::ostream* os) { *os << c.label; }

class ArgumentErrors : public ::testing::TestWithParam<ArgumentError> {};

// Provoked by each argument as given; every one is exit 2 with its own reason
// and leaves the folder as it was.
TEST_P(ArgumentErrors, AreUsageErrorsWithTheirReason) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("cards"));
    QStringList arguments;
    for (const QString& a : GetParam().arguments) arguments << QString(a).replace("DIR", dir.path());
    const ProgramRun run = runPainterProgram(arguments);
    EXPECT_EQ(run.exitCode, kExitUsage) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(GetParam().reason))) << run.err.toStdString();
    EXPECT_EQ(files(dir.path()), QStringList{});
    EXPECT_EQ(files(dir.filePath("cards")), QStringList{});
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ArgumentErrors,
    ::testing::Values(
        ArgumentError{"UnknownExtension",
                      {"--name", "ana", "--output", "DIR/ana.jpg"},
                      "unknown picture format '.jpg': use .bmp, .png"},
        ArgumentError{"NoExtension", {"--name", "ana", "--output", "DIR/noext"}, "no extension: use .bmp, .png"},
        ArgumentError{"AFolder", {"--name", "ana", "-o", "DIR/cards"}, "is a folder"},
        ArgumentError{
            "ExtensionAgainstFormat", {"--name", "ana", "-o", "DIR/a.png", "--format", "bmp"}, "does not match"},
        ArgumentError{"NameTwice", {"--name", "a", "--name", "b", "-o", "DIR/a.png"}, "--name is given twice"},
        ArgumentError{"FolderWithNames",
                      {"--names", "DIR/l", "--output-dir", "DIR/cards", "--folder", "DIR"},
                      "--folder does nothing with --names"},
        ArgumentError{"FolderWithOutput",
                      {"--name", "a", "-o", "DIR/a.png", "--folder", "DIR/cards"},
                      "--folder does nothing with --output"},
        ArgumentError{
            "QtTitleHeadless", {"--name", "a", "-o", "DIR/a.png", "-title", "x"}, "-title is an option of the window"},
        ArgumentError{"QtGeometryInABatch",
                      {"--names", "DIR/l", "--output-dir", "DIR/cards", "-geometry", "1x1"},
                      "does nothing with --names"},
        ArgumentError{
            "BadShard", {"--names", "DIR/l", "--output-dir", "DIR/cards", "--shard", "4/4"}, "--shard takes k/n"},
        ArgumentError{"BadYear", {"--name", "a", "--year", "20x1"}, "--year takes a year"},
        ArgumentError{"ManifestKind",
                      {"--names", "DIR/l", "--output-dir", "DIR/cards", "--manifest", "DIR/m.txt"},
                      "use .csv or .jsonl"},
        ArgumentError{"SkipAndNoClobber",
                      {"--names", "DIR/l", "--output-dir", "DIR/cards", "--skip-existing", "--no-clobber"},
                      "exclude"},
        ArgumentError{"CheckWithOutputOptions",
                      {"--names", "DIR/l", "--check", "--jobs", "2"},
                      "--jobs does nothing with --check"},
        // Clips of the painting.
        ArgumentError{"ClipUnknownExtension",
                      {"--name", "ana", "--timelapse", "DIR/ana.gif"},
                      "unknown clip format '.gif': use .mp4 or .webp"},
        ArgumentError{"ClipNoExtension", {"--name", "ana", "--timelapse", "DIR/ana"}, "no extension: use .mp4 or .webp"},
        ArgumentError{"ClipAFolder", {"--name", "ana", "--timelapse", "DIR/cards"}, "is a folder"},
        ArgumentError{"ClipExtensionAgainstFormat",
                      {"--name", "ana", "--timelapse", "DIR/a.mp4", "--format", "webp"},
                      "does not match"},
        ArgumentError{"ClipPictureFormat",
                      {"--name", "ana", "--timelapse", "-", "--format", "png"},
                      "--format png is not a clip"},
        ArgumentError{"ClipZeroSeconds",
                      {"--name", "ana", "--timelapse", "DIR/a.mp4", "--seconds", "0"},
                      "--seconds: a clip lasts from 2 to 30 seconds, not '0'"},
        ArgumentError{"ClipThirtyOneSeconds",
                      {"--name", "ana", "--timelapse", "DIR/a.webp", "--seconds", "31"},
                      "not '31'"},
        ArgumentError{"ClipSecondsNotANumber",
                      {"--name", "ana", "--timelapse", "DIR/a.webp", "--seconds", "six"},
                      "not 'six'"},
        ArgumentError{"ClipSecondsWithoutAClip", {"--name", "ana", "-o", "DIR/a.png", "--seconds", "6"},
                      "--seconds goes with --timelapse"},
        ArgumentError{"ClipScale",
                      {"--name", "ana", "--timelapse", "DIR/a.mp4", "--scale", "2"},
                      "--scale enlarges pictures, not clips"},
        ArgumentError{"ClipScaleInAList",
                      {"--names", "DIR/l", "--output-dir", "DIR/cards", "--format", "mp4", "--scale", "2"},
                      "--scale enlarges pictures, not clips"},
        ArgumentError{"ClipAndPicture",
                      {"--name", "ana", "--timelapse", "DIR/a.mp4", "-o", "DIR/a.png"},
                      "give one"},
        ArgumentError{"ClipFormatWithoutTimelapse",
                      {"--name", "ana", "-o", "-", "--format", "mp4"},
                      "--format mp4 is a clip"},
        ArgumentError{"ClipsAsASheet",
                      {"--names", "DIR/l", "--sheet", "DIR/s.png", "--format", "webp"},
                      "not a PDF document or a contact sheet"},
        ArgumentError{"ClipSecondsForPictures",
                      {"--names", "DIR/l", "--output-dir", "DIR/cards", "--seconds", "4"},
                      "--seconds goes with clips"}),
    [](const auto& info) { return std::string(info.param.label); });

// Provoked with a list of 26 refused lines around one good one: all refusals
// come before the first picture, and only twenty of them are printed.
TEST(HeadlessRuns, EveryLineIsCheckedBeforeTheFirstPicture) {
    QTemporaryDir dir;
    QByteArray list = "ana\n";
    for (int k = 0; k < 26; ++k) list += "Bad\n";
    writeFile(dir.filePath("list"), list);
    const ProgramRun run = runPainterProgram({"--names", dir.filePath("list"), "--output-dir", dir.filePath("out")});
    EXPECT_EQ(run.exitCode, kExitFailure);
    EXPECT_EQ(run.err.count("found 'B' at position 1"), 20) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("\u2026 and 6 more lines refused")) << run.err.toStdString();
    EXPECT_LT(run.err.indexOf("line 27:", 0), 0) << "the 21st refusal is only counted";
    EXPECT_LT(run.err.indexOf("line 2:"), run.err.indexOf("[1/1] ana.png")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("painted 1 of 27 names")) << run.err.toStdString();

    // --check paints nothing and needs no folder; its exit status tells.
    const ProgramRun check = runPainterProgram({"--names", dir.filePath("list"), "--check"});
    EXPECT_EQ(check.exitCode, kExitFailure);
    EXPECT_TRUE(check.err.contains("checked 27 names: 26 refused")) << check.err.toStdString();
    writeFile(dir.filePath("good"), "ana\n\n   \nbor\n");
    EXPECT_EQ(runPainterProgram({"--names", dir.filePath("good"), "--check", "-q"}).exitCode, kExitOk);
    EXPECT_EQ(files(dir.path()), (QStringList{"good", "list"})) << "only the batch made its folder";
}

// Provoked by resuming a batch whose pictures are partly there: one whole,
// one cut short by something else, one missing.
TEST(HeadlessRuns, SkipExistingKeepsCompletePicturesAndNoClobberReplacesNothing) {
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    writeFile(dir.filePath("list"), "ana\nbor\neva\n");
    const QStringList batch = {"--names", dir.filePath("list"), "--output-dir", out, "-q"};
    ASSERT_EQ(runPainterProgram(batch).exitCode, kExitOk);
    const QByteArray ana = contents(out + "/ana.png"), bor = contents(out + "/bor.png");
    writeFile(out + "/bor.png", bor.left(bor.size() / 2));
    QFile::remove(out + "/eva.png");
    const QDateTime anaTime = QFileInfo(out + "/ana.png").lastModified();

    const ProgramRun resume = runPainterProgram(batch + QStringList{"--skip-existing"});
    EXPECT_EQ(resume.exitCode, kExitOk) << resume.err.toStdString();
    EXPECT_TRUE(resume.err.contains("painted 2 of 3 names (kept 1 already there)")) << resume.err.toStdString();
    EXPECT_EQ(QFileInfo(out + "/ana.png").lastModified(), anaTime);
    EXPECT_EQ(contents(out + "/bor.png"), bor) << "the cut picture was painted again";
    EXPECT_EQ(files(out), (QStringList{"ana.png", "bor.png", "eva.png"}));

    // --no-clobber: a line whose file is there is refused, the file untouched.
    writeFile(out + "/bor.png", "not mine");
    QFile::remove(out + "/eva.png");
    const ProgramRun careful = runPainterProgram(batch + QStringList{"--no-clobber"});
    EXPECT_EQ(careful.exitCode, kExitFailure);
    EXPECT_TRUE(careful.err.contains("line 1: " + out + "/ana.png exists already")) << careful.err.toStdString();
    EXPECT_EQ(contents(out + "/bor.png"), "not mine");
    EXPECT_EQ(contents(out + "/ana.png"), ana);
    EXPECT_EQ(files(out), (QStringList{"ana.png", "bor.png", "eva.png"}));

    // By default a batch replaces its own earlier output.
    ASSERT_EQ(runPainterProgram(batch).exitCode, kExitOk);
    EXPECT_EQ(contents(out + "/bor.png"), bor);
}

TEST(HeadlessRuns, TheManifestSaysWhichLineBecameWhichFile) {
    QTemporaryDir dir;
    writeFile(dir.filePath("list"), "ana\n\nAna \"x\", b\nana\n");
    const QString out = dir.filePath("out");
    for (const char* kind : {"csv", "jsonl"}) {
        const QString manifest = dir.filePath(QStringLiteral("m.") + kind);
        const ProgramRun run =
            runPainterProgram({"--names", dir.filePath("list"), "--output-dir", out, "--manifest", manifest, "-q"});
        EXPECT_EQ(run.exitCode, kExitFailure) << run.err.toStdString();
        const QList<QByteArray> lines = contents(manifest).split('\n');
        if (QByteArray(kind) == "csv") {
            ASSERT_EQ(lines.size(), 5);  // a header, three lines, the final end of line
            EXPECT_EQ(lines[0], "line,name,file,brush_mode,status,reason");
            EXPECT_TRUE(
                QRegularExpression("^1,\"ana\",\"" + QRegularExpression::escape(out) + "/ana.png\",\\d+,painted,\"\"$")
                    .match(QString::fromUtf8(lines[1]))
                    .hasMatch())
                << lines[1].toStdString();
            EXPECT_TRUE(lines[2].startsWith("3,\"Ana \"\"x\"\", b\",\"\",,refused,\"only blanks"))
                << lines[2].toStdString();
            EXPECT_TRUE(lines[3].startsWith("4,\"ana\",\"" + out.toUtf8() + "/ana-2.png\",")) << lines[3].toStdString();
        } else {
            ASSERT_EQ(lines.size(), 4);
            const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
            EXPECT_EQ(first["line"].toInt(), 1);
            EXPECT_EQ(first["file"].toString(), out + "/ana.png");
            EXPECT_EQ(first["status"].toString(), "painted");
            EXPECT_GE(first["brush_mode"].toInt(), 1);
            EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object()["status"].toString(), "refused");
        }
    }
}

struct StopSignal {
    const char* label;
    int signal;
    int exitCode;
};

void PrintTo(const StopSignal& c, std::ostream* os) { *os << c.label; }

class StoppedBatch : public ::testing::TestWithParam<StopSignal> {};

// Provoked by the signal itself, sent once the first picture is reported: the
// batch stops, says how far it came, and leaves only whole pictures.
TEST_P(StoppedBatch, EndsWithTheSummaryAndNoPartialFile) {
    QTemporaryDir dir;
    QByteArray list;
    for (int k = 0; k < 40; ++k) list += "ana novak\n";
    writeFile(dir.filePath("list"), list);
    QByteArray err;
    const ProgramRun run = stopOnceReported(
        {"--names", dir.filePath("list"), "--output-dir", dir.filePath("out"), "--jobs", "2"}, "/40] ",
        GetParam().signal, err);
    ASSERT_TRUE(err.contains("/40] ")) << err.toStdString();
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    const QRegularExpressionMatch summary =
        QRegularExpression(R"(painted (\d+) of 40 names)").match(QString::fromUtf8(err) + run.err);
    ASSERT_TRUE(summary.hasMatch()) << run.err.toStdString();
    const QStringList written = files(dir.filePath("out"));
    EXPECT_EQ(written.size(), summary.captured(1).toInt()) << written.join(' ').toStdString();
    EXPECT_LT(written.size(), 40);
    for (const QString& f : written) {
        EXPECT_FALSE(f.startsWith('.')) << "a temporary file was left: " << f.toStdString();
        EXPECT_EQ(QImage(dir.filePath("out/" + f)).size(), QSize(700, 525)) << f.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedBatch,
                         ::testing::Values(StopSignal{"CtrlC", SIGINT, 130}, StopSignal{"Term", SIGTERM, 143}),
                         [](const auto& info) { return std::string(info.param.label); });

// Provoked with SIGTERM while the picture goes to a pipe that nobody reads yet,
// so the program is held in the middle of writing it: the picture is written
// whole all the same, and the run ends with 143.
TEST(HeadlessRuns, ASignalNeverCutsASinglePictureShort) {
    QProcess process;
    process.setProcessEnvironment(headlessEnvironment());
    process.start(QStringLiteral(PAINTER_EXECUTABLE), {"--name", "ana novak", "-o", "-", "--format", "bmp"});
    ASSERT_TRUE(process.waitForReadyRead(60000));  // the pipe is full: the program waits to write on
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    const ProgramRun run = finish(process, 60000);
    EXPECT_EQ(run.exitCode, 143) << run.err.toStdString();
    EXPECT_EQ(run.outBytes.size(), 54 + 525 * 2100) << "a whole 24-bit bitmap";
    EXPECT_EQ(QImage::fromData(run.outBytes, "BMP").size(), QSize(700, 525));
}

// Provoked with names that begin with blanks: once "-ana-novak.bmp", which
// rm takes for an option.
TEST(HeadlessRuns, FileNamesNeverBeginWithADashAndOuterBlanksAreWarnedOf) {
    QTemporaryDir dir;
    writeFile(dir.filePath("list"), " ana novak\nana novak \n");
    const ProgramRun run = runPainterProgram({"--names", dir.filePath("list"), "--output-dir", dir.filePath("a/b")});
    EXPECT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    EXPECT_EQ(files(dir.filePath("a/b")), (QStringList{"ana-novak-.png", "ana-novak.png"}))
        << "the missing folder was made, too";
    EXPECT_TRUE(run.err.contains("line 1: leading or trailing blanks")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("line 2: leading or trailing blanks")) << run.err.toStdString();
}

// The shards of a list, painted apart as a job runner would, give exactly the
// files of the whole batch, repeated names included.
TEST(HeadlessRuns, ShardsTogetherGiveTheWholeBatch) {
    QTemporaryDir dir;
    writeFile(dir.filePath("list"), "ana\nbor\n\nana\neva\nBad\nbor\nana\n");
    const QStringList batch = {"--names", dir.filePath("list"), "-q", "--jobs", "1"};
    runPainterProgram(batch + QStringList{"--output-dir", dir.filePath("whole")});
    const ProgramRun shards =
        runShell(R"(for k in 0 1 2; do "$PAINTER" --names "$1" -q --output-dir "$2" --shard $k/3; done)",
                 {dir.filePath("list"), dir.filePath("shards")});
    EXPECT_TRUE(shards.err.contains("line 6:")) << "the refused line is reported by its own shard only";
    EXPECT_EQ(shards.err.count("line 6:"), 1) << shards.err.toStdString();
    const auto whole = filesWithHashes(dir.filePath("whole"));
    EXPECT_EQ(whole.size(), 6);
    EXPECT_EQ(filesWithHashes(dir.filePath("shards")), whole);
}

// The conventions of a headless run, each provoked as the user met it.
TEST(HeadlessRuns, SpeaksEnglishQuietlyAndLeavesTheHomeFolderAlone) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("home"));
    QProcessEnvironment environment = headlessEnvironment();
    environment.insert("HOME", dir.filePath("home"));
    environment.remove("XDG_RUNTIME_DIR");  // once a Qt warning on standard error

    const ProgramRun single = runPainterProgram({"--name", "ana", "--output", dir.filePath("a.png")}, {}, environment);
    EXPECT_EQ(single.exitCode, kExitOk);
    EXPECT_EQ(single.err, QString()) << "nothing but the program's own words";
    EXPECT_EQ(QDir(dir.filePath("home")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{})
        << "no ~/wimgx";

    // A save folder that cannot be made: /proc takes no new folder even from root.
    const ProgramRun failed = runPainterProgram({"--name", "ana", "--folder", "/proc/painter"}, {}, environment);
    EXPECT_EQ(failed.exitCode, kExitFailure);
    EXPECT_TRUE(failed.err.startsWith("painter: cannot")) << failed.err.toStdString();
    EXPECT_FALSE(failed.err.contains("Slike")) << failed.err.toStdString();

    // Standard output takes the picture, PNG unless --format says otherwise.
    const ProgramRun png = runPainterProgram({"--name", "ana", "-o", "-"}, {}, environment);
    EXPECT_EQ(QImage::fromData(png.outBytes, "PNG"), QImage(dir.filePath("a.png")));
    const ProgramRun bmp = runPainterProgram({"--name", "ana", "-o", "-", "--format", "bmp"}, {}, environment);
    EXPECT_TRUE(bmp.outBytes.startsWith("BM"));
    EXPECT_EQ(QImage::fromData(bmp.outBytes, "BMP"), QImage(dir.filePath("a.png")));
}

// --year changes the wish on the picture and nothing else; the default year
// paints the designed picture bit for bit.
TEST(HeadlessRuns, YearChangesOnlyTheGreeting) {
    QTemporaryDir dir;
    for (const QString year : {"", "2011", "2027"}) {
        QStringList arguments = {"--name", "ana novak", "-o", dir.filePath("y" + year + ".png")};
        if (!year.isEmpty()) arguments << "--year" << year;
        ASSERT_EQ(runPainterProgram(arguments).exitCode, kExitOk);
    }
    const QImage designed(dir.filePath("y.png")), same(dir.filePath("y2011.png")), other(dir.filePath("y2027.png"));
    EXPECT_EQ(same, designed);
    EXPECT_NE(other, designed);
    EXPECT_EQ(other.copy(0, 0, 700, 480), designed.copy(0, 0, 700, 480)) << "the greeting begins at row 490";
}

}  // namespace
}  // namespace painter

namespace painter {
namespace {

// The start script as a new user runs it, from another folder and without a
// display (it installs nothing and builds nothing when all is there).
TEST(StartScript, KeepsTheUsersFolderAndNeverWaitsForAnInvisibleWindow) {
    QTemporaryDir dir;
    const QString script = QStringLiteral(PAINTER_SOURCE_DIR "/scripts/start.sh");
    const QString build = QFileInfo(QStringLiteral(PAINTER_EXECUTABLE)).absolutePath();
    // Provoked from a folder of the user's: the picture once went into the checkout.
    const ProgramRun relative =
        runShell(R"(cd "$1" && PAINTER_BUILD_DIR="$3" bash "$2" --name "bor zupan" --output bor.png)",
                 {dir.path(), script, build});
    ASSERT_EQ(relative.exitCode, kExitOk) << relative.err.toStdString();
    EXPECT_EQ(QImage(dir.filePath("bor.png")).size(), QSize(700, 525));
    EXPECT_FALSE(QFile::exists(PAINTER_SOURCE_DIR "/bor.png"));

    // Provoked with no display and no arguments: once an endless wait on a virtual screen.
    const ProgramRun window = runShell(R"(PAINTER_BUILD_DIR="$2" bash "$1")", {script, build}, 120000);
    EXPECT_EQ(window.exitCode, kExitFailure) << "hung or failed: " << window.err.toStdString();
    EXPECT_TRUE(window.err.contains("no display")) << window.err.toStdString();

    // The build's chatter stays off standard output, which holds only the picture.
    const ProgramRun piped = runShell(R"(PAINTER_BUILD_DIR="$2" bash "$1" --name ana -o -)", {script, build});
    EXPECT_EQ(QImage::fromData(piped.outBytes, "PNG").size(), QSize(700, 525)) << piped.err.toStdString();
}

}  // namespace
}  // namespace painter
