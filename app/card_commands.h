#pragma once
// A list's printable outputs made whole in one go: one PDF of every card, a
// contact sheet, and with them the pictures in --output-dir.

#include "app/command_line.h"
#include "session/batch.h"

namespace painter {

// --names with --output x.pdf or --sheet, over the list's plan, whose
// refusals are reported and whose outputs are checked already; `listName`
// names the list in messages. Returns the exit status.
int runCardBatch(const CommandLineRequest& request, const BatchPlan& plan, const QString& listName);

}  // namespace painter
