#pragma once
// What the web service answers to one request, without sockets: the paths,
// the checks on the name and the format, the cache headers. Painting is
// passed in, so the answers can be tried without painting on threads.

#include "web/picture_formats.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace painter {

using HeaderList = std::vector<std::pair<QByteArray, QByteArray>>;

// More header fields than this in one request are refused (431).
inline constexpr int kMaxHeaderFields = 100;

struct WebRequest {
    QByteArray method;
    QByteArray path;   // decoded, without the query
    HeaderList query;  // decoded names and values, in order, as bytes
    QByteArray ifNoneMatch;
    int headerFields = 0;
};

struct WebResponse {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    HeaderList headers;
    bool closeConnection = false;  // unread request data may follow
};

struct PaintServices {
    // The picture of an acceptable name; empty when every worker is busy and
    // the queue is full.
    std::function<std::optional<EncodedPicture>(const QString& name, const QString& format)> picture;
    // The name's --describe JSON; empty when busy.
    std::function<std::optional<QByteArray>(const QString& name)> describe;
};

WebResponse answerRequest(const WebRequest& request, const PaintServices& paint);

// A JSON body {"error": reason} with the status.
WebResponse errorResponse(int status, const QString& reason);

// The entity tag of a name's picture in a format: made from the program's
// version, the name and the format, so it changes when either does.
QByteArray entityTag(const QString& name, const QString& format);

// Whether an If-None-Match header value names `tag` (or is "*"); weak tags
// compare by their value.
bool tagMatches(const QByteArray& ifNoneMatch, const QByteArray& tag);

}  // namespace painter
