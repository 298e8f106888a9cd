#pragma once
// --names on the command line: reading the list, reporting refusals before
// painting, progress, Ctrl-C and SIGTERM, the summary and the manifest.

#include "app/command_line.h"
#include "session/batch_manifest.h"

namespace painter {

// `inputClosed`: standard input was closed when the program started.
int runBatchCommand(const CommandLineRequest& request, bool inputClosed);

// How many refusals or warnings are printed before "… and N more".
inline constexpr int kReportedLines = 20;

}  // namespace painter
