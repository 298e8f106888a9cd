#pragma once
// `painter --serve`: the web service on a socket.

#include "platform/problem.h"

#include <QString>

namespace painter {

struct ServeAddress {
    QString host = QStringLiteral("127.0.0.1");
    int port = 8080;  // 0: any free port, printed at start
};

struct ParsedAddress {
    ServeAddress address;
    Problem problem;  // why the text is no address, in English
};

// "[HOST:]PORT", with "[::1]:8080" for IPv6; anything else is a problem.
ParsedAddress parseServeAddress(const QString& text);

struct WebServerOptions {
    ServeAddress address;
    int workers = 0;     // painting threads; 0: one per core
    int queue = 64;      // pictures that may wait for a painting thread
    bool quiet = false;  // no line per request
};

// Serves until SIGTERM or SIGINT, then finishes the requests in hand.
// Returns the exit status: 0 after a clean stop, 1 when the address cannot
// be bound.
int runWebServer(const WebServerOptions& options);

}  // namespace painter
