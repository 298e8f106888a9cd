#include "app/batch_command.h"

#include "app/card_commands.h"
#include "app/console.h"
#include "app/stop_signals.h"
#include "session/list_outputs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

namespace painter {

namespace {

// The first kReportedLines lines, then how many more there are: a list of a
// million bad lines gives twenty-one lines of report, not seventy megabytes.
void reportSome(const QString& listName, const QStringList& lines, const char* what) {
    for (qsizetype k = 0; k < std::min<qsizetype>(lines.size(), kReportedLines); ++k)
        err() << programName() << ": " << listName << ": " << lines[k] << '\n';
    if (lines.size() > kReportedLines)
        err() << programName() << ": " << listName << ": \u2026 and " << lines.size() - kReportedLines << " more "
              << what << '\n';
    err().flush();
}

// The list's bytes, or nothing once the reason it cannot be read is reported.
std::optional<QByteArray> readList(const CommandLineRequest& request, bool inputClosed) {
    if (request.namesFile == QLatin1String("-")) {
        if (inputClosed) {
            err() << programName() << ": cannot read standard input: it is closed" << Qt::endl;
            return std::nullopt;
        }
        ReadBytes read = readToEnd(STDIN_FILENO, {}, &stopSignal());
        if (!read.problem) return std::move(read.bytes);
        if (!read.stopped) err() << programName() << ": cannot read standard input: " << *read.problem << Qt::endl;
        return std::nullopt;
    }
    // A plain open and blocking reads: a named pipe, /dev/stdin or a process
    // substitution is read to its end like a file.
    const int fd = ::open(QFile::encodeName(request.namesFile).constData(), O_RDONLY | O_CLOEXEC);
    ReadBytes read =
        fd >= 0 ? readToEnd(fd, {}, &stopSignal()) : ReadBytes{{}, QString::fromLocal8Bit(std::strerror(errno))};
    if (fd >= 0) ::close(fd);
    if (!read.problem) return std::move(read.bytes);
    if (read.stopped) return std::nullopt;
    err() << programName() << ": cannot read " << request.namesFile << ": " << *read.problem << Qt::endl;
    return std::nullopt;
}

// "stopped by Ctrl-C: " when a stop signal came, for the summary's start.
QString stoppedBy() {
    const int signal = stopSignal().load();
    if (!signal) return {};
    return QStringLiteral("stopped by %1: ")
        .arg(signal == SIGINT ? QStringLiteral("Ctrl-C") : QStringLiteral("SIGTERM"));
}

}  // namespace

void reportSummary(const ListSummary& summary) {
    err() << programName() << ": " << stoppedBy() << "painted " << summary.painted << " of " << summary.total
          << " names";
    if (summary.kept) err() << " (kept " << summary.kept << " already there)";
    if (!summary.into.isEmpty()) err() << " into " << QDir::toNativeSeparators(summary.into);
    if (summary.failed) err() << "; " << summary.failed << " could not be written";
    err() << Qt::endl;
}

int stoppedStatus() { return stopSignal().load() ? 128 + stopSignal().load() : 0; }

int runBatchCommand(const CommandLineRequest& request, bool inputClosed) {
    const bool check = request.kind == CommandLineRequest::Kind::Check;
    BatchOptions options;
    options.outputDir = request.outputDir;
    options.extension = request.format;
    options.clipSeconds = request.seconds;
    options.workers = request.jobs > 0 ? request.jobs : QThread::idealThreadCount();
    options.skipExisting = request.skipExisting;
    options.noClobber = request.noClobber;
    options.shardIndex = request.shardIndex;
    options.shardCount = request.shardCount;
    options.year = request.year;
    options.scale = request.scale;
    options.layout = request.layout;
    options.stop = &stopSignal();

    const QString listName =
        request.namesFile == QLatin1String("-") ? QStringLiteral("standard input") : request.namesFile;
    std::optional<QByteArray> text = readList(request, inputClosed);
    if (const int stopped = stoppedStatus()) {
        err() << programName() << ": " << stoppedBy() << "nothing painted" << Qt::endl;
        return stopped;
    }
    if (!text) return kExitFailure;
    const QList<NameLine> names = parseNameList(*text);
    text.reset();

    // The one plan of every way of painting a list: every line checked and every file named.
    BatchPlan plan = planNameList(names, options);
    reportSome(listName, plan.refusals, "lines refused");
    reportSome(listName, plan.warnings, "lines with leading or trailing blanks");
    if (check) {
        err() << programName() << ": checked " << plan.entries.size() << " names: " << plan.refusals.size()
              << " refused" << Qt::endl;
        return plan.refusals.isEmpty() ? kExitOk : kExitFailure;
    }
    // Every output, before the first picture: a run that cannot end well does not begin.
    const ListRoles roles{request.namesFile, request.outputDir, request.output, request.sheet, request.manifest};
    if (const Problem problem = listOutputsProblem(roles, plan)) {
        err() << programName() << ": " << *problem << Qt::endl;
        return kExitFailure;
    }
    if (!request.output.isEmpty() || !request.sheet.isEmpty()) return runCardBatch(request, plan, listName);

    const bool terminal = isatty(STDERR_FILENO);
    bool lineOpen = false;  // a terminal's progress line that the summary must end first
    if (!request.quiet) {
        options.progress = [terminal, &lineOpen](int done, int total, const QString& file) {
            const QString line = QStringLiteral("[%1/%2] %3")
                                     .arg(done, QString::number(total).size())
                                     .arg(total)
                                     .arg(QFileInfo(file).fileName());
            if (terminal) {
                // One line that rewrites itself; cleared to its end so a shorter name leaves no tail.
                err() << '\r' << line << "\x1b[K";
                lineOpen = true;
            } else {
                err() << line << '\n';
            }
            err().flush();
        };
    }
    const BatchResult result = paintPlan(std::move(plan), options);
    if (lineOpen) err() << '\n';
    // Failures to write come after the refusals, which were reported already.
    const qsizetype refused = std::count_if(result.entries.begin(), result.entries.end(), [](const BatchEntry& e) {
        return e.status == BatchEntry::Status::Refused;
    });
    for (qsizetype k = refused; k < result.errors.size(); ++k)
        err() << programName() << ": " << listName << ": " << result.errors[k] << '\n';

    bool manifestFailed = false;
    if (!request.manifest.isEmpty()) {
        if (const Problem error = writeManifest(request.manifest, result.entries)) {
            err() << programName() << ": cannot write the manifest " << request.manifest << ": " << *error << '\n';
            manifestFailed = true;
        }
    }
    const int failed =
        static_cast<int>(std::count_if(result.entries.begin(), result.entries.end(),
                                       [](const BatchEntry& e) { return e.status == BatchEntry::Status::Failed; }));
    reportSummary({result.painted, result.total, result.kept, failed, request.outputDir});
    if (const int stopped = stoppedStatus()) return stopped;
    return result.errors.isEmpty() && !manifestFailed ? kExitOk : kExitFailure;
}

}  // namespace painter
