#include "app/stop_signals.h"

#include <csignal>

namespace painter {

namespace {

std::atomic<int> received{0};

extern "C" void onStopSignal(int signal) { received = signal; }

}  // namespace

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

const std::atomic<int>& stopSignal() { return received; }

}  // namespace painter
