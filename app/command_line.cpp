#include "app/command_line.h"

#include "app/batch_command.h"
#include "app/console.h"
#include "app/form1.h"
#include "app/output_format.h"
#include "app/qt_window_services.h"
#include "app/stop_signals.h"
#include "app/whole_number_option.h"
#include "output/card_pdf.h"
#include "output/clip_file.h"
#include "output/formats.h"
#include "output/output_folder.h"
#include "output/picture_file.h"
#include "output/picture_save.h"
#include "output/upscale.h"
#include "params/name_entry.h"
#include "platform/caption_font.h"
#include "platform/clock.h"
#include "platform/picture_folder.h"
#include "platform/random_generator.h"
#include "platform/window_services.h"
#include "session/describe.h"
#include "session/first_picture.h"
#include "session/name_clip.h"
#include "session/picture_cycle.h"
#include "web/web_server.h"

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QJsonDocument>
#include <QTextStream>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tuple>

namespace painter {

const std::vector<OptionSpec>& commandLineOptions() {
    static const std::vector<OptionSpec> options = [] {
        std::vector<OptionSpec> o = {
            {{"name"},
             "name",
             "Paint the picture of <name> without opening the window, into --output or, without it, into the save "
             "folder as the window saves it (a taken file name gets -2, -3, ...).",
             "--name \"ana novak\" --output ana.png",
             kSingleMode | kDescribeMode},
            {{"output", "o"},
             "file",
             "With --name: the file the picture is written to, .bmp (24-bit), .png or .pdf (a print-ready card) by "
             "its extension; - writes it to standard output (PNG unless --format says otherwise); a device or named "
             "pipe is written into, never replaced. With --names: one .pdf document of every card.",
             "--name \"ana novak\" -o - | display",
             kSingleMode | kBatchMode},
            {{"format"},
             "format",
             "bmp, png or pdf; mp4 or webp for clips. With --names the format of every picture or clip (default "
             "png); with --name the format of --output -, of --timelapse - or of the save folder's file.",
             "--names razred.txt --output-dir slike --format bmp",
             kSingleMode | kBatchMode},
            {{"timelapse"},
             "file",
             "With --name: a clip of the picture being painted (the rows, the ornaments, the greeting, the "
             "finished picture held at the end), .mp4 (H.264 video) or .webp (animated picture) by its "
             "extension; - writes it to standard output (MP4 unless --format webp).",
             "--name \"ana novak\" --timelapse ana.mp4",
             kSingleMode},
            {{"seconds"},
             "s",
             "The length of a clip (--timelapse, or --names with --format mp4 or webp), 2 to 30 seconds "
             "(default 6).",
             "--name \"ana novak\" --timelapse ana.webp --seconds 10",
             kSingleMode | kBatchMode},
            {{"folder"},
             "dir",
             QStringLiteral("Folder in which the window and --name without --output save pictures (default: %1).")
                 .arg(QDir::toNativeSeparators(defaultPictureFolder())),
             "--folder ~/voscilnice",
             kWindowMode | kSingleMode},
            {{"year"},
             "year",
             "The year the greeting wishes luck in, 1 to 9999 (default 2011).",
             "--name \"ana novak\" --year 2027 -o ana.png",
             kWindowMode | kSingleMode | kBatchMode},
            {{"describe"},
             "",
             "With --name: print as JSON what the name decides (seed, formulas, brush mode, random draws, "
             "ornament triangle).",
             "--name \"ana novak\" --describe",
             kDescribeMode},
            {{"names"},
             "file",
             "Paint one picture per line of <file> (UTF-8; - reads standard input; blank lines are skipped), named "
             "after the name; at most 64 MiB and 1000000 lines. Every line and every output is checked before the "
             "first picture. Needs --output-dir.",
             "--names razred.txt --output-dir voscilnice",
             kBatchMode | kCheckMode},
            {{"output-dir"},
             "dir",
             "With --names: the folder the pictures go to; made when it is missing.",
             "--names - --output-dir /tmp/slike < imena.txt",
             kBatchMode},
            {{"check"},
             "",
             "With --names: only check every line and report the refused ones; paints nothing (exit 1 if any line "
             "is refused).",
             "--names razred.txt --check",
             kCheckMode},
            {{"jobs"},
             "n",
             "With --names: pictures painted at once (default: one per core).",
             "--names razred.txt --output-dir slike --jobs 1",
             kBatchMode | kServeMode},
            {{"skip-existing"},
             "",
             "With --names: keep a picture that is already there and complete (resumes an interrupted batch).",
             "--names razred.txt --output-dir slike --skip-existing",
             kBatchMode},
            {{"no-clobber"},
             "",
             "With --names: never replace a file; a line whose file exists is refused.",
             "--names razred.txt --output-dir slike --no-clobber",
             kBatchMode},
            {{"manifest"},
             "file",
             "With --names: write what became of every line (line, name, file, brush mode, status) to <file>, "
             "CSV (.csv) or JSON lines (.jsonl).",
             "--names razred.txt --output-dir slike --manifest slike.csv",
             kBatchMode},
            {{"shard"},
             "k/n",
             "With --names: only the lines whose number is k modulo n (0 <= k < n), named as in the whole batch, "
             "so n runs share one list.",
             "--names razred.txt --output-dir slike --shard 0/4",
             kBatchMode | kCheckMode},
            {{"quiet", "q"},
             "",
             "With --names: no progress, only refusals and the summary. With --serve: no line per request.",
             "--names razred.txt --output-dir slike -q",
             kBatchMode | kCheckMode | kServeMode},
            {{"page"},
             "paper",
             "With a .pdf output: the paper, a6, a5, a4 or letter (default a6 for one card a page, a4 for more).",
             "--name \"ana novak\" --output ana.pdf --page a5",
             kSingleMode | kBatchMode},
            {{"cards-per-page"},
             "n",
             "With a .pdf output: 1 (default), 2 or 4 cards on a page, with cut marks between them; on a4 unless --page "
             "says otherwise.",
             "--names razred.txt --output razred.pdf --page a4 --cards-per-page 4",
             kSingleMode | kBatchMode},
            {{"sheet"},
             "file",
             "With --names: a contact sheet of every picture with its name, .png, .bmp or .pdf.",
             "--names razred.txt --sheet razred.png",
             kBatchMode},
            {{"scale"},
             "n",
             "For .bmp and .png pictures: each pixel as an n x n block (1-8).",
             "--name \"ana novak\" --output ana.png --scale 4",
             kSingleMode | kBatchMode},
            {{"serve"},
             "address",
             "Serve pictures over HTTP on [HOST:]PORT (alone: 127.0.0.1:8080; host 127.0.0.1 unless given; port 0 "
             "picks a free one); --jobs painting threads.",
             "--serve 8080",
             kServeMode},
            {{"queue"},
             "n",
             "With --serve: pictures that may wait for a painting thread before requests are answered 503 "
             "(default 64).",
             "--serve 8080 --queue 16",
             kServeMode},
        };
        // The service's other limits, each with its default.
        const WebServerOptions serve;
        for (const auto& [option, value, text, example] : {
                 std::tuple{"connections", "n", QStringLiteral("open connections in all (default %1)").arg(serve.connections),
                            "--connections 10000"},
                 std::tuple{"per-client", "n",
                            QStringLiteral("open connections from one client address (default %1)").arg(serve.perClient),
                            "--per-client 32"},
                 std::tuple{"header-timeout", "seconds",
                            QStringLiteral("seconds a client has to send a request's line and headers once begun "
                                           "(default %1)")
                                .arg(serve.headerTimeout),
                            "--header-timeout 5"},
                 std::tuple{"idle-timeout", "seconds",
                            QStringLiteral("seconds a connection may wait for its next request, or take to read an "
                                           "answer (default %1)")
                                .arg(serve.idleTimeout),
                            "--idle-timeout 60"},
                 std::tuple{"cache", "MiB",
                            QStringLiteral("memory for painted answers kept to answer again, 0 for none (default %1)")
                                .arg(serve.cacheMiB),
                            "--cache 256"},
             })
            o.push_back({{QString::fromLatin1(option)}, QString::fromLatin1(value),
                         QStringLiteral("With --serve: ") + text + QLatin1Char('.'),
                         QStringLiteral("--serve 8080 ") + QString::fromLatin1(example), kServeMode});
        // Options that Qt itself takes from the command line when it creates
        // the window (-platform, -style, ...). They are accepted here so that
        // the first look at the arguments, made before any application object
        // exists, does not mistake them for errors; Qt acts on them.
        for (const char* name :
             {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry", "qwindowicon",
              "icon", "qwindowtitle", "title", "session", "display", "style", "stylesheet", "qmljsdebugger"})
            o.push_back({{QString::fromLatin1(name)}, "value", {}, {}, kWindowMode, true});
        for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"})
            o.push_back({{QString::fromLatin1(name)}, {}, {}, {}, kWindowMode, true});
        return o;
    }();
    return options;
}

namespace {

// What a mode is called in "does nothing with ..." and "goes with ...".
QString modeWord(unsigned mode) {
    switch (mode) {
    case kWindowMode: return QStringLiteral("the window");
    case kSingleMode: return QStringLiteral("--name");
    case kDescribeMode: return QStringLiteral("--describe");
    case kBatchMode: return QStringLiteral("--names");
    case kCheckMode: return QStringLiteral("--check");
    case kServeMode: return QStringLiteral("--serve");
    }
    return {};
}

// The option that chooses each mode of `modes`.
QString goesWith(unsigned modes) {
    QStringList words;
    for (unsigned bit = 1; bit <= kServeMode; bit <<= 1) {
        const QString word = bit == kDescribeMode ? modeWord(kSingleMode)
                             : bit == kCheckMode  ? modeWord(kBatchMode)
                                                  : modeWord(bit);
        if ((modes & bit) && !words.contains(word)) words << word;
    }
    return words.join(QStringLiteral(" or "));
}

QString dashed(const OptionSpec& declared) { return (declared.qtOption ? "-" : "--") + declared.names.first(); }

// One picture without a window, painted exactly as the window paints a name
// first, then written: to --output, to standard output, or into the save
// folder under the picture's time name, as the window's save names it.
// Writes bytes to standard output whole, or says why not.
int writeStandardOutput(const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err() << programName() << ": cannot write standard output: " << std::strerror(errno) << Qt::endl;
            return kExitFailure;
        }
        done += n;
    }
    return stopSignal() ? 128 + stopSignal() : kExitOk;
}

// A clip of the painting, written to --timelapse.
int runClip(const CommandLineRequest& request, bool outputClosed) {
    const bool toStdout = request.timelapse == QLatin1String("-");
    if (toStdout && outputClosed) {
        err() << programName() << ": cannot write standard output: it is closed" << Qt::endl;
        return kExitFailure;
    }
    if (!toStdout) {
        // Found before any painting, as for a picture.
        if (const Problem problem = outputFileProblem(request.timelapse)) {
            err() << programName() << ": cannot write " << request.timelapse << ": " << *problem << Qt::endl;
            return kExitFailure;
        }
    }
    const NameClip made = paintNameClip(
        request.name, {.format = request.clipFormat, .seconds = request.seconds, .year = request.year});
    if (made.clip.problem) {
        err() << programName() << ": cannot make the clip: " << *made.clip.problem << Qt::endl;
        return kExitFailure;
    }
    if (toStdout) return writeStandardOutput(made.clip.bytes);
    if (const Problem problem = writeClipFile(request.timelapse, made.clip.bytes)) {
        err() << programName() << ": cannot write " << request.timelapse << ": " << *problem << Qt::endl;
        return kExitFailure;
    }
    return stopSignal() ? 128 + stopSignal() : kExitOk;
}

int runSingle(const CommandLineRequest& request, bool outputClosed) {
    if (const auto reason = nameRejection(request.name)) {
        err() << programName() << ": the name cannot be painted: " << *reason << Qt::endl;
        return kExitUsage;
    }
    if (!request.timelapse.isEmpty()) return runClip(request, outputClosed);
    const bool toStdout = request.output == QLatin1String("-");
    // Found before any painting: a picture nobody can keep is not painted.
    if (toStdout && outputClosed) {
        err() << programName() << ": cannot write standard output: it is closed" << Qt::endl;
        return kExitFailure;
    }
    QString path = request.output;
    if (!request.output.isEmpty() && !toStdout) {
        if (const Problem problem = outputFileProblem(request.output)) {
            err() << programName() << ": cannot write " << request.output << ": " << *problem << Qt::endl;
            return kExitFailure;
        }
    }
    if (request.output.isEmpty())
        if (const Problem problem = makeOutputFolder(request.folder)) {
            err() << programName() << ": " << *problem << Qt::endl;
            return kExitFailure;
        }
    const QString formatName = request.output.isEmpty()
                                   ? (request.format.isEmpty() ? QStringLiteral("bmp") : request.format)
                                   : QString::fromLatin1(outputFormat(request.output, request.format).format);
    const PictureFormat* format = findPictureFormat(formatName);
    if (!format) return kExitUsage;  // refused when the arguments were read

    FirstPicture picture(request.name, {.year = request.year});
    // The picture as the file wants it: a print-ready card, or the pixels (enlarged with --scale).
    const PictureOutput output{surfaceImage(picture.surface()), request.name, request.layout, request.scale};
    const FileWriter write = [&](QIODevice& device) { return format->write(device, output); };
    if (toStdout) {
        if (const Problem problem = writeToDescriptor(STDOUT_FILENO, write)) {
            err() << programName() << ": cannot write standard output: " << *problem << Qt::endl;
            return kExitFailure;
        }
        return stopSignal() ? 128 + stopSignal() : kExitOk;
    }
    // The time name is shared by every picture begun in the same second: a
    // taken one gets "-2", "-3", ... and never replaces another picture.
    const SaveMode mode = request.output.isEmpty() ? SaveMode::NewName : SaveMode::Replace;
    if (request.output.isEmpty())
        path = QDir(request.folder).filePath(picture.state().imeslike + QLatin1Char('.') + format->name);
    const SaveOutcome saved = saveFile(path, mode, write);
    if (saved.problem) {
        err() << programName() << ": cannot write " << saved.path << ": " << *saved.problem << Qt::endl;
        return kExitFailure;
    }
    if (request.output.isEmpty())
        out() << QDir::toNativeSeparators(QFileInfo(saved.path).absoluteFilePath()) << Qt::endl;
    return stopSignal() ? 128 + stopSignal() : kExitOk;
}

int runDescribe(const CommandLineRequest& request) {
    if (const auto reason = nameRejection(request.name)) {
        err() << programName() << ": the name cannot be painted: " << *reason << Qt::endl;
        return kExitUsage;
    }
    out() << QString::fromUtf8(QJsonDocument(describeName(request.name)).toJson(QJsonDocument::Indented));
    out().flush();
    return kExitOk;
}

int runServe(const CommandLineRequest& request) {
    WebServerOptions options = request.serveLimits;
    options.address = {request.serveHost, request.servePort};
    options.workers = request.jobs;
    options.queue = request.queue;
    options.quiet = request.quiet;
    return runWebServer(options);
}

int runWindow(const CommandLineRequest& request, QApplication& app) {
    RandomGenerator rng;
    SystemClock clock;
    QtWindowServices services;
    PainterSession session(rng, clock, services, request.folder);
    session.state().leto = request.year;
    Form1 form(session);
    services.attach(&form);
    form.open();
    return app.exec();
}

QStringList rawArguments(int argc, char** argv) {
    QStringList arguments;
    for (int k = 0; k < argc; ++k) arguments << QString::fromLocal8Bit(argv[k]);
    return arguments;
}

// Without a display the window cannot open; Qt would stop with a message
// about plugins. Said plainly, with what works without one.
bool displayMissing(const QStringList& arguments) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    for (const QString& a : arguments)
        if (a == QLatin1String("-platform") || a == QLatin1String("--platform") || a.startsWith("-platform=") ||
            a.startsWith("--platform="))
            return false;
    return true;
#else
    Q_UNUSED(arguments);
    return false;
#endif
}

// Headless runs show nothing of Qt's own chatter (XDG_RUNTIME_DIR, fonts):
// only the program speaks on standard error. Critical messages still pass.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) err() << message << Qt::endl;
}

// A closed standard descriptor would be taken by the next file opened, and a
// read of "standard input" would then read that file. Each is put on
// /dev/null; returns which were closed, so that reading standard input or
// writing a picture to standard output fails instead of meeting /dev/null.
struct ClosedStreams {
    bool input = false;
    bool output = false;
};

ClosedStreams guardStandardDescriptors() {
    ClosedStreams closed;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        if (fd == 0) closed.input = true;
        if (fd == 1) closed.output = true;
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
    return closed;
}

// --seconds' value: a number of seconds a clip may last.
Problem parseSeconds(const QString& text, double& seconds) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (ok && !clipSecondsProblem(value)) {
        seconds = value;
        return std::nullopt;
    }
    return QStringLiteral("--seconds: %1, not '%2'").arg(*clipSecondsProblem(ok ? value : 0), text);
}

}  // namespace

CommandLine::CommandLine() : helpOption_(parser_.addHelpOption()), versionOption_(parser_.addVersionOption()) {
    parser_.setApplicationDescription(
        QStringLiteral("Paints a greeting picture from a first and last name.\n"
                       "Without options the window opens and asks for the name.\n\n"
                       "Examples:\n"
                       "  painter\n"
                       "  painter --name \"ana novak\" --output ana.png\n"
                       "  painter --name \"ana novak\"\n"
                       "  painter --names razred.txt --output-dir voscilnice\n"
                       "  painter --names razred.txt --output-dir voscilnice --skip-existing --manifest v.csv\n"
                       "  painter --name \"ana novak\" --describe\n"
                       "  painter --serve 8080\n\n"
                       "Exit status: 0 done; 1 something could not be read or written, or a line was refused;\n"
                       "2 wrong arguments or a refused --name; 130/143 stopped by Ctrl-C/SIGTERM."));
    // Qt's own options are single-dash words (-platform, -style); reading them
    // as long options keeps them whole.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionSpec& declared : commandLineOptions()) {
        QCommandLineOption option(
            declared.names,
            declared.help + (declared.example.isEmpty() ? QString() : "\nExample: painter " + declared.example),
            declared.valueName);
        if (declared.qtOption) option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser_.addOption(option);
    }
}

QString CommandLine::helpAllText() const {
    QString text = helpText() + QStringLiteral("\nWindow options, taken by Qt when the window opens:\n");
    for (const OptionSpec& declared : commandLineOptions())
        if (declared.qtOption)
            text += QStringLiteral("  -%1%2\n")
                        .arg(declared.names.first(),
                             declared.valueName.isEmpty() ? QString() : " <" + declared.valueName + ">");
    return text;
}

// Where --serve listens when it is given no address.
constexpr const char* kDefaultServeAddress = "127.0.0.1:8080";

CommandLineRequest CommandLine::parse(const QStringList& arguments) {
    CommandLineRequest request;
    auto invalid = [&request](const QString& why) {
        request.kind = CommandLineRequest::Kind::Invalid;
        request.error = why;
        return request;
    };

    // --serve takes its address, but alone (last, or before another option)
    // it serves on the usual one; the option parser knows no optional values.
    QStringList withAddress = arguments;
    for (qsizetype k = 1; k < withAddress.size(); ++k)
        if (withAddress[k] == QLatin1String("--serve") &&
            (k + 1 == withAddress.size() || withAddress[k + 1].startsWith(QLatin1Char('-'))))
            withAddress.insert(k + 1, QString::fromLatin1(kDefaultServeAddress));

    if (!parser_.parse(withAddress)) return invalid(parser_.errorText());
    if (parser_.isSet(QStringLiteral("help-all"))) {
        request.kind = CommandLineRequest::Kind::HelpAll;
        return request;
    }
    if (parser_.isSet(helpOption_)) {
        request.kind = CommandLineRequest::Kind::Help;
        return request;
    }
    if (parser_.isSet(versionOption_)) {
        request.kind = CommandLineRequest::Kind::Version;
        return request;
    }
    if (!parser_.positionalArguments().isEmpty())
        return invalid(QStringLiteral("unexpected argument '%1'").arg(parser_.positionalArguments().constFirst()));

    // Every option once: a second --name would silently win over the first.
    const auto& declaredOptions = commandLineOptions();
    QHash<QString, const OptionSpec*> byName;
    for (const OptionSpec& declared : declaredOptions)
        for (const QString& n : declared.names) byName.insert(n, &declared);
    QHash<const OptionSpec*, int> given;
    for (const QString& n : parser_.optionNames())
        if (const OptionSpec* declared = byName.value(n); declared && ++given[declared] == 2)
            return invalid(QStringLiteral("%1 is given twice").arg(dashed(*declared)));
    auto isSet = [this](const char* name) { return parser_.isSet(QString::fromLatin1(name)); };
    auto value = [this](const char* name) { return parser_.value(QString::fromLatin1(name)); };

    if (isSet("name") && isSet("names")) return invalid(QStringLiteral("--name and --names exclude each other"));
    if (isSet("serve") && (isSet("name") || isSet("names")))
        return invalid(QStringLiteral("--serve paints on request: leave out --name and --names"));
    const unsigned mode = isSet("serve")   ? kServeMode
                          : isSet("names") ? (isSet("check") ? kCheckMode : kBatchMode)
                          : isSet("name")  ? (isSet("describe") ? kDescribeMode : kSingleMode)
                                           : kWindowMode;
    // An option that does nothing in the chosen mode is refused, not ignored.
    for (const OptionSpec& declared : declaredOptions) {
        if (!given.contains(&declared) || (declared.modes & mode)) continue;
        if (declared.qtOption)
            return invalid(QStringLiteral("%1 is an option of the window; it does nothing with %2")
                               .arg(dashed(declared), modeWord(mode)));
        if (mode == kWindowMode)
            return invalid(QStringLiteral("%1 goes with %2").arg(dashed(declared), goesWith(declared.modes)));
        return invalid(QStringLiteral("%1 does nothing with %2; it goes with %3")
                           .arg(dashed(declared), modeWord(mode), goesWith(declared.modes)));
    }

    request.folder = isSet("folder") ? value("folder") : defaultPictureFolder();
    if (request.folder.isEmpty()) return invalid(QStringLiteral("--folder needs a folder name"));
    // A whole-number option, when given, into `field`; its reason when it cannot be read.
    auto number = [&](const char* name, int least, int most, int& field, const char* what = "a whole number") {
        if (!isSet(name)) return Problem();
        const WholeNumber n = wholeNumberOption(QLatin1String(name), value(name), least, most, QLatin1String(what));
        if (!n.problem) field = n.value;
        return n.problem;
    };
    if (const Problem why = number("year", 1, 9999, request.year, "a year")) return invalid(*why);
    request.format = value("format").toLower();
    if (const Problem problem = formatProblem(value("format"))) return invalid(*problem);

    switch (mode) {
    case kWindowMode: return request;
    case kDescribeMode:
        request.kind = CommandLineRequest::Kind::Describe;
        request.name = value("name");
        return request;
    case kServeMode: {
        request.kind = CommandLineRequest::Kind::Serve;
        const ParsedAddress parsed = parseServeAddress(value("serve"));
        if (parsed.problem) return invalid(*parsed.problem);
        request.serveHost = parsed.address.host;
        request.servePort = parsed.address.port;
        request.quiet = isSet("quiet");
        if (const Problem why = number("queue", 1, 100000, request.queue)) return invalid(*why);
        if (const Problem why = number("jobs", 1, 256, request.jobs)) return invalid(*why);
        WebServerOptions& limits = request.serveLimits;
        for (const auto& [option, field, least, most] :
             {std::tuple{"connections", &limits.connections, 1, 1000000},
              std::tuple{"per-client", &limits.perClient, 1, 1000000},
              std::tuple{"header-timeout", &limits.headerTimeout, 1, 3600},
              std::tuple{"idle-timeout", &limits.idleTimeout, 1, 3600},
              std::tuple{"cache", &limits.cacheMiB, 0, 1048576}}) {
            if (const Problem why = number(option, least, most, *field)) return invalid(*why);
        }
        return request;
    }
    case kSingleMode:
        request.kind = CommandLineRequest::Kind::Single;
        request.name = value("name");
        request.output = value("output");
        if (isSet("timelapse")) {
            request.timelapse = value("timelapse");
            if (request.timelapse.isEmpty()) return invalid(QStringLiteral("--timelapse needs a file name (or -)"));
            if (isSet("output"))
                return invalid(QStringLiteral("--timelapse writes the clip and --output the picture: give one"));
            if (isSet("folder"))
                return invalid(QStringLiteral("--folder does nothing with --timelapse; it is where --name without "
                                              "--output saves"));
            if (isSet("scale"))
                return invalid(QStringLiteral("--scale enlarges pictures, not clips: a clip is 700 x 525"));
            const ClipOutput clip = clipOutput(request.timelapse, request.format);
            if (clip.problem) return invalid(QStringLiteral("cannot write %1: %2").arg(request.timelapse, *clip.problem));
            request.clipFormat = clip.format;
        } else if (clipFormatNamed(request.format)) {
            return invalid(QStringLiteral("--format %1 is a clip: it goes with --timelapse, or with --names and "
                                          "--output-dir")
                               .arg(request.format));
        }
        if (isSet("seconds")) {
            if (request.timelapse.isEmpty()) return invalid(QStringLiteral("--seconds goes with --timelapse"));
            if (const Problem why = parseSeconds(value("seconds"), request.seconds)) return invalid(*why);
        }
        if (isSet("output")) {
            if (request.output.isEmpty()) return invalid(QStringLiteral("--output needs a file name"));
            if (isSet("folder"))
                return invalid(
                    QStringLiteral("--folder does nothing with --output; it is where --name without "
                                   "--output saves"));
            if (const OutputFormat f = outputFormat(request.output, request.format); f.problem)
                return invalid(QStringLiteral("cannot write %1: %2").arg(request.output, *f.problem));
        }
        if (const Problem why = parsePrintOptions(request)) return invalid(*why);
        return request;
    default: break;
    }

    request.kind = mode == kCheckMode ? CommandLineRequest::Kind::Check : CommandLineRequest::Kind::Batch;
    request.namesFile = value("names");
    if (request.namesFile.isEmpty()) return invalid(QStringLiteral("--names needs a file name (or -)"));
    request.quiet = isSet("quiet");
    if (isSet("shard")) {
        const QStringList parts = value("shard").split(QLatin1Char('/'));
        bool okK = false, okN = false;
        if (parts.size() == 2) {
            request.shardIndex = parts[0].toInt(&okK);
            request.shardCount = parts[1].toInt(&okN);
        }
        if (!okK || !okN || request.shardCount < 1 || request.shardIndex < 0 ||
            request.shardIndex >= request.shardCount)
            return invalid(QStringLiteral("--shard takes k/n with 0 <= k < n, like 0/4, not '%1'").arg(value("shard")));
    }
    if (mode == kCheckMode) return request;

    if (!isSet("output-dir") && !isSet("output") && !isSet("sheet"))
        return invalid(
            QStringLiteral("--names needs --output-dir <dir> for the pictures, --output <file.pdf> for "
                           "one document of every card, or --sheet <file> (or --check)"));
    request.outputDir = value("output-dir");
    if (isSet("output-dir") && request.outputDir.isEmpty())
        return invalid(QStringLiteral("--output-dir needs a folder name"));
    request.output = value("output");
    request.sheet = value("sheet");
    if (isSet("output") || isSet("sheet")) {
        // A document or a sheet is made whole in one go: nothing to resume, shard or list line by line.
        for (const char* name : {"skip-existing", "no-clobber", "manifest", "shard"})
            if (isSet(name))
                return invalid(QStringLiteral("--%1 goes with pictures in --output-dir, not with a PDF document or "
                                              "a contact sheet")
                                   .arg(QLatin1String(name)));
    }
    if (request.format.isEmpty()) request.format = QStringLiteral("png");
    if (clipFormatNamed(request.format)) {
        if (isSet("output") || isSet("sheet"))
            return invalid(QStringLiteral("--format %1 makes a clip per name in --output-dir, not a PDF document or "
                                          "a contact sheet")
                               .arg(request.format));
        if (isSet("scale"))
            return invalid(QStringLiteral("--scale enlarges pictures, not clips: a clip is 700 x 525"));
    }
    if (isSet("seconds")) {
        if (!clipFormatNamed(request.format))
            return invalid(QStringLiteral("--seconds goes with clips: --format mp4 or --format webp"));
        if (const Problem why = parseSeconds(value("seconds"), request.seconds)) return invalid(*why);
    }
    if (const Problem why = parsePrintOptions(request)) return invalid(*why);
    if (const Problem why = number("jobs", 1, 256, request.jobs)) return invalid(*why);
    request.skipExisting = isSet("skip-existing");
    request.noClobber = isSet("no-clobber");
    if (request.skipExisting && request.noClobber)
        return invalid(QStringLiteral("--skip-existing and --no-clobber exclude each other"));
    if (isSet("manifest")) {
        request.manifest = value("manifest");
        if (const Problem problem = manifestProblem(request.manifest))
            return invalid(QStringLiteral("--manifest %1: %2").arg(request.manifest, *problem));
    }
    return request;
}

// --page, --cards-per-page, --sheet and --scale: what they go with and their values.
Problem CommandLine::parsePrintOptions(CommandLineRequest& request) const {
    using Kind = CommandLineRequest::Kind;
    auto isSet = [this](const char* name) { return parser_.isSet(QString::fromLatin1(name)); };
    auto value = [this](const char* name) { return parser_.value(QString::fromLatin1(name)); };
    const auto pdfPath = [](const QString& path) {
        return QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    };
    const bool batch = request.kind == Kind::Batch, single = request.kind == Kind::Single;
    const bool pdfFormat = request.format == QLatin1String("pdf");
    const bool pdf =
        (single && (pdfPath(request.output) || pdfFormat)) || (batch && (!request.output.isEmpty() || pdfFormat));
    const bool pictures =
        (single && !request.output.isEmpty() && !pdf) || (batch && !request.outputDir.isEmpty() && !pdfFormat);
    if (batch && !request.output.isEmpty()) {
        if (!pdfPath(request.output))
            return QStringLiteral("with --names, --output is one PDF of every card: a .pdf file, not '%1'")
                .arg(request.output);
        if (!request.outputDir.isEmpty())
            return QStringLiteral("--output and --output-dir exclude each other with --names");
    }
    if (isSet("page") || isSet("cards-per-page")) {
        if (!pdf) return QStringLiteral("--page and --cards-per-page go with a .pdf --output or --format pdf");
        const QString cards = isSet("cards-per-page") ? value("cards-per-page") : QStringLiteral("1");
        if (cards != QLatin1String("1") && cards != QLatin1String("2") && cards != QLatin1String("4"))
            return QStringLiteral("--cards-per-page is 1, 2 or 4, not '%1'").arg(cards);
        request.layout.cardsPerPage = cards.toInt();
        const QString page = isSet("page") ? value("page") : paperName(defaultPaper(request.layout.cardsPerPage));
        const auto paper = paperFromName(page);
        if (!paper) return QStringLiteral("--page is a6, a5, a4 or letter, not '%1'").arg(page);
        request.layout.paper = *paper;
        if (const Problem why = cardLayoutProblem(request.layout))
            return *why + QStringLiteral(": take a larger --page or fewer --cards-per-page");
    }
    if (isSet("sheet")) {
        if (!formatOfPath(request.sheet))
            return QStringLiteral("--sheet is a %1 file, not '%2'").arg(formatNames(true), request.sheet);
    }
    if (isSet("scale")) {
        if (!pictures) return QStringLiteral("--scale goes with .bmp or .png pictures (--output or --output-dir)");
        const WholeNumber scale = wholeNumberOption(QStringLiteral("scale"), value("scale"), 1, 8);
        if (scale.problem) return scale.problem;
        request.scale = scale.value;
    }
    return std::nullopt;
}

// Every picture carries its caption: without the built-in font nothing starts.
static bool captionFontLoaded() {
    if (const auto& problem = captionFontProblem()) {
        err() << programName() << ": " << *problem << Qt::endl;
        return false;
    }
    return true;
}

int runPainter(int argc, char** argv) {
    const ClosedStreams closed = guardStandardDescriptors();
    // A reader that goes away is a write error to report, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication::setApplicationName(QStringLiteral("painter"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PAINTER_VERSION));

    // Which application object to create depends on the arguments: the window
    // needs a display, everything else runs without one.
    const QStringList arguments = rawArguments(argc, argv);
    CommandLine commandLine;
    CommandLineRequest request = commandLine.parse(arguments);
    switch (request.kind) {
    case CommandLineRequest::Kind::Help:
        out() << commandLine.helpText();
        out().flush();
        return kExitOk;
    case CommandLineRequest::Kind::HelpAll:
        out() << commandLine.helpAllText();
        out().flush();
        return kExitOk;
    case CommandLineRequest::Kind::Version:
        out() << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << Qt::endl;
        return kExitOk;
    case CommandLineRequest::Kind::Invalid:
        err() << programName() << ": " << request.error << Qt::endl
              << "Try '" << QCoreApplication::applicationName() << " --help'." << Qt::endl;
        return kExitUsage;
    case CommandLineRequest::Kind::Window: {
        if (displayMissing(arguments)) {
            err() << programName() << ": no display for the window (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                  << "Without a window:\n"
                  << "  painter --name \"ana novak\" --output ana.png\n"
                  << "  painter --names names.txt --output-dir cards\n"
                  << "  painter --help" << Qt::endl;
            return kExitFailure;
        }
        QApplication app(argc, argv);
        if (!captionFontLoaded()) return kExitFailure;
        // Parsed again from the application's own list: Qt has taken its options out.
        request = CommandLine().parse(QCoreApplication::arguments());
        return runWindow(request, app);
    }
    default: break;
    }

    // Text is still rendered onto the picture, which needs a GUI application,
    // but never a screen: offscreen, whatever platform the desktop asks for.
    // Qt gets only the program's name, or a platform plugin could take
    // options of ours for its own (xcb reads --name).
    qInstallMessageHandler(quietQtMessages);
    // The web service takes its stop signals on a thread of its own.
    if (request.kind != CommandLineRequest::Kind::Serve)
        catchStopSignals();  // a picture in hand is written whole, then the signal ends the run
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    if (!captionFontLoaded()) return kExitFailure;
    switch (request.kind) {
    case CommandLineRequest::Kind::Single: return runSingle(request, closed.output);
    case CommandLineRequest::Kind::Describe: return runDescribe(request);
    case CommandLineRequest::Kind::Serve: return runServe(request);
    case CommandLineRequest::Kind::Batch:
    case CommandLineRequest::Kind::Check: return runBatchCommand(request, closed.input);
    default: return kExitFailure;
    }
}

}  // namespace painter
