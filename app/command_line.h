#pragma once
// The program's command line. Without options it opens the window; options
// select other ways of running it (one picture without a window, ...).
//
// Adding a way of running: declare its options in CommandLine's constructor,
// give it a Kind and the fields it needs in CommandLineRequest, recognise it
// in CommandLine::parse, and run it from runPainter in command_line.cpp.

#include "output/card_layout.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace painter {

// Exit statuses of the program.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,  // the work could not be done (a file could not be written)
    kExitUsage = 2,    // the arguments ask for something impossible (a rejected name)
};

struct CommandLineRequest {
    enum class Kind {
        Window,   // the interactive window
        Single,   // one picture for --name, written to --output (or the save folder), no window
        Batch,    // one picture per line of --names, into --output-dir, no window
        Describe, // what --name decides, as JSON, no window
        Help,
        Version,
        Invalid,  // `error` says why
    };

    Kind kind = Kind::Window;
    QString folder;  // where pictures are saved; also created at start-up
    QString name;    // Single
    QString output;  // Single: the file; empty: the save folder, named as the window names it
    QString namesFile;  // Batch: the list, "-" for standard input
    QString outputDir;  // Batch
    QString format = QStringLiteral("bmp");  // Batch: "bmp" or "png"
    int jobs = 0;       // Batch: workers; 0 = one per core
    // Printable outputs: a .pdf --output (Single: the card; Batch: one
    // document of every card), --format pdf, the contact sheet, enlarging.
    CardLayout layout;  // --page, --cards-per-page
    QString sheet;      // Batch: the contact sheet file
    int scale = 1;      // .bmp/.png pictures: each pixel as a scale x scale block
    QString error;   // Invalid

    // The window needs a display; every other kind runs without one.
    bool needsWindow() const { return kind == Kind::Window; }
};

class CommandLine {
public:
    CommandLine();

    // `arguments` includes the program name first, as QCoreApplication::arguments().
    // Needs no application object, so it can decide which one to create.
    CommandLineRequest parse(const QStringList& arguments);

    QString helpText() const { return parser_.helpText(); }

private:
    // Reads the printing options into `request`; returns why they cannot be
    // used, or nothing.
    QString parsePrintOptions(CommandLineRequest& request) const;

    QCommandLineParser parser_;
    QCommandLineOption helpOption_;
    QCommandLineOption versionOption_;
    QCommandLineOption nameOption_;
    QCommandLineOption outputOption_;
    QCommandLineOption folderOption_;
    QCommandLineOption namesOption_;
    QCommandLineOption outputDirOption_;
    QCommandLineOption formatOption_;
    QCommandLineOption jobsOption_;
    QCommandLineOption describeOption_;
    QCommandLineOption pageOption_;
    QCommandLineOption cardsPerPageOption_;
    QCommandLineOption sheetOption_;
    QCommandLineOption scaleOption_;
};

// Runs the program as its arguments ask and returns the exit status.
int runPainter(int argc, char** argv);

}  // namespace painter
