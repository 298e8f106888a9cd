#pragma once
// Ctrl-C (SIGINT) and SIGTERM in the headless runs: they only ask the work to
// stop, so a picture in hand is finished and written whole, never cut off in
// the middle of its file; the run then ends with 128 + the signal's number.

#include <atomic>

namespace painter {

// From now on the two signals set stopSignal() instead of ending the program.
void catchStopSignals();

// The signal received, 0 while none.
const std::atomic<int>& stopSignal();

}  // namespace painter
