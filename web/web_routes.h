#pragma once
// What the web service answers to one request, without sockets: the routes,
// the checks on the query, the cache headers, ranges. An answer that needs a
// painting thread comes back as a Paintable, so the answers can be tried
// without painting on threads; the server paints it, caches it and finishes it.

#include "web/picture_formats.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace painter {

using HeaderList = std::vector<std::pair<QByteArray, QByteArray>>;

// What the service has done so far, for /health.
struct ServiceCounts {
    long long painted = 0;      // answers made on a painting thread
    long long kept = 0;         // answers in the cache now
    long long keptBytes = 0;
};

struct WebRequest {
    ServiceCounts counts;
    QByteArray method;
    QByteArray target;  // as sent: the path and the query, still encoded
    QByteArray ifNoneMatch;
    QByteArray range;
    QByteArray ifRange;
};

struct WebResponse {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    HeaderList headers;
    bool closeConnection = false;  // unread request data may follow
};

// An answer made on a painting thread: `paint` runs there, its result is kept
// under `key`, and `respond` makes the answer from it (also from a kept one).
struct Paintable {
    std::string key;  // what decides the bytes, the program's version included
    std::function<EncodedPicture()> paint;
    std::function<WebResponse(const EncodedPicture&)> respond;
};

using RouteAnswer = std::variant<WebResponse, Paintable>;

RouteAnswer answerRequest(const WebRequest& request);

// A JSON body {"error": reason, "code": code} with the status. The code is
// stable for programs (and the page) to act on; the reason is for people.
WebResponse errorResponse(int status, const QByteArray& code, const QString& reason);

// 503: every painting thread is busy and the queue is full.
WebResponse busyResponse();

// The entity tag of an answer: made from its cache key.
QByteArray entityTag(const std::string& key);

// Whether an If-None-Match header value names `tag` (or is "*"); weak tags
// compare by their value.
bool tagMatches(const QByteArray& ifNoneMatch, const QByteArray& tag);

// The answer cut to the one byte range a Range header asks for: 206 with
// Content-Range, 416 when it lies beyond the body, or the whole answer when
// the header is not one range of bytes or If-Range names another version.
// Only 200 answers are cut.
void applyRange(WebResponse& response, const QByteArray& range, const QByteArray& ifRange, const QByteArray& tag);

// The target split into its decoded path and query fields; empty when the
// target is not a path or its %-escapes are broken.
struct Target {
    QByteArray path;
    HeaderList query;
};
std::optional<Target> parseTarget(const QByteArray& target);

}  // namespace painter
