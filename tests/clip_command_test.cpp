// Clips from the command line, as users ask for them: one name, a list, to
// standard output, into a device; and each way of asking wrongly.

#include "app/command_line.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "program_run.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace painter {
namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList files(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

// ffprobe's codec name and frame count of a file.
QString probe(const QString& file) {
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-count_frames", "-show_entries", "stream=codec_name,nb_read_frames", "-of",
                        "csv=p=0", file});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Provoked by the ways a clip leaves the program: a file (atomically), standard
// output, and a device that is already there (written into, as cp does).
TEST(ClipCommand, WritesToAFileStandardOutputAndAnExistingDevice) {
    QTemporaryDir dir;
    const QString file = dir.filePath("ana.mp4");
    const ProgramRun toFile = runPainterProgram({"--name", "ana", "--timelapse", file, "--seconds", "2"});
    ASSERT_EQ(toFile.exitCode, 0) << toFile.err.toStdString();
    EXPECT_EQ(probe(file), "h264,50");
    EXPECT_EQ(files(dir.path()), QStringList{"ana.mp4"}) << "no temporary file is left";

    const ProgramRun toStdout =
        runPainterProgram({"--name", "ana", "--timelapse", "-", "--format", "webp", "--seconds", "2"});
    ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err.toStdString();
    EXPECT_TRUE(toStdout.outBytes.startsWith("RIFF") && toStdout.outBytes.mid(8, 4) == "WEBP");
    // The same name, length and format: the same bytes, wherever they go.
    const QString webp = dir.filePath("ana.webp");
    ASSERT_EQ(runPainterProgram({"--name", "ana", "--timelapse", webp, "--seconds", "2"}).exitCode, 0);
    EXPECT_EQ(contents(webp), toStdout.outBytes);

    // A named pipe read by cat: renaming over it would replace the pipe.
    const ProgramRun fifo = runShell(
        R"(mkfifo "$1/pipe" && { cat "$1/pipe" > "$1/read.mp4" & } && "$PAINTER" --name ana --timelapse "$1/pipe" --format mp4 --seconds 2; s=$?; wait; [ -p "$1/pipe" ] || exit 8; exit $s)",
        {dir.path()});
    EXPECT_EQ(fifo.exitCode, 0) << fifo.err.toStdString();
    EXPECT_EQ(contents(dir.filePath("read.mp4")), contents(file));
}

struct FullDisk {
    const char* label;
    const char* script;  // $1: the folder
    const char* reason;
};

void PrintTo(const FullDisk& c, std::ostream* os) { *os << c.label; }

class ClipOnAFullDisk : public ::testing::TestWithParam<FullDisk> {};

// Provoked for real: /dev/full refuses every write; a file size limit
// (ulimit -f, SIGXFSZ ignored) makes the kernel refuse to grow a file past
// 64 KiB, as a full disk does. A clear message, exit 1, nothing partial.
TEST_P(ClipOnAFullDisk, SaysSoAndLeavesNothing) {
    // Where /dev/full is no device a write would make a file of that name.
    struct stat device {};
    if (QByteArray(GetParam().script).contains("/dev/full") &&
        (::stat("/dev/full", &device) != 0 || !S_ISCHR(device.st_mode)))
        GTEST_SKIP() << "/dev/full is not a character device here";
    QTemporaryDir dir;
    const ProgramRun run = runShell(GetParam().script, {dir.path()});
    EXPECT_EQ(run.exitCode, kExitFailure) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(GetParam().reason))) << run.err.toStdString();
    EXPECT_EQ(files(dir.path()), QStringList{});
}

INSTANTIATE_TEST_SUITE_P(
    Disks, ClipOnAFullDisk,
    ::testing::Values(
        FullDisk{"DevFull", R"("$PAINTER" --name ana --timelapse /dev/full --format webp --seconds 2)",
                 "cannot write /dev/full: No space left on device"},
        FullDisk{"WebpFileLimit",
                 R"(trap '' XFSZ; ulimit -f 64; "$PAINTER" --name ana --timelapse "$1/ana.webp" --seconds 2)",
                 "cannot write"},
        FullDisk{"Mp4FileLimit",
                 R"(trap '' XFSZ; ulimit -f 64; "$PAINTER" --name ana --timelapse "$1/ana.mp4" --seconds 2)",
                 "cannot"},
        FullDisk{"StandardOutputFull", R"("$PAINTER" --name ana --timelapse - --seconds 2 > /dev/full)",
                 "cannot write standard output"}),
    [](const auto& info) { return std::string(info.param.label); });

// Provoked by a list of two names made twice, the second time with
// --skip-existing after one clip was cut short by hand: the list engine
// names, resumes and records clips as it does pictures.
TEST(ClipCommand, AListMakesAClipPerNameWithTheManifest) {
    QTemporaryDir dir;
    QFile list(dir.filePath("list"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("ana novak\nbor\n");
    list.close();
    const QString out = dir.filePath("clips"), manifest = dir.filePath("m.csv");
    const QStringList arguments{"--names", list.fileName(), "--output-dir", out,       "--format", "webp",
                                "--seconds", "2",           "--manifest",   manifest, "-q"};
    const ProgramRun first = runPainterProgram(arguments);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(files(out), (QStringList{"ana-novak.webp", "bor.webp"}));
    EXPECT_TRUE(contents(manifest).contains(out.toUtf8() + "/bor.webp\","));

    const QByteArray whole = contents(out + "/bor.webp");
    QFile cut(out + "/ana-novak.webp");
    ASSERT_TRUE(cut.open(QIODevice::ReadWrite));
    const qint64 half = cut.size() / 2;
    ASSERT_TRUE(cut.resize(half));
    cut.close();
    const ProgramRun again = runPainterProgram(arguments + QStringList{"--skip-existing"});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    const QByteArray lines = contents(manifest);
    EXPECT_TRUE(lines.contains("ana-novak.webp\",") && lines.contains(",painted,")) << lines.toStdString();
    EXPECT_TRUE(lines.contains(",kept,")) << "the whole clip is kept: " << lines.toStdString();
    EXPECT_EQ(contents(out + "/bor.webp"), whole);
    EXPECT_GT(QFileInfo(out + "/ana-novak.webp").size(), half) << "the cut clip is made again";
}

}  // namespace
}  // namespace painter
