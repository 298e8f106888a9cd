#include "app/command_line.h"

#include "app/batch.h"
#include "app/card_commands.h"
#include "app/describe.h"
#include "app/form1.h"
#include "app/picture_cycle.h"
#include "app/window_services.h"
#include "output/picture_file.h"
#include "params/name_entry.h"
#include "platform/clock.h"
#include "platform/picture_folder.h"
#include "platform/random_generator.h"
#include "platform/window_services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QTextStream>
#include <QThread>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace painter {

namespace {

// Options that Qt itself takes from the command line when it creates the
// application (-platform, -style, ...). They are accepted here so that the
// first look at the arguments, made before any application object exists,
// does not mistake them for errors; Qt acts on them.
const char* const kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
    "qwindowicon", "icon", "qwindowtitle", "title", "session", "display", "style", "stylesheet",
    "qmljsdebugger",
};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

void hideOption(QCommandLineParser& parser, QCommandLineOption option)
{
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QString programName() { return QCoreApplication::applicationName(); }

// One picture without a window: the name goes straight to the prompt, the
// picture is painted exactly as the window would paint it, then written -
// to --output, or where and as the window's save writes it.
int runSingle(const CommandLineRequest& request)
{
    if (const auto reason = nameRejection(request.name)) {
        err() << programName() << ": the name cannot be painted: " << *reason << Qt::endl;
        return kExitUsage;
    }
    if (!request.output.isEmpty()) {
        // Found before any painting: a picture nobody can keep is not painted.
        const QString folder = QFileInfo(request.output).absolutePath();
        const QString suffix = QFileInfo(request.output).suffix().toLower();
        QString problem = outputFolderProblem(folder);
        if (problem.isEmpty() && suffix != QLatin1String("bmp") && suffix != QLatin1String("png"))
            problem = QStringLiteral("unknown picture format '%1' (use .bmp or .png)").arg(suffix);
        if (!problem.isEmpty()) {
            err() << programName() << ": cannot write " << request.output << ": " << problem << Qt::endl;
            return kExitFailure;
        }
    }
    RandomGenerator rng;
    SystemClock clock;
    QuietServices quiet;
    quiet.names = QStringList{request.name};
    PainterSession session(rng, clock, quiet, request.folder);
    session.formLoad();

    if (request.output.isEmpty()) {
        if (!session.shrani()) {
            err() << programName() << ": " << quiet.lastError << Qt::endl;
            return kExitFailure;
        }
        out() << quiet.lastSaved << Qt::endl;
        return kExitOk;
    }
    QString error;
    if (!writePictureFile(session.picture1(), request.output, &error)) {
        err() << programName() << ": cannot write " << request.output << ": " << error << Qt::endl;
        return kExitFailure;
    }
    return kExitOk;
}

int runDescribe(const CommandLineRequest& request)
{
    if (const auto reason = nameRejection(request.name)) {
        err() << programName() << ": the name cannot be painted: " << *reason << Qt::endl;
        return kExitUsage;
    }
    out() << QString::fromUtf8(QJsonDocument(describeName(request.name)).toJson(QJsonDocument::Indented));
    out().flush();
    return kExitOk;
}

// A list of names: every picture that can be painted is, the others are
// reported with their line; the exit status tells whether all were.
int runBatch(const CommandLineRequest& request)
{
    QFile list;
    const bool fromStdin = request.namesFile == QLatin1String("-");
    if (!openNameList(request.namesFile, list)) {
        err() << programName() << ": cannot read " << request.namesFile << ": " << list.errorString() << Qt::endl;
        return kExitFailure;
    }
    const QList<NameLine> names = readNameList(list);
    if (const QString problem = outputFolderProblem(request.outputDir); !problem.isEmpty()) {
        err() << programName() << ": " << problem << Qt::endl;
        return kExitFailure;
    }

    BatchOptions options;
    options.outputDir = request.outputDir;
    options.extension = request.format;
    options.workers = request.jobs > 0 ? request.jobs : QThread::idealThreadCount();
    options.scale = request.scale;
    const bool terminal = isatty(fileno(stderr));
    options.progress = [terminal](int done, int total, const QString& file) {
        const QString line = QStringLiteral("[%1/%2] %3").arg(done, QString::number(total).size()).arg(total)
                                 .arg(QFileInfo(file).fileName());
        if (terminal) {
            // One line that rewrites itself; cleared to its end so a shorter name leaves no tail.
            err() << '\r' << line << "\x1b[K";
            if (done == total) err() << '\n';
            err().flush();
        } else {
            err() << line << Qt::endl;
        }
    };
    const BatchResult result = paintNameList(names, options);
    const QString listName = fromStdin ? QStringLiteral("standard input") : request.namesFile;
    for (const QString& e : result.errors) err() << programName() << ": " << listName << ": " << e << Qt::endl;
    err() << programName() << ": painted " << result.painted << " of " << result.painted + result.errors.size()
          << " names into " << QDir::toNativeSeparators(request.outputDir) << Qt::endl;
    return result.errors.isEmpty() ? kExitOk : kExitFailure;
}

int runWindow(const CommandLineRequest& request, QApplication& app)
{
    RandomGenerator rng;
    SystemClock clock;
    QtWindowServices services;
    PainterSession session(rng, clock, services, request.folder);
    Form1 form(session);
    services.attach(&form);
    form.open();
    return app.exec();
}

QStringList rawArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int k = 0; k < argc; ++k)
        arguments << QString::fromLocal8Bit(argv[k]);
    return arguments;
}

}  // namespace

CommandLine::CommandLine()
    : helpOption_(parser_.addHelpOption()),
      versionOption_(parser_.addVersionOption()),
      nameOption_(QStringLiteral("name"),
                  QStringLiteral("Paint the picture of <name> without opening the window, into --output or, "
                                 "without it, into the save folder as the window saves it.\n"
                                 "Example: --name \"ana novak\" --output ana.png"),
                  QStringLiteral("name")),
      outputOption_(QStringLiteral("output"),
                    QStringLiteral("With --name: the file the picture is written to, .bmp (24-bit) or .png.\n"
                                   "Example: --name \"ana novak\" --output ana.bmp"),
                    QStringLiteral("file")),
      folderOption_(QStringLiteral("folder"),
                    QStringLiteral("Folder in which pictures are saved (default: %1).\n"
                                   "Example: --folder ~/voscilnice")
                        .arg(QDir::toNativeSeparators(defaultPictureFolder())),
                    QStringLiteral("dir")),
      namesOption_(QStringLiteral("names"),
                   QStringLiteral("Paint one picture per line of <file> (UTF-8, blank lines skipped; "
                                  "- reads standard input), named after the name. Needs --output-dir.\n"
                                  "Example: --names razred.txt --output-dir voscilnice"),
                   QStringLiteral("file")),
      outputDirOption_(QStringLiteral("output-dir"),
                       QStringLiteral("With --names: the existing folder the pictures go to.\n"
                                      "Example: --names - --output-dir /tmp/slike < imena.txt"),
                       QStringLiteral("dir")),
      formatOption_(QStringLiteral("format"),
                    QStringLiteral("With --names: bmp (default) or png.\n"
                                   "Example: --names razred.txt --output-dir slike --format png"),
                    QStringLiteral("format"), QStringLiteral("bmp")),
      jobsOption_(QStringLiteral("jobs"),
                  QStringLiteral("With --names: pictures painted at once (default: one per core).\n"
                                 "Example: --names razred.txt --output-dir slike --jobs 1"),
                  QStringLiteral("n")),
      describeOption_(QStringLiteral("describe"),
                      QStringLiteral("With --name: print as JSON what the name decides (seed, formulas, "
                                     "brush mode, random draws, ornament triangle).\n"
                                     "Example: --name \"ana novak\" --describe")),
      pageOption_(QStringLiteral("page"),
                  QStringLiteral("With a .pdf output: the paper, a6 (default), a5, a4 or letter.\n"
                                 "Example: --name \"ana novak\" --output ana.pdf --page a5"),
                  QStringLiteral("paper"), QStringLiteral("a6")),
      cardsPerPageOption_(QStringLiteral("cards-per-page"),
                          QStringLiteral("With a .pdf output: 1 (default), 2 or 4 cards on a page, "
                                         "with cut marks between them.\n"
                                         "Example: --names razred.txt --output razred.pdf --page a4 --cards-per-page 4"),
                          QStringLiteral("n"), QStringLiteral("1")),
      sheetOption_(QStringLiteral("sheet"),
                   QStringLiteral("With --names: a contact sheet of every picture with its name, "
                                  ".png, .bmp or .pdf.\n"
                                  "Example: --names razred.txt --sheet razred.png"),
                   QStringLiteral("file")),
      scaleOption_(QStringLiteral("scale"),
                   QStringLiteral("For .bmp and .png pictures: each pixel as an n x n block (1-8).\n"
                                  "Example: --name \"ana novak\" --output ana.png --scale 4"),
                   QStringLiteral("n"))
{
    parser_.setApplicationDescription(
        QStringLiteral("Paints a greeting picture from a first and last name.\n"
                       "Without options the window opens and asks for the name.\n\n"
                       "Examples:\n"
                       "  painter\n"
                       "  painter --name \"ana novak\" --output ana.png\n"
                       "  painter --name \"ana novak\"\n"
                       "  painter --names razred.txt --output-dir voscilnice --format png\n"
                       "  painter --name \"ana novak\" --describe\n"
                       "  painter --names razred.txt --output razred.pdf --page a4 --cards-per-page 4"));
    // Qt's own options are single-dash words (-platform, -style); reading them
    // as long options keeps them whole.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOption(nameOption_);
    parser_.addOption(outputOption_);
    parser_.addOption(folderOption_);
    parser_.addOption(namesOption_);
    parser_.addOption(outputDirOption_);
    parser_.addOption(formatOption_);
    parser_.addOption(jobsOption_);
    parser_.addOption(describeOption_);
    parser_.addOption(pageOption_);
    parser_.addOption(cardsPerPageOption_);
    parser_.addOption(sheetOption_);
    parser_.addOption(scaleOption_);
    for (const char* name : kQtOptionsWithValue)
        hideOption(parser_, QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    for (const char* name : kQtFlags)
        hideOption(parser_, QCommandLineOption(QString::fromLatin1(name), QString()));
}

CommandLineRequest CommandLine::parse(const QStringList& arguments)
{
    CommandLineRequest request;
    auto invalid = [&request](const QString& why) {
        request.kind = CommandLineRequest::Kind::Invalid;
        request.error = why;
        return request;
    };

    if (!parser_.parse(arguments))
        return invalid(parser_.errorText());
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

    request.folder = parser_.isSet(folderOption_) ? parser_.value(folderOption_) : defaultPictureFolder();
    if (request.folder.isEmpty())
        return invalid(QStringLiteral("--folder needs a folder name"));

    const bool name = parser_.isSet(nameOption_);
    const bool output = parser_.isSet(outputOption_);
    const bool names = parser_.isSet(namesOption_);
    const bool outputDir = parser_.isSet(outputDirOption_);
    const bool describe = parser_.isSet(describeOption_);
    const bool batchOnly = parser_.isSet(formatOption_) || parser_.isSet(jobsOption_);
    const bool sheet = parser_.isSet(sheetOption_);
    if (output && !name && !names)
        return invalid(QStringLiteral("--output needs --name <name> to paint"));
    if (describe && !name)
        return invalid(QStringLiteral("--describe needs --name <name> to describe"));
    if (describe && output)
        return invalid(QStringLiteral("--describe paints no file: leave out --output"));
    if (names && name)
        return invalid(QStringLiteral("--name and --names exclude each other"));
    if (names && !outputDir && !output && !sheet)
        return invalid(QStringLiteral("--names needs --output-dir <dir> for the pictures"));
    if (outputDir && !names)
        return invalid(QStringLiteral("--output-dir needs --names <file> to paint"));
    if (sheet && !names)
        return invalid(QStringLiteral("--sheet goes with --names"));
    if (batchOnly && !names)
        return invalid(QStringLiteral("--format and --jobs go with --names"));

    if (name) {
        request.kind = describe ? CommandLineRequest::Kind::Describe : CommandLineRequest::Kind::Single;
        request.name = parser_.value(nameOption_);
        request.output = parser_.value(outputOption_);
        if (output && request.output.isEmpty())
            return invalid(QStringLiteral("--output needs a file name"));
    }
    if (names) {
        request.kind = CommandLineRequest::Kind::Batch;
        request.namesFile = parser_.value(namesOption_);
        request.outputDir = parser_.value(outputDirOption_);
        request.output = parser_.value(outputOption_);
        request.sheet = parser_.value(sheetOption_);
        if (request.namesFile.isEmpty()) return invalid(QStringLiteral("--names needs a file name (or -)"));
        if (outputDir && request.outputDir.isEmpty()) return invalid(QStringLiteral("--output-dir needs a folder name"));
        request.format = parser_.value(formatOption_).toLower();
        if (request.format != QLatin1String("bmp") && request.format != QLatin1String("png") &&
            request.format != QLatin1String("pdf"))
            return invalid(QStringLiteral("--format is bmp, png or pdf, not '%1'").arg(parser_.value(formatOption_)));
        if (parser_.isSet(jobsOption_)) {
            bool ok = false;
            request.jobs = parser_.value(jobsOption_).toInt(&ok);
            if (!ok || request.jobs < 1 || request.jobs > 256)
                return invalid(QStringLiteral("--jobs takes a number from 1 to 256"));
        }
    }
    if (const QString why = parsePrintOptions(request); !why.isEmpty())
        return invalid(why);
    return request;
}

// --page, --cards-per-page, --sheet and --scale: what they go with and their values.
QString CommandLine::parsePrintOptions(CommandLineRequest& request) const
{
    using Kind = CommandLineRequest::Kind;
    const auto pdfPath = [](const QString& path) {
        return QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    };
    const bool batch = request.kind == Kind::Batch, single = request.kind == Kind::Single;
    const bool pdf = (single && pdfPath(request.output)) ||
                     (batch && (!request.output.isEmpty() || request.format == QLatin1String("pdf")));
    const bool pictures = (single && !request.output.isEmpty() && !pdf) ||
                          (batch && !request.outputDir.isEmpty() && request.format != QLatin1String("pdf"));
    if (batch && !request.output.isEmpty()) {
        if (!pdfPath(request.output))
            return QStringLiteral("with --names, --output is one PDF of every card: a .pdf file, not '%1'")
                .arg(request.output);
        if (!request.outputDir.isEmpty())
            return QStringLiteral("--output and --output-dir exclude each other with --names");
    }
    if (parser_.isSet(pageOption_) || parser_.isSet(cardsPerPageOption_)) {
        if (!pdf) return QStringLiteral("--page and --cards-per-page go with a .pdf --output or --format pdf");
        const auto paper = paperFromName(parser_.value(pageOption_));
        if (!paper) return QStringLiteral("--page is a6, a5, a4 or letter, not '%1'").arg(parser_.value(pageOption_));
        request.layout.paper = *paper;
        const QString cards = parser_.value(cardsPerPageOption_);
        if (cards != QLatin1String("1") && cards != QLatin1String("2") && cards != QLatin1String("4"))
            return QStringLiteral("--cards-per-page is 1, 2 or 4, not '%1'").arg(cards);
        request.layout.cardsPerPage = cards.toInt();
    }
    if (!request.sheet.isEmpty() || parser_.isSet(sheetOption_)) {
        const QString suffix = QFileInfo(request.sheet).suffix().toLower();
        if (suffix != QLatin1String("png") && suffix != QLatin1String("bmp") && suffix != QLatin1String("pdf"))
            return QStringLiteral("--sheet is a .png, .bmp or .pdf file, not '%1'").arg(request.sheet);
    }
    if (parser_.isSet(scaleOption_)) {
        if (!pictures) return QStringLiteral("--scale goes with .bmp or .png pictures (--output or --output-dir)");
        bool ok = false;
        request.scale = parser_.value(scaleOption_).toInt(&ok);
        if (!ok || request.scale < 1 || request.scale > 8)
            return QStringLiteral("--scale takes a whole number from 1 to 8, not '%1'").arg(parser_.value(scaleOption_));
    }
    return {};
}

int runPainter(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("painter"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PAINTER_VERSION));

    // Which application object to create depends on the arguments: the window
    // needs a display, everything else runs without one.
    const QStringList arguments = rawArguments(argc, argv);
    const bool window = CommandLine().parse(arguments).needsWindow();
    std::unique_ptr<QCoreApplication> app;
    int qtArgc = 1;  // without a window Qt sees none of the arguments
    if (window) {
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        // Text is still rendered onto the picture, which needs a GUI
        // application, but never a screen: offscreen, whatever platform the
        // desktop asks for. Qt gets only the program's name, or a platform
        // plugin could take options of ours for its own (xcb reads --name).
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(qtArgc, argv);
    }

    // With the window, parsed again from the application's own list: Qt has
    // taken its options out.
    CommandLine commandLine;
    const CommandLineRequest request = commandLine.parse(window ? QCoreApplication::arguments() : arguments);
    switch (request.kind) {
    case CommandLineRequest::Kind::Help:
        out() << commandLine.helpText();
        out().flush();
        return kExitOk;
    case CommandLineRequest::Kind::Version:
        out() << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << Qt::endl;
        return kExitOk;
    case CommandLineRequest::Kind::Invalid:
        err() << programName() << ": " << request.error << Qt::endl
              << "Try '" << QCoreApplication::applicationName() << " --help'." << Qt::endl;
        return kExitUsage;
    case CommandLineRequest::Kind::Single:
        return wantsCardOutput(request) ? runCardSingle(request) : runSingle(request);
    case CommandLineRequest::Kind::Describe:
        return runDescribe(request);
    case CommandLineRequest::Kind::Batch:
        return wantsCardOutput(request) ? runCardBatch(request) : runBatch(request);
    case CommandLineRequest::Kind::Window:
        if (auto* widgets = qobject_cast<QApplication*>(app.get()))
            return runWindow(request, *widgets);
        break;
    }
    return kExitFailure;
}

}  // namespace painter
