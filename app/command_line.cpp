#include "app/command_line.h"

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
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

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

// One picture without a window: the name goes straight to the prompt, the
// picture is painted exactly as the window would paint it, then written.
int runSingle(const CommandLineRequest& request)
{
    if (const auto reason = nameRejection(request.name)) {
        err() << QCoreApplication::applicationName() << ": the name cannot be painted: " << *reason << Qt::endl;
        return kExitUsage;
    }
    RandomGenerator rng;
    SystemClock clock;
    QuietServices quiet;
    quiet.names = QStringList{request.name};
    PainterSession session(rng, clock, quiet, request.folder);
    session.formLoad();

    QString error;
    if (!writePictureFile(session.picture1(), request.output, &error)) {
        err() << QCoreApplication::applicationName() << ": cannot write " << request.output << ": " << error
              << Qt::endl;
        return kExitFailure;
    }
    return kExitOk;
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
                  QStringLiteral("Paint the picture of <name> without opening the window (needs --output)."),
                  QStringLiteral("name")),
      outputOption_(QStringLiteral("output"),
                    QStringLiteral("With --name: the file the picture is written to (.bmp or .png)."),
                    QStringLiteral("file")),
      folderOption_(QStringLiteral("folder"),
                    QStringLiteral("Folder in which the window saves pictures (default: %1).")
                        .arg(QDir::toNativeSeparators(defaultPictureFolder())),
                    QStringLiteral("dir"))
{
    parser_.setApplicationDescription(
        QStringLiteral("Paints a greeting picture from a first and last name.\n"
                       "Without options the window opens and asks for the name."));
    // Qt's own options are single-dash words (-platform, -style); reading them
    // as long options keeps them whole.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOption(nameOption_);
    parser_.addOption(outputOption_);
    parser_.addOption(folderOption_);
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
    if (name != output)
        return invalid(name ? QStringLiteral("--name needs --output <file> to write the picture to")
                            : QStringLiteral("--output needs --name <name> to paint"));
    if (name) {
        request.kind = CommandLineRequest::Kind::Single;
        request.name = parser_.value(nameOption_);
        request.output = parser_.value(outputOption_);
        if (request.output.isEmpty())
            return invalid(QStringLiteral("--output needs a file name"));
    }
    return request;
}

int runPainter(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("painter"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PAINTER_VERSION));

    // Which application object to create depends on the arguments: the window
    // needs a display, everything else runs without one.
    const bool window = CommandLine().parse(rawArguments(argc, argv)).needsWindow();
    std::unique_ptr<QCoreApplication> app;
    if (window) {
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        // Text is still rendered onto the picture, which needs a GUI
        // application, but not a screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }

    // Parsed again from the application's own list: Qt has taken its options
    // out, and on some systems only it knows the arguments' exact characters.
    CommandLine commandLine;
    const CommandLineRequest request = commandLine.parse(QCoreApplication::arguments());
    switch (request.kind) {
    case CommandLineRequest::Kind::Help:
        out() << commandLine.helpText();
        out().flush();
        return kExitOk;
    case CommandLineRequest::Kind::Version:
        out() << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << Qt::endl;
        return kExitOk;
    case CommandLineRequest::Kind::Invalid:
        err() << QCoreApplication::applicationName() << ": " << request.error << Qt::endl
              << "Try '" << QCoreApplication::applicationName() << " --help'." << Qt::endl;
        return kExitUsage;
    case CommandLineRequest::Kind::Single:
        return runSingle(request);
    case CommandLineRequest::Kind::Window:
        if (auto* widgets = qobject_cast<QApplication*>(app.get()))
            return runWindow(request, *widgets);
        break;
    }
    return kExitFailure;
}

}  // namespace painter
