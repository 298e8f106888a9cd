#include "web/web_routes.h"

#include "params/name_entry.h"
#include "params/name_text.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace painter {

namespace {

const QByteArray kImmutable = "public, max-age=31536000, immutable";
const QByteArray kJson = "application/json; charset=utf-8";

struct PageFile {
    const char* path;
    const char* resource;
    const char* contentType;
};

// The page and everything it loads come from the program's resources.
const PageFile kPageFiles[] = {
    {"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/page.css", ":/web/page.css", "text/css; charset=utf-8"},
    {"/page.js", ":/web/page.js", "text/javascript; charset=utf-8"},
};

// The one value of a query field: absent, given once, or refused when repeated.
struct Field {
    bool present = false;
    QByteArray value;
    bool repeated = false;
};

Field queryField(const HeaderList& query, const QByteArray& key) {
    Field f;
    for (const auto& [k, v] : query) {
        if (k != key) continue;
        f.repeated = f.present;
        f.present = true;
        f.value = v;
    }
    return f;
}

// The accepted name of the query, or the response that refuses it.
std::variant<QString, WebResponse> acceptedName(const HeaderList& query) {
    const Field name = queryField(query, "name");
    if (!name.present) return errorResponse(400, QStringLiteral("the query needs name=..."));
    if (name.repeated) return errorResponse(400, QStringLiteral("name is given more than once"));
    const std::optional<QString> text = strictUtf8(name.value);
    if (!text) return errorResponse(400, QString::fromLatin1(kNotValidUtf8));
    if (const auto why = nameRejection(*text)) return errorResponse(400, *why);
    return *text;
}

WebResponse busy() {
    WebResponse r = errorResponse(503, QStringLiteral("every painter is busy; try again in a second"));
    r.headers.push_back({"Retry-After", "1"});
    return r;
}

WebResponse cacheable(const QByteArray& tag, const QByteArray& ifNoneMatch) {
    WebResponse r;
    r.headers.push_back({"ETag", tag});
    r.headers.push_back({"Cache-Control", kImmutable});
    if (tagMatches(ifNoneMatch, tag)) r.status = 304;
    return r;
}

WebResponse picture(const WebRequest& request, const PaintServices& paint) {
    auto name = acceptedName(request.query);
    if (auto* refused = std::get_if<WebResponse>(&name)) return *refused;
    const Field formatField = queryField(request.query, "format");
    if (formatField.repeated) return errorResponse(400, QStringLiteral("format is given more than once"));
    const QString format =
        formatField.present ? QString::fromLatin1(formatField.value).toLower() : QStringLiteral("png");
    if (const auto problem = webFormatProblem(format)) return errorResponse(problem->status, problem->reason);

    WebResponse r = cacheable(entityTag(std::get<QString>(name), format), request.ifNoneMatch);
    if (r.status == 304) return r;
    const std::optional<EncodedPicture> bytes = paint.picture(std::get<QString>(name), format);
    if (!bytes) return busy();
    if (bytes->problem)
        return errorResponse(500, QStringLiteral("the picture could not be encoded: %1").arg(*bytes->problem));
    r.contentType = bytes->contentType;
    r.body = bytes->bytes;
    return r;
}

WebResponse describe(const WebRequest& request, const PaintServices& paint) {
    auto name = acceptedName(request.query);
    if (auto* refused = std::get_if<WebResponse>(&name)) return *refused;
    WebResponse r = cacheable(entityTag(std::get<QString>(name), QStringLiteral("json")), request.ifNoneMatch);
    if (r.status == 304) return r;
    const std::optional<QByteArray> json = paint.describe(std::get<QString>(name));
    if (!json) return busy();
    r.contentType = kJson;
    r.body = *json;
    return r;
}

WebResponse pageFile(const PageFile& file) {
    QFile resource(QString::fromLatin1(file.resource));
    if (!resource.open(QIODevice::ReadOnly)) return errorResponse(500, QStringLiteral("the page is missing"));
    WebResponse r;
    r.contentType = file.contentType;
    r.body = resource.readAll();
    // Nothing from other sites, and no inline script.
    r.headers.push_back({"Content-Security-Policy", "default-src 'self'; img-src 'self' blob:"});
    r.headers.push_back({"Cache-Control", "no-cache"});
    return r;
}

}  // namespace

WebResponse errorResponse(int status, const QString& reason) {
    WebResponse r;
    r.status = status;
    r.contentType = kJson;
    r.body = QJsonDocument(QJsonObject{{"error", reason}}).toJson(QJsonDocument::Compact) + '\n';
    return r;
}

QByteArray entityTag(const QString& name, const QString& format) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayLiteral(PAINTER_VERSION "\n"));
    hash.addData(format.toUtf8() + '\n');
    hash.addData(name.toUtf8());
    return '"' + QByteArrayLiteral(PAINTER_VERSION) + '-' + hash.result().toHex().left(24) + '"';
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

WebResponse answerRequest(const WebRequest& request, const PaintServices& paint) {
    if (request.headerFields > kMaxHeaderFields)
        return errorResponse(431, QStringLiteral("more than %1 header fields").arg(kMaxHeaderFields));

    std::function<WebResponse()> handler;
    if (request.path == "/picture") {
        handler = [&] { return picture(request, paint); };
    } else if (request.path == "/describe") {
        handler = [&] { return describe(request, paint); };
    } else {
        for (const PageFile& file : kPageFiles)
            if (request.path == file.path) handler = [&file] { return pageFile(file); };
    }
    if (!handler) return errorResponse(404, QStringLiteral("no such page"));
    if (request.method != "GET" && request.method != "HEAD") {
        WebResponse r = errorResponse(405, QStringLiteral("only GET and HEAD"));
        r.headers.push_back({"Allow", "GET, HEAD"});
        r.closeConnection = true;  // a body may follow that nobody reads
        return r;
    }
    return handler();
}

}  // namespace painter
