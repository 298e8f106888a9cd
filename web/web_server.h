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

// What the operator may set; each has the default that --help shows.
struct WebServerOptions {
    ServeAddress address;
    int workers = 0;            // painting threads; 0: one per core
    int queue = 64;             // pictures that may wait for a painting thread
    int connections = 4096;     // open connections in all
    int perClient = 128;        // open connections from one client address
    int headerTimeout = 10;     // seconds to send a request's line and headers, once begun
    int idleTimeout = 30;       // seconds a connection may wait for a request, or take to read an answer
    int cacheMiB = 64;          // encoded answers kept in memory
    bool quiet = false;         // no line per request
};

// Serves until SIGTERM or SIGINT, then answers every request already received
// in full; a second signal ends it at once. Returns the exit status: 0 after a
// clean stop, 1 when the address cannot be bound.
int runWebServer(const WebServerOptions& options);

}  // namespace painter
