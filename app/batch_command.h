#pragma once
// --names on the command line: reading the list, reporting refusals before
// painting, progress, Ctrl-C and SIGTERM, the summary and the manifest.

#include "app/command_line.h"
#include "session/batch_manifest.h"

namespace painter {

// `inputClosed`: standard input was closed when the program started.
int runBatchCommand(const CommandLineRequest& request, bool inputClosed);

// The last line of a list's run: "painted 3 of 5 names into d; 2 could not be
// written", begun with "stopped by Ctrl-C: " after a stop signal.
struct ListSummary {
    int painted = 0;
    int total = 0;
    int kept = 0;
    int failed = 0;
    QString into;  // the pictures' folder, if any
};
void reportSummary(const ListSummary& summary);

// 128 + the stop signal received, 0 while none.
int stoppedStatus();

// How many refusals or warnings are printed before "… and N more".
inline constexpr int kReportedLines = 20;

}  // namespace painter
