#pragma once
// The program's command line. Without options it opens the window; options
// select other ways of running it (one picture without a window, a batch, ...).
//
// Adding an option: add one entry to commandLineOptions() in command_line.cpp
// (its names, value, help text, example and the modes it works in); give it a
// field in CommandLineRequest, fill it in CommandLine::parse, and use it where
// the mode runs. Adding a way of running: give it a Kind and a Mode bit.

#include "output/card_layout.h"
#include "output/clip_plan.h"
#include "platform/problem.h"
#include "web/web_server.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <vector>

namespace painter {

// Exit statuses of the program.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,  // the work could not be done (a file could not be written, a line was refused)
    kExitUsage = 2,    // the arguments ask for something impossible (a rejected name, a wrong option)
    // Stopped by a signal: 128 + its number (130 for SIGINT, 143 for SIGTERM).
};

// The ways of running, as bits, so an option can name every mode it works in.
enum Mode : unsigned {
    kWindowMode = 1u << 0,
    kSingleMode = 1u << 1,    // --name: one picture
    kDescribeMode = 1u << 2,  // --name --describe
    kBatchMode = 1u << 3,     // --names: one picture per line
    kCheckMode = 1u << 4,     // --names --check: the lines checked, nothing painted
    kServeMode = 1u << 5,     // --serve: pictures over HTTP
    kHeadlessModes = kSingleMode | kDescribeMode | kBatchMode | kCheckMode | kServeMode,
};

// One option as the program declares it: the single source of --help (and of
// any manual page or shell completion made from it).
struct OptionSpec {
    QStringList names;  // long name first, then a short one ("output", "o")
    QString valueName;  // empty for a flag
    QString help;
    QString example;        // the arguments after "painter", shown in --help
    unsigned modes = 0;     // the modes in which it does something
    bool qtOption = false;  // one of Qt's own window options (-platform, -style, ...), hidden from --help
};

const std::vector<OptionSpec>& commandLineOptions();

struct CommandLineRequest {
    enum class Kind {
        Window,    // the interactive window
        Single,    // one picture for --name, written to --output (or the save folder), no window
        Batch,     // one picture per line of --names, into --output-dir, no window
        Check,     // the lines of --names checked, nothing painted
        Describe,  // what --name decides, as JSON, no window
        Serve,     // the web service on --serve [HOST:]PORT, no window
        Help,
        HelpAll,  // also Qt's window options
        Version,
        Invalid,  // `error` says why
    };

    Kind kind = Kind::Window;
    QString folder;                      // where pictures are saved; also created at start-up
    QString name;                        // Single
    QString output;                      // Single: the file ("-": standard output); empty: the save folder
    QString namesFile;                   // Batch: the list, "-" for standard input
    QString outputDir;                   // Batch
    QString format;                      // "bmp", "png"; empty: from --output's extension, PNG for a batch
    int jobs = 0;                        // Batch: workers; 0 = one per core
    bool quiet = false;                  // Batch: no progress; Serve: no line per request
    bool skipExisting = false;           // Batch
    bool noClobber = false;              // Batch
    QString manifest;                    // Batch: CSV or JSON lines file
    int shardIndex = 0, shardCount = 1;  // Batch, Check
    int year = 2011;                     // the year on the greeting
    // Printable outputs: a .pdf --output (Single: the card; Batch: one
    // document of every card), --format pdf, the contact sheet, enlarging.
    CardLayout layout;  // --page, --cards-per-page
    QString sheet;      // Batch: the contact sheet file
    int scale = 1;      // .bmp/.png pictures: each pixel as a scale x scale block
    QString timelapse;  // Single: the clip's file ("-": standard output); empty: no clip
    ClipFormat clipFormat = ClipFormat::mp4;  // Single, with timelapse
    double seconds = kDefaultClipSeconds;     // a clip's length
    QString error;      // Invalid
    QString serveHost;  // Serve
    int servePort = 8080;
    int queue = 64;  // Serve: pictures that may wait for a painting thread
    WebServerOptions serveLimits;  // Serve: connections, timeouts and cache (the address, jobs and queue above)

    // The window needs a display; every other kind runs without one.
    bool needsWindow() const { return kind == Kind::Window; }
};

class CommandLine {
public:
    CommandLine();

    // `arguments` includes the program name first, as QCoreApplication::arguments().
    // Needs no application object, so it can decide which one to create.
    CommandLineRequest parse(const QStringList& arguments);

    // Made before any application object exists, so the program is named here.
    QString helpText() const {
        return parser_.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("painter"));
    }
    QString helpAllText() const;

private:
    // Reads the printing options into `request`; returns why they cannot be
    // used, or nothing.
    Problem parsePrintOptions(CommandLineRequest& request) const;

    QCommandLineParser parser_;
    QCommandLineOption helpOption_;
    QCommandLineOption versionOption_;
};

// Runs the program as its arguments ask and returns the exit status.
int runPainter(int argc, char** argv);

}  // namespace painter
