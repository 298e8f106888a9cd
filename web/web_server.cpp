#include "web/web_server.h"

#include "platform/surface_text.h"
#include "web/access_log.h"
#include "web/answer_cache.h"
#include "web/web_routes.h"
#include "web/worker_pool.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include <QThread>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>

namespace painter {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Steady = std::chrono::steady_clock;

// What one request may cost before it is read.
constexpr std::size_t kHeaderBudget = 64 * 1024;  // its line and headers in all
constexpr std::size_t kLineLimit = 8 * 1024;      // its request line, and each header line
constexpr std::size_t kMaxHeaderFields = 100;
constexpr std::uint64_t kBodyLimit = 64 * 1024;  // a body is read and dropped; no route takes one
constexpr int kRequestsPerConnection = 1000;
// A connection that has sent nothing yet when the service stops gets this long to send its request.
constexpr auto kStopGrace = std::chrono::seconds(1);

using Body = http::span_body<const char>;
using Parser = http::request_parser<http::string_body>;

// The Date header, made once a second.
const std::string& httpDate() {
    static thread_local std::time_t made = 0;
    static thread_local std::string text;
    const std::time_t now = std::time(nullptr);
    if (now != made) {
        made = now;
        std::tm utc{};
        gmtime_r(&now, &utc);
        char buffer[64];
        std::strftime(buffer, sizeof buffer, "%a, %d %b %Y %H:%M:%S GMT", &utc);
        text = buffer;
    }
    return text;
}

class Server;

// A picture or description being painted, and the connections waiting for it.
struct Flight {
    std::atomic<int> wanting{0};  // connections still waiting: none, and the painting is dropped
};

// One client's connection: a socket, a buffer, one timer, and no thread.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(Server& server, tcp::socket socket, asio::ip::address client);
    ~Connection();
    void start() { awaitRequest(); }
    void stop();  // the service stops: close when no request is in hand
    // The painting this connection waits for is done (null: it could not be painted).
    void painted(const SharedAnswer& answer);
    bool waitingFor(const Flight* flight) const { return state_ == State::Painting && flight_.get() == flight; }
    void waitFor(std::shared_ptr<Flight> flight) { flight_ = std::move(flight); }

private:
    enum class State { Idle, Reading, Painting, Writing, Closing };

    void deadline(Steady::duration after);
    void awaitRequest();
    void readHeader();
    void onHeader(beast::error_code ec);
    void readBody();
    void handle();
    void watchForLeaving();
    void send(WebResponse response);
    void refuse(int status, const QByteArray& code, const QString& reason);
    void closeGently();
    void close();
    std::string clientText() const { return client_.to_string(); }

    Server& server_;
    tcp::socket socket_;
    asio::ip::address client_;
    asio::steady_timer timer_;
    beast::flat_buffer buffer_{kHeaderBudget + 16 * 1024};
    std::optional<Parser> parser_;
    State state_ = State::Idle;
    int served_ = 0;
    Steady::time_point started_;
    std::string method_, path_;
    bool head_ = false, keepAlive_ = true;
    unsigned version_ = 11;
    std::shared_ptr<Flight> flight_;
    std::function<WebResponse(const EncodedPicture&)> respond_;
    QByteArray sending_;
    std::optional<http::response<Body>> response_;
    char sink_[4096];
};

class Server {
public:
    Server(const WebServerOptions& options, int workers)
        : options(options), log(options.quiet), pool_(workers, options.queue),
          cache_(static_cast<std::size_t>(options.cacheMiB) * 1024 * 1024) {}

    asio::io_context io{1};
    const WebServerOptions options;
    AccessLog log;
    bool stopping = false;

    bool listen(const tcp::endpoint& at, beast::error_code& ec) {
        acceptor_.open(at.protocol(), ec);
        if (ec) return false;
        // Address reuse for a quick restart, but no port sharing: a second
        // server on a busy port fails instead of taking half the requests.
        acceptor_.set_option(asio::socket_base::reuse_address(true), ec);
        acceptor_.bind(at, ec);
        if (ec) return false;
        acceptor_.listen(asio::socket_base::max_listen_connections, ec);
        return !ec;
    }
    int port() const { return acceptor_.local_endpoint().port(); }

    void accept() {
        acceptor_.async_accept([this](beast::error_code ec, tcp::socket socket) {
            if (stopping || !acceptor_.is_open()) return;
            if (ec) {
                // Out of file descriptors, most likely: wait a moment instead of spinning.
                log.event("accept failed", "-", ec.message());
                retry_.expires_after(std::chrono::milliseconds(100));
                retry_.async_wait([this](beast::error_code e) {
                    if (!e) accept();
                });
                return;
            }
            admit(std::move(socket));
            accept();
        });
    }

    // The first signal: take what is queued to be accepted, close the door,
    // let every connection finish the request in hand. The second: end now.
    void awaitSignals() {
        signals_.async_wait([this](beast::error_code ec, int signal) {
            if (ec) return;
            if (stopping) std::_Exit(128 + signal);
            stopping = true;
            log.note("stopping: answering the requests in hand");
            beast::error_code ignored;
            acceptor_.non_blocking(true, ignored);
            for (;;) {
                tcp::socket socket(io);
                acceptor_.accept(socket, ignored);
                if (ignored) break;
                admit(std::move(socket));
            }
            acceptor_.close(ignored);
            for (const auto& weak : std::vector(connections_.begin(), connections_.end()))
                if (auto c = weak.lock()) c->stop();
            awaitSignals();
            stopWhenDone();
        });
    }

    void opened(const asio::ip::address& client) {
        ++perAddress_[client];
        ++open_;
    }
    void closed(const asio::ip::address& client) {
        if (--perAddress_[client] == 0) perAddress_.erase(client);
        --open_;
        stopWhenDone();
    }
    void track(const std::shared_ptr<Connection>& c) { connections_.insert(c); }
    void forget(const std::weak_ptr<Connection>& c) { connections_.erase(c); }

    // The answer of `job`: from memory, or painted for this connection and every other that asks meanwhile.
    // Empty when the painting threads are busy and the queue is full.
    std::variant<SharedAnswer, std::shared_ptr<Flight>, std::monostate> paint(const Paintable& job,
                                                                             const std::shared_ptr<Connection>& c) {
        if (SharedAnswer kept = cache_.find(job.key)) return kept;
        if (const auto in = flights_.find(job.key); in != flights_.end()) {
            in->second.waiters.push_back(c);
            ++in->second.flight->wanting;
            return in->second.flight;
        }
        auto flight = std::make_shared<Flight>();
        flight->wanting = 1;
        if (!submit(job.key, job.paint, flight)) return std::monostate{};
        flights_.emplace(job.key, Waiting{flight, job.paint, {c}});
        return flight;
    }

    ServiceCounts counts() const {
        return {painted_.load(), static_cast<long long>(cache_.count()), static_cast<long long>(cache_.bytes())};
    }

private:
    struct Waiting {
        std::shared_ptr<Flight> flight;
        std::function<EncodedPicture()> paint;
        std::vector<std::weak_ptr<Connection>> waiters;
    };

    bool submit(const std::string& key, const std::function<EncodedPicture()>& paint,
                const std::shared_ptr<Flight>& flight) {
        return pool_.tryPost([this, key, paint, flight] {
            SharedAnswer answer;
            if (flight->wanting > 0) {
                answer = std::make_shared<const EncodedPicture>(paint());
                ++painted_;
            }
            asio::post(io, [this, key, flight, answer] { finished(key, flight, answer); });
        });
    }

    void finished(const std::string& key, const std::shared_ptr<Flight>& flight, const SharedAnswer& answer) {
        const auto in = flights_.find(key);
        if (in == flights_.end() || in->second.flight != flight) return;
        Waiting waiting = std::move(in->second);
        flights_.erase(in);
        if (answer && !answer->bytes.isEmpty()) cache_.insert(key, answer);
        if (!answer) log.note("not painted: every client that asked for it has left");
        if (!answer && waiting.flight->wanting > 0) {
            // Dropped for clients that had left, and asked again meanwhile: paint it after all.
            auto again = std::make_shared<Flight>();
            std::vector<std::weak_ptr<Connection>> still;
            for (const auto& w : waiting.waiters)
                if (auto c = w.lock(); c && c->waitingFor(flight.get())) still.push_back(w);
            again->wanting = static_cast<int>(still.size());
            if (!still.empty() && submit(key, waiting.paint, again)) {
                for (const auto& w : still)
                    if (auto c = w.lock()) c->waitFor(again);
                flights_.emplace(key, Waiting{again, waiting.paint, still});
                return;
            }
        }
        for (const auto& w : waiting.waiters)
            if (auto c = w.lock(); c && c->waitingFor(flight.get())) c->painted(answer);
    }

    void admit(tcp::socket socket) {
        beast::error_code ec;
        const auto peer = socket.remote_endpoint(ec);
        if (ec) return;
        const asio::ip::address client = peer.address();
        const auto from = perAddress_.find(client);
        const int fromClient = from == perAddress_.end() ? 0 : from->second;
        if (open_ >= options.connections || fromClient >= options.perClient) {
            refuseAtOnce(socket, open_ >= options.connections ? "too many connections" : "too many connections from this address");
            log.event("refused", client.to_string(),
                      open_ >= options.connections ? "the service has all its connections open"
                                                   : "this address has all its connections open");
            return;
        }
        auto c = std::make_shared<Connection>(*this, std::move(socket), client);
        track(c);
        c->start();
    }

    // A connection beyond the limits: a short 503 without reading its request,
    // written only if it fits the socket's buffer at once.
    static void refuseAtOnce(tcp::socket& socket, const char* why) {
        const std::string body = std::string("{\"error\":\"") + why + "\",\"code\":\"busy\"}\n";
        const std::string answer = "HTTP/1.1 503 Service Unavailable\r\nRetry-After: 1\r\nConnection: close\r\n"
                                   "Content-Type: application/json; charset=utf-8\r\nContent-Length: " +
                                   std::to_string(body.size()) + "\r\n\r\n" + body;
        ::send(socket.native_handle(), answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        ::shutdown(socket.native_handle(), SHUT_WR);
        // What the client sent already is taken, so the close does not reset the answer away.
        char sink[4096];
        while (::recv(socket.native_handle(), sink, sizeof sink, MSG_DONTWAIT) > 0) {
        }
        beast::error_code ignored;
        socket.close(ignored);
    }

    void stopWhenDone() {
        if (!stopping || open_ > 0) return;
        beast::error_code ignored;
        signals_.cancel(ignored);
        retry_.cancel();
    }

    std::atomic<long long> painted_{0};
    WorkerPool pool_;
    AnswerCache cache_;
    tcp::acceptor acceptor_{io};
    asio::steady_timer retry_{io};
    asio::signal_set signals_{io, SIGTERM, SIGINT};
    std::map<asio::ip::address, int> perAddress_;
    int open_ = 0;
    std::set<std::weak_ptr<Connection>, std::owner_less<std::weak_ptr<Connection>>> connections_;
    std::unordered_map<std::string, Waiting> flights_;
};

Connection::Connection(Server& server, tcp::socket socket, asio::ip::address client)
    : server_(server), socket_(std::move(socket)), client_(std::move(client)), timer_(server.io) {
    server_.opened(client_);
}

Connection::~Connection() {
    beast::error_code ignored;
    socket_.close(ignored);
    server_.closed(client_);
}

void Connection::deadline(Steady::duration after) {
    timer_.expires_after(after);
    timer_.async_wait([weak = weak_from_this()](beast::error_code ec) {
        if (ec) return;  // met in time, or replaced by a newer deadline
        auto self = weak.lock();
        if (!self) return;
        const State was = self->state_;
        if (was == State::Reading || was == State::Idle)
            self->server_.log.event("timeout", self->clientText(),
                                    was == State::Idle ? "no request in time" : "the request was not sent in time");
        self->close();
    });
}

void Connection::close() {
    if (state_ == State::Painting && flight_) --flight_->wanting;
    flight_.reset();
    state_ = State::Closing;
    timer_.cancel();
    beast::error_code ignored;
    socket_.cancel(ignored);
    socket_.close(ignored);
    server_.forget(weak_from_this());
}

void Connection::stop() {
    if (state_ != State::Idle) return;  // the request in hand is answered, then the connection closes
    beast::error_code ec;
    if (buffer_.size() > 0 || socket_.available(ec) > 0) return;
    if (served_ > 0) close();
    else deadline(kStopGrace);
}

void Connection::awaitRequest() {
    state_ = State::Idle;
    if (buffer_.size() > 0) return readHeader();
    if (server_.stopping && served_ > 0) return close();
    deadline(server_.stopping ? std::chrono::duration_cast<Steady::duration>(kStopGrace)
                              : std::chrono::seconds(server_.options.idleTimeout));
    socket_.async_wait(tcp::socket::wait_read, [self = shared_from_this()](beast::error_code ec) {
        if (self->state_ != State::Idle) return;
        if (ec) return self->close();
        self->readHeader();
    });
}

void Connection::readHeader() {
    state_ = State::Reading;
    started_ = Steady::now();
    method_.clear();
    path_.clear();
    parser_.emplace();
    parser_->header_limit(kHeaderBudget);
    parser_->body_limit(kBodyLimit);
    deadline(std::chrono::seconds(server_.options.headerTimeout));
    http::async_read_header(socket_, buffer_, *parser_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
        if (self->state_ != State::Reading) return;
        self->onHeader(ec);
    });
}

void Connection::onHeader(beast::error_code ec) {
    if (ec == http::error::end_of_stream || ec == asio::error::eof || ec == asio::error::connection_reset ||
        ec == asio::error::operation_aborted)
        return close();  // the client left, or the timer closed it
    if (ec == http::error::header_limit || ec == http::error::buffer_overflow) {
        // Was the request line itself too long, or the headers after it?
        const auto data = static_cast<const char*>(buffer_.data().data());
        const std::string_view start(data, std::min(buffer_.size(), kLineLimit + 2));
        if (start.find("\r\n") == std::string_view::npos)
            return refuse(414, "uri-too-long", QStringLiteral("the request line is over %1 KiB").arg(kLineLimit / 1024));
        return refuse(431, "header-too-large",
                      QStringLiteral("the request's line and headers are over %1 KiB").arg(kHeaderBudget / 1024));
    }
    if (ec == http::error::body_limit)
        return refuse(413, "body-too-large", QStringLiteral("a request body is over %1 KiB").arg(kBodyLimit / 1024));
    // The framing of the body must leave no doubt, or a proxy in front may
    // read the next request where this service reads a body (RFC 9112 6.3).
    if (ec == http::error::bad_content_length || ec == http::error::multiple_content_length ||
        ec == http::error::bad_transfer_encoding)
        return refuse(400, "bad-framing", QStringLiteral("the body's length is in doubt: %1").arg(QString::fromStdString(ec.message())));
    if (ec) return refuse(400, "malformed-request", QStringLiteral("malformed request: %1").arg(QString::fromStdString(ec.message())));

    const auto& request = parser_->get();
    method_ = std::string(request.method_string());
    const std::string_view target = request.target();
    path_ = std::string(target.substr(0, target.find('?')));
    version_ = request.version();
    head_ = request.method() == http::verb::head;
    keepAlive_ = request.keep_alive();

    if (target.size() > kLineLimit)
        return refuse(414, "uri-too-long", QStringLiteral("the request line is over %1 KiB").arg(kLineLimit / 1024));
    std::size_t fields = 0;
    for (const auto& field : request) {
        ++fields;
        if (field.name_string().size() + field.value().size() + 2 >= kLineLimit)
            return refuse(431, "header-too-large", QStringLiteral("a header line is over %1 KiB").arg(kLineLimit / 1024));
    }
    if (fields > kMaxHeaderFields)
        return refuse(431, "header-too-large", QStringLiteral("more than %1 header fields").arg(kMaxHeaderFields));
    if (request.count(http::field::content_length) > 1)
        return refuse(400, "bad-framing", QStringLiteral("Content-Length is given more than once"));
    if (request.count(http::field::transfer_encoding) > 0) {
        std::string coding(request[http::field::transfer_encoding]);
        for (char& c : coding) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (version_ < 11 || coding != "chunked")
            return refuse(400, "bad-framing", QStringLiteral("a Transfer-Encoding other than chunked"));
    }
    if (version_ >= 11 && request.count(http::field::host) != 1)
        return refuse(400, "bad-host", QStringLiteral("an HTTP/1.1 request needs one Host"));
    if (request.count(http::field::host) > 1)
        return refuse(400, "bad-host", QStringLiteral("Host is given more than once"));
    if (parser_->is_done()) return handle();
    readBody();
}

void Connection::readBody() {
    http::async_read(socket_, buffer_, *parser_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
        if (self->state_ != State::Reading) return;
        if (ec == http::error::body_limit)
            return self->refuse(413, "body-too-large", QStringLiteral("a request body is over %1 KiB").arg(kBodyLimit / 1024));
        if (ec == asio::error::operation_aborted || ec == asio::error::eof || ec == http::error::end_of_stream ||
            ec == http::error::partial_message)
            return self->close();
        if (ec) return self->refuse(400, "malformed-request", QStringLiteral("malformed body: %1").arg(QString::fromStdString(ec.message())));
        self->handle();  // the body is read and dropped
    });
}

void Connection::handle() {
    timer_.cancel();
    const auto& request = parser_->get();
    WebRequest asked;
    asked.counts = server_.counts();
    asked.method = QByteArray::fromStdString(method_);
    asked.target = QByteArray(request.target().data(), static_cast<qsizetype>(request.target().size()));
    const auto header = [&request](http::field f) {
        const auto v = request[f];
        return QByteArray(v.data(), static_cast<qsizetype>(v.size()));
    };
    asked.ifNoneMatch = header(http::field::if_none_match);
    asked.range = header(http::field::range);
    asked.ifRange = header(http::field::if_range);
    RouteAnswer answer = answerRequest(asked);
    if (auto* done = std::get_if<WebResponse>(&answer)) return send(std::move(*done));

    Paintable& job = std::get<Paintable>(answer);
    auto got = server_.paint(job, shared_from_this());
    if (auto* kept = std::get_if<SharedAnswer>(&got)) return send(job.respond(**kept));
    if (std::holds_alternative<std::monostate>(got)) return send(busyResponse());
    state_ = State::Painting;
    flight_ = std::get<std::shared_ptr<Flight>>(got);
    respond_ = std::move(job.respond);
    watchForLeaving();
}

// While its picture waits to be painted, a client that hangs up is noticed,
// so that nobody paints for it.
void Connection::watchForLeaving() {
    socket_.async_wait(tcp::socket::wait_read, [self = shared_from_this()](beast::error_code ec) {
        if (self->state_ != State::Painting || ec) return;
        char c;
        const ssize_t n = ::recv(self->socket_.native_handle(), &c, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n > 0) return;  // the next request, sent ahead: read after this answer
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return self->watchForLeaving();
        const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - self->started_).count();
        // 499, as proxies log it: the client closed the connection before its answer.
        self->server_.log.request(self->clientText(), self->method_, self->path_, 499, 0, ms);
        self->close();
    });
}

void Connection::painted(const SharedAnswer& answer) {
    if (state_ != State::Painting) return;
    beast::error_code ignored;
    socket_.cancel(ignored);  // the watch for leaving
    flight_.reset();
    send(answer ? respond_(*answer) : busyResponse());
}

void Connection::refuse(int status, const QByteArray& code, const QString& reason) {
    WebResponse r = errorResponse(status, code, reason);
    r.closeConnection = true;  // what follows cannot be read as a request
    keepAlive_ = false;
    send(std::move(r));
}

void Connection::send(WebResponse r) {
    state_ = State::Writing;
    ++served_;
    const bool close = r.closeConnection || !keepAlive_ || server_.stopping || served_ >= kRequestsPerConnection;
    response_.emplace();
    auto& res = *response_;
    res.version(version_ >= 10 ? version_ : 11);
    res.result(static_cast<unsigned>(r.status));
    res.set(http::field::date, httpDate());
    res.set("X-Content-Type-Options", "nosniff");
    if (!r.contentType.isEmpty()) res.set(http::field::content_type, r.contentType.toStdString());
    for (const auto& [key, value] : r.headers)
        res.set(std::string_view(key.constData(), key.size()), std::string_view(value.constData(), value.size()));
    res.keep_alive(!close);
    sending_ = r.body;
    const std::size_t bytes = r.status == 304 ? 0 : static_cast<std::size_t>(sending_.size());
    if (r.status != 304) res.content_length(bytes);
    if (!head_ && r.status != 304) res.body() = Body::value_type(sending_.constData(), sending_.size());
    deadline(std::chrono::seconds(server_.options.idleTimeout));
    http::async_write(socket_, res, [self = shared_from_this(), close, status = r.status,
                                     bytes = head_ ? 0 : bytes](beast::error_code ec, std::size_t) {
        if (self->state_ != State::Writing) return;
        const long long ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - self->started_).count();
        self->server_.log.request(self->clientText(), self->method_, self->path_, status, ec ? 0 : bytes, ms);
        self->response_.reset();
        self->sending_.clear();
        if (ec) return self->close();
        if (close) return self->closeGently();
        self->awaitRequest();
    });
}

// Closes after the answer has left: what the client still sends is read and
// dropped for a moment, so the answer is not lost to a reset.
void Connection::closeGently() {
    state_ = State::Closing;
    beast::error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_send, ignored);
    deadline(std::chrono::seconds(1));
    struct Drain {
        std::shared_ptr<Connection> self;
        std::size_t left = 4 * 1024 * 1024;
        void operator()(beast::error_code ec, std::size_t n) {
            if (ec || n >= left || self->state_ != State::Closing) return self->close();
            left -= n;
            auto& s = *self;
            s.socket_.async_read_some(asio::buffer(s.sink_), std::move(*this));
        }
    };
    buffer_.clear();
    socket_.async_read_some(asio::buffer(sink_), Drain{shared_from_this()});
}

// Enough file descriptors for the connections an operator allows.
int openConnectionsAllowed(int wanted, AccessLog& log) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return wanted;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    constexpr rlim_t kSpare = 64;  // the listening socket, the log, the painting threads' files
    if (limit.rlim_cur == RLIM_INFINITY || static_cast<rlim_t>(wanted) + kSpare <= limit.rlim_cur) return wanted;
    const int allowed = static_cast<int>(limit.rlim_cur > kSpare ? limit.rlim_cur - kSpare : 1);
    log.note("only " + std::to_string(allowed) + " connections: the file descriptor limit is " +
             std::to_string(limit.rlim_cur));
    return allowed;
}

}  // namespace

ParsedAddress parseServeAddress(const QString& text) {
    ServeAddress address;
    QString port = text;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1String("]:"));
        if (close < 0) return {{}, QStringLiteral("an IPv6 address is written [ADDRESS]:PORT, not '%1'").arg(text)};
        address.host = text.mid(1, close - 1);
        port = text.mid(close + 2);
    } else if (const qsizetype colon = text.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        address.host = text.left(colon);
        port = text.mid(colon + 1);
    }
    bool ok = false;
    address.port = port.toInt(&ok);
    if (!ok || address.port < 0 || address.port > 65535 || port.startsWith(QLatin1Char('+')))
        return {{}, QStringLiteral("--serve takes [HOST:]PORT with a port from 0 to 65535, not '%1'").arg(text)};
    if (address.host.isEmpty() || address.host.contains(QLatin1Char(' ')) ||
        (address.host.contains(QLatin1Char(':')) && !text.startsWith(QLatin1Char('['))))
        return {{}, QStringLiteral("--serve needs a host before the ':' in '%1'").arg(text)};
    return {address, std::nullopt};
}

int runWebServer(const WebServerOptions& given) {
    // The painting threads each hold a picture's bytes for a moment; with an
    // allocator arena per thread, each would keep its own pictures' worth of
    // freed memory. Two arenas keep the resident size flat.
    mallopt(M_ARENA_MAX, 2);
    captionFont(12);  // the font database is set up once, before any painting thread uses it
    const int workers = given.workers > 0 ? given.workers : QThread::idealThreadCount();
    WebServerOptions options = given;
    {
        AccessLog startLog(options.quiet);
        options.connections = openConnectionsAllowed(options.connections, startLog);
    }
    Server server(options, workers);

    const std::string host = options.address.host.toStdString();
    beast::error_code ec;
    asio::ip::address address = asio::ip::make_address(host, ec);
    if (ec) {  // a host name: its first address
        tcp::resolver resolver(server.io);
        const auto found = resolver.resolve(host, "", ec);
        if (!ec && !found.empty()) address = found.begin()->endpoint().address();
    }
    if (ec || !server.listen(tcp::endpoint(address, static_cast<unsigned short>(options.address.port)), ec)) {
        std::fprintf(stderr, "painter: cannot listen on %s:%d: %s\n", host.c_str(), options.address.port,
                     ec.message().c_str());
        return 1;
    }
    const bool v6 = address.is_v6();
    std::printf("painter: serving on http://%s%s%s:%d/ with %d painting threads\n", v6 ? "[" : "", host.c_str(),
                v6 ? "]" : "", server.port(), workers);
    std::fflush(stdout);
    server.awaitSignals();
    server.accept();
    server.io.run();
    server.log.note("stopped");
    return 0;
}

}  // namespace painter
