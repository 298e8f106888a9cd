#pragma once
// `painter --serve`: the web service on a socket.

#include <QString>

#include <optional>

namespace painter {

struct ServeAddress {
    QString host = QStringLiteral("127.0.0.1");
    int port = 8080;  // 0: any free port, printed at start
};

// "[HOST:]PORT", with "[::1]:8080" for IPv6; nothing (and a reason in *error)
// for anything else.
std::optional<ServeAddress> parseServeAddress(const QString& text, QString* error);

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
