#pragma once
// The command line's printable outputs: a card as PDF, an enlarged picture,
// one PDF of every card of a list, one PDF per name, a contact sheet.

#include "app/command_line.h"

namespace painter {

// Whether the request asks for one of these outputs (else the plain picture
// runs handle it).
bool wantsCardOutput(const CommandLineRequest& request);

// --name with --output x.pdf or --scale; returns the exit status.
int runCardSingle(const CommandLineRequest& request);

// --names with --output x.pdf, --sheet or --format pdf; returns the exit status.
int runCardBatch(const CommandLineRequest& request);

}  // namespace painter
