#include "web/web_routes.h"

#include "params/name_entry.h"
#include "params/name_text.h"
#include "session/batch.h"
#include "session/describe.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>

namespace painter {

namespace {

const QByteArray kImmutable = "public, max-age=31536000, immutable";
const QByteArray kJson = "application/json; charset=utf-8";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// %XX escapes (and '+' for a blank in a query); empty when an escape is broken.
std::optional<QByteArray> percentDecoded(const QByteArray& text, bool plusIsBlank) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (c == '%') {
            if (k + 2 >= text.size()) return std::nullopt;
            const int hi = hexValue(text[k + 1]), lo = hexValue(text[k + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            k += 2;
        } else {
            out += plusIsBlank && c == '+' ? ' ' : c;
        }
    }
    return out;
}

// The query's fields as one route takes them: each known field at most once,
// no field the route does not know.
struct Fields {
    std::vector<std::pair<QByteArray, QByteArray>> given;
    std::optional<QByteArray> value(const char* key) const {
        for (const auto& [k, v] : given)
            if (k == key) return v;
        return std::nullopt;
    }
};

std::variant<Fields, WebResponse> takeFields(const HeaderList& query, std::initializer_list<const char*> known) {
    Fields fields;
    for (const auto& [key, value] : query) {
        if (std::find(known.begin(), known.end(), key) == known.end()) {
            QStringList names;
            for (const char* k : known) names << QString::fromLatin1(k);
            return errorResponse(400, "unknown-field",
                                 QStringLiteral("unknown field '%1': this address takes %2")
                                     .arg(QString::fromUtf8(key.left(40)), names.join(QStringLiteral(", "))));
        }
        if (fields.value(key.constData()))
            return errorResponse(400, "repeated-field",
                                 QStringLiteral("%1 is given more than once").arg(QString::fromLatin1(key)));
        fields.given.push_back({key, value});
    }
    return fields;
}

// The accepted name of the query, or the response that refuses it.
std::variant<QString, WebResponse> acceptedName(const Fields& fields) {
    const std::optional<QByteArray> name = fields.value("name");
    if (!name) return errorResponse(400, "name-missing", QStringLiteral("the query needs name=..."));
    const std::optional<QString> text = strictUtf8(*name);
    if (!text) return errorResponse(400, "name-not-utf8", QString::fromLatin1(kNotValidUtf8));
    const Problem why = nameRejection(*text);
    if (!why) return *text;
    const QList<uint> codes = text->toUcs4();
    if (text->size() > 2 * kMaxNameLength || codes.size() > kMaxNameLength)
        return errorResponse(400, "name-too-long", *why);
    WebResponse refused = errorResponse(400, "name-character", *why);
    // Where the refused character stands, for the page to say it in its own words.
    for (qsizetype k = 0; k < codes.size(); ++k) {
        const char32_t c = codes[k];
        if (c == U' ' || (c >= U'a' && c <= U'z')) continue;
        QJsonObject body = QJsonDocument::fromJson(refused.body).object();
        body.insert(QStringLiteral("position"), static_cast<int>(k + 1));
        body.insert(QStringLiteral("character"), QString::fromUcs4(&c, 1));
        refused.body = QJsonDocument(body).toJson(QJsonDocument::Compact) + '\n';
        break;
    }
    return refused;
}

// A whole number of at most four digits from `low` to `high`, as the command line takes it.
std::optional<int> boundedNumber(const QByteArray& text, int low, int high) {
    if (text.isEmpty() || text.size() > 4) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    const int n = text.toInt();
    if (n < low || n > high) return std::nullopt;
    return n;
}

WebResponse cacheable(const QByteArray& tag) {
    WebResponse r;
    r.headers.push_back({"ETag", tag});
    r.headers.push_back({"Cache-Control", kImmutable});
    // Pictures and descriptions are public: any page may show them.
    r.headers.push_back({"Access-Control-Allow-Origin", "*"});
    return r;
}

// A Paintable whose answer is 304 when the client has it already.
RouteAnswer paintedOr304(const WebRequest& request, Paintable job, bool ranges, QByteArray disposition) {
    const QByteArray tag = entityTag(job.key);
    if (tagMatches(request.ifNoneMatch, tag)) {
        WebResponse r = cacheable(tag);
        r.status = 304;
        return r;
    }
    job.respond = [tag, ranges, disposition, range = request.range,
                   ifRange = request.ifRange](const EncodedPicture& encoded) {
        if (encoded.problem || encoded.bytes.isEmpty())
            return errorResponse(500, "encoding-failed",
                                 QStringLiteral("the answer could not be made: %1").arg(encoded.problem.value_or(QStringLiteral("empty"))));
        WebResponse r = cacheable(tag);
        r.contentType = encoded.contentType;
        r.body = encoded.bytes;
        if (!disposition.isEmpty()) r.headers.push_back({"Content-Disposition", disposition});
        if (ranges) {
            r.headers.push_back({"Accept-Ranges", "bytes"});
            applyRange(r, range, ifRange, tag);
        }
        return r;
    };
    return job;
}

RouteAnswer picture(const WebRequest& request, const HeaderList& query) {
    auto taken = takeFields(query, {"name", "format", "year", "scale"});
    if (auto* refused = std::get_if<WebResponse>(&taken)) return *refused;
    const Fields& fields = std::get<Fields>(taken);
    auto name = acceptedName(fields);
    if (auto* refused = std::get_if<WebResponse>(&name)) return *refused;

    PictureAsked asked;
    asked.name = std::get<QString>(name);
    if (const auto format = fields.value("format")) asked.format = QString::fromLatin1(*format).toLower();
    if (const auto problem = webFormatProblem(asked.format)) return errorResponse(problem->status, "format-unknown", problem->reason);
    if (const auto year = fields.value("year")) {
        const std::optional<int> n = boundedNumber(*year, 1, 9999);
        if (!n) return errorResponse(400, "year-invalid", QStringLiteral("year is a year from 1 to 9999"));
        asked.year = *n;
    }
    if (const auto scale = fields.value("scale")) {
        if (asked.format == QLatin1String("pdf"))
            return errorResponse(400, "scale-with-pdf", QStringLiteral("scale goes with png or bmp pictures"));
        const std::optional<int> n = boundedNumber(*scale, 1, 8);
        if (!n) return errorResponse(400, "scale-invalid", QStringLiteral("scale is a whole number from 1 to 8"));
        asked.scale = *n;
    }

    Paintable job;
    job.key = QStringLiteral("picture\n%1\n%2\n%3\n%4\n%5")
                  .arg(QStringLiteral(PAINTER_VERSION), asked.format)
                  .arg(asked.year)
                  .arg(asked.scale)
                  .arg(asked.name)
                  .toStdString();
    job.paint = [asked] { return paintForWeb(asked); };
    // The file name a download gets: the batch's, so it never begins with "-".
    const QString file = PictureFileNames().next(asked.name, asked.format);
    return paintedOr304(request, std::move(job), true, "inline; filename=\"" + file.toLatin1() + '"');
}

RouteAnswer describe(const WebRequest& request, const HeaderList& query) {
    auto taken = takeFields(query, {"name"});
    if (auto* refused = std::get_if<WebResponse>(&taken)) return *refused;
    auto name = acceptedName(std::get<Fields>(taken));
    if (auto* refused = std::get_if<WebResponse>(&name)) return *refused;
    const QString accepted = std::get<QString>(name);
    Paintable job;
    job.key = QStringLiteral("describe\n%1\n%2").arg(QStringLiteral(PAINTER_VERSION), accepted).toStdString();
    job.paint = [accepted] {
        return EncodedPicture{QJsonDocument(describeName(accepted)).toJson(QJsonDocument::Indented), kJson, {}};
    };
    return paintedOr304(request, std::move(job), false, {});
}

RouteAnswer pageFile(const char* resource, const char* contentType) {
    QFile file(QString::fromLatin1(resource));
    if (!file.open(QIODevice::ReadOnly)) return errorResponse(500, "page-missing", QStringLiteral("the page is missing"));
    WebResponse r;
    r.contentType = contentType;
    r.body = file.readAll();
    // Nothing from other sites, and no inline script.
    r.headers.push_back({"Content-Security-Policy", "default-src 'self'; img-src 'self' blob:"});
    r.headers.push_back({"Cache-Control", "no-cache"});
    return r;
}

RouteAnswer health(const WebRequest& request, const HeaderList&) {
    WebResponse r;
    r.contentType = kJson;
    r.body = QJsonDocument(QJsonObject{{"status", "ok"},
                                       {"painted", request.counts.painted},
                                       {"kept", request.counts.kept},
                                       {"keptBytes", request.counts.keptBytes}})
                 .toJson(QJsonDocument::Compact) +
             '\n';
    r.headers.push_back({"Cache-Control", "no-store"});
    return r;
}

struct Route {
    const char* path;
    RouteAnswer (*answer)(const WebRequest&, const HeaderList& query);
};

// Every address the service answers; a new one is one more row.
const std::array kRoutes = {
    Route{"/", [](const WebRequest&, const HeaderList&) { return pageFile(":/web/index.html", "text/html; charset=utf-8"); }},
    Route{"/page.css", [](const WebRequest&, const HeaderList&) { return pageFile(":/web/page.css", "text/css; charset=utf-8"); }},
    Route{"/page.js",
          [](const WebRequest&, const HeaderList&) { return pageFile(":/web/page.js", "text/javascript; charset=utf-8"); }},
    Route{"/favicon.ico", [](const WebRequest&, const HeaderList&) { return pageFile(":/web/favicon.svg", "image/svg+xml"); }},
    Route{"/favicon.svg", [](const WebRequest&, const HeaderList&) { return pageFile(":/web/favicon.svg", "image/svg+xml"); }},
    Route{"/health", health},
    Route{"/picture", picture},
    Route{"/describe", describe},
};

// The methods of HTTP; any other is not implemented (501), these are not allowed (405).
bool knownMethod(const QByteArray& method) {
    for (const char* m : {"GET", "HEAD", "POST", "PUT", "DELETE", "CONNECT", "OPTIONS", "TRACE", "PATCH"})
        if (method == m) return true;
    return false;
}

}  // namespace

WebResponse errorResponse(int status, const QByteArray& code, const QString& reason) {
    WebResponse r;
    r.status = status;
    r.contentType = kJson;
    r.body = QJsonDocument(QJsonObject{{"error", reason}, {"code", QString::fromLatin1(code)}})
                 .toJson(QJsonDocument::Compact) +
             '\n';
    return r;
}

WebResponse busyResponse() {
    WebResponse r = errorResponse(503, "busy", QStringLiteral("every painter is busy; try again in a second"));
    r.headers.push_back({"Retry-After", "1"});
    return r;
}

QByteArray entityTag(const std::string& key) {
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(key), QCryptographicHash::Sha256).toHex().left(24);
    return '"' + QByteArrayLiteral(PAINTER_VERSION) + '-' + hash + '"';
}

bool tagMatches(const QByteArray& ifNoneMatch, const QByteArray& tag) {
    for (QByteArray candidate : ifNoneMatch.split(',')) {
        candidate = candidate.trimmed();
        if (candidate == "*") return true;
        if (candidate.startsWith("W/")) candidate = candidate.mid(2);
        if (candidate == tag) return true;
    }
    return false;
}

void applyRange(WebResponse& response, const QByteArray& range, const QByteArray& ifRange, const QByteArray& tag) {
    if (response.status != 200 || range.isEmpty()) return;
    // If-Range compares strongly: a weak tag or a date never matches ours.
    if (!ifRange.isEmpty() && ifRange.trimmed() != tag) return;
    const QByteArray header = range.trimmed();
    if (!header.startsWith("bytes=")) return;
    const QByteArray set = header.mid(6).trimmed();
    if (set.contains(',')) return;  // several ranges: the whole answer
    const qsizetype dash = set.indexOf('-');
    if (dash < 0) return;
    const QByteArray first = set.left(dash).trimmed(), last = set.mid(dash + 1).trimmed();
    const auto digits = [](const QByteArray& t) {
        if (t.isEmpty() || t.size() > 18) return false;
        for (char c : t)
            if (c < '0' || c > '9') return false;
        return true;
    };
    const qint64 length = response.body.size();
    qint64 from, to;
    if (first.isEmpty()) {  // the last N bytes
        if (!digits(last)) return;
        const qint64 n = last.toLongLong();
        if (n == 0) from = length, to = length - 1;
        else from = std::max<qint64>(0, length - n), to = length - 1;
    } else {
        if (!digits(first) || (!last.isEmpty() && !digits(last))) return;
        from = first.toLongLong();
        to = last.isEmpty() ? length - 1 : std::min(last.toLongLong(), length - 1);
        if (!last.isEmpty() && last.toLongLong() < from) return;  // not a range at all: ignored
    }
    if (from >= length || from > to) {
        const HeaderList kept = response.headers;
        response = errorResponse(416, "range-not-satisfiable", QStringLiteral("the range lies beyond the answer"));
        for (const auto& h : kept)
            if (h.first != "Cache-Control") response.headers.push_back(h);
        response.headers.push_back({"Content-Range", "bytes */" + QByteArray::number(length)});
        return;
    }
    response.status = 206;
    response.body = response.body.mid(from, to - from + 1);
    response.headers.push_back({"Content-Range", "bytes " + QByteArray::number(from) + '-' + QByteArray::number(to) +
                                                     '/' + QByteArray::number(length)});
}

std::optional<Target> parseTarget(const QByteArray& target) {
    if (!target.startsWith('/')) return std::nullopt;
    const qsizetype mark = target.indexOf('?');
    Target t;
    const auto path = percentDecoded(mark < 0 ? target : target.left(mark), false);
    if (!path) return std::nullopt;
    t.path = *path;
    if (mark < 0) return t;
    for (const QByteArray& pair : target.mid(mark + 1).split('&')) {
        if (pair.isEmpty()) continue;
        const qsizetype eq = pair.indexOf('=');
        const auto key = percentDecoded(eq < 0 ? pair : pair.left(eq), true);
        const auto value = percentDecoded(eq < 0 ? QByteArray() : pair.mid(eq + 1), true);
        if (!key || !value) return std::nullopt;
        t.query.push_back({*key, *value});
    }
    return t;
}

RouteAnswer answerRequest(const WebRequest& request) {
    if (!knownMethod(request.method)) {
        WebResponse r = errorResponse(501, "method-not-implemented", QStringLiteral("only GET and HEAD"));
        r.closeConnection = true;  // whatever body it has is unknown
        return r;
    }
    const std::optional<Target> target = parseTarget(request.target);
    if (!target) return errorResponse(400, "malformed-target", QStringLiteral("the address is malformed"));
    const Route* route = nullptr;
    for (const Route& r : kRoutes)
        if (target->path == r.path) route = &r;
    if (!route) return errorResponse(404, "not-found", QStringLiteral("no such page"));
    if (request.method != "GET" && request.method != "HEAD") {
        WebResponse r = errorResponse(405, "method-not-allowed", QStringLiteral("only GET and HEAD"));
        r.headers.push_back({"Allow", "GET, HEAD"});
        r.closeConnection = true;  // a body may follow that nobody reads
        return r;
    }
    return route->answer(request, target->query);
}

}  // namespace painter
