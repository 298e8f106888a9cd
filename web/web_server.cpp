#include "web/web_server.h"

#include "platform/surface_text.h"
#include "session/describe.h"
#include "session/first_picture.h"
#include "web/web_routes.h"
#include "web/worker_pool.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QThread>

#include <arpa/inet.h>
#include <malloc.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace painter {

namespace {

using Steady = std::chrono::steady_clock;

// What one client may cost before it is answered or dropped.
constexpr std::size_t kRequestBudget = 64 * 1024;          // bytes of one request's line and headers
constexpr auto kRequestTimeout = std::chrono::seconds(5);  // to send one whole request
constexpr auto kWriteTimeout = std::chrono::seconds(5);
constexpr auto kKeepAlive = std::chrono::seconds(5);  // idle between requests
constexpr int kRequestsPerConnection = 1000;
// Threads that read requests and write answers; they wait for pictures but never paint.
constexpr int kConnectionThreads = 64;
constexpr int kWaitingConnections = 256;
constexpr int kListenBacklog = 128;

int millisecondsUntil(Steady::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

bool waitFor(int fd, short events, Steady::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, millisecondsUntil(deadline));
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

void socketAddress(int fd, bool peer, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const int rc = peer ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length)
                        : ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    if (rc != 0) return;
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto* a = reinterpret_cast<const sockaddr_in*>(&address);
        ::inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
        port = ntohs(a->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* a = reinterpret_cast<const sockaddr_in6*>(&address);
        ::inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
        port = ntohs(a->sin6_port);
    }
    ip = text;
}

// One client connection, as the HTTP library reads and writes it. Every
// request gets a byte budget and a deadline for its line and headers, so a
// client that sends too much or too slowly costs a bounded amount and is
// answered or dropped.
class ConnectionStream final : public httplib::Stream {
public:
    explicit ConnectionStream(int fd) : fd_(fd) {}

    void beginRequest() {
        budget_ = kRequestBudget;
        started_ = Steady::now();
        deadline_ = started_ + kRequestTimeout;
        overBudget_ = false;
        closeAfter = false;
    }
    bool overBudget() const { return overBudget_; }
    Steady::time_point started() const { return started_; }
    bool hasBuffered() const { return pos_ < end_; }

    bool closeAfter = false;  // the answer asks to close the connection

    bool is_readable() const override { return hasBuffered() || waitFor(fd_, POLLIN, deadline_); }
    bool is_writable() const override { return waitFor(fd_, POLLOUT, Steady::now() + kWriteTimeout); }

    ssize_t read(char* ptr, size_t size) override {
        if (pos_ == end_) {
            if (budget_ == 0) {
                overBudget_ = true;
                return 0;  // reads as the end of the request: what came so far is answered
            }
            if (!waitFor(fd_, POLLIN, deadline_)) return -1;  // too slow: dropped
            ssize_t n;
            do n = ::recv(fd_, buffer_, std::min(sizeof buffer_, budget_), 0);
            while (n < 0 && errno == EINTR);
            if (n <= 0) return n;
            budget_ -= static_cast<std::size_t>(n);
            pos_ = 0;
            end_ = static_cast<std::size_t>(n);
        }
        const std::size_t k = std::min(size, end_ - pos_);
        std::memcpy(ptr, buffer_ + pos_, k);
        pos_ += k;
        return static_cast<ssize_t>(k);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!waitFor(fd_, POLLOUT, Steady::now() + kWriteTimeout)) return -1;
        ssize_t n;
        do n = ::send(fd_, ptr, size, MSG_NOSIGNAL);
        while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { socketAddress(fd_, true, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { socketAddress(fd_, false, ip, port); }
    socket_t socket() const override { return fd_; }

private:
    int fd_;
    char buffer_[4096];
    std::size_t pos_ = 0, end_ = 0;
    std::size_t budget_ = kRequestBudget;
    bool overBudget_ = false;
    Steady::time_point started_ = Steady::now();
    Steady::time_point deadline_ = started_ + kRequestTimeout;
};

thread_local ConnectionStream* tConnection = nullptr;
thread_local bool tRefuseConnection = false;

// Closes after the answer has left: what the client still sends is read and
// dropped for a moment, so the answer is not lost to a reset.
void closeGently(int fd) {
    ::shutdown(fd, SHUT_WR);
    const auto deadline = Steady::now() + std::chrono::seconds(1);
    char sink[16384];
    for (std::size_t drained = 0; drained < 4 * 1024 * 1024 && waitFor(fd, POLLIN, deadline);) {
        const ssize_t n = ::recv(fd, sink, sizeof sink, 0);
        if (n <= 0) break;
        drained += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

// The connection threads: a fixed number, and a bounded line of accepted
// connections waiting for one. A connection beyond it is answered 503 at once.
class ConnectionPool final : public httplib::TaskQueue {
public:
    void enqueue(std::function<void()> fn) override {
        if (threads_->tryPost(fn)) return;
        tRefuseConnection = true;
        fn();
        tRefuseConnection = false;
    }
    void shutdown() override { threads_.reset(); }

private:
    std::optional<WorkerPool> threads_{std::in_place, kConnectionThreads, kWaitingConnections};
};

class PainterHttpServer final : public httplib::Server {
public:
    std::atomic<bool> stopping{false};

    // The queue of accepted connections, as long as the kernel allows.
    void listenDeeper() { ::listen(svr_sock_, kListenBacklog); }

private:
    bool process_and_close_socket(socket_t sock) override {
        if (tRefuseConnection) {
            static const char kBusy[] =
                "HTTP/1.1 503 Service Unavailable\r\nRetry-After: 1\r\nConnection: close\r\n"
                "Content-Type: application/json; charset=utf-8\r\nContent-Length: 36\r\n\r\n"
                "{\"error\":\"too many connections now\"}";
            ::send(sock, kBusy, sizeof kBusy - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            ::close(sock);
            return true;
        }
        ConnectionStream stream(sock);
        tConnection = &stream;
        bool ok = true;
        for (int left = kRequestsPerConnection; left > 0; --left) {
            if (!stream.hasBuffered() && !awaitRequest(sock)) break;
            stream.beginRequest();
            const bool last = left == 1 || stopping;
            bool closed = false;
            ok = process_request(stream, last, closed, nullptr);
            if (!ok || closed || last || stream.closeAfter) break;
        }
        tConnection = nullptr;
        closeGently(sock);
        return ok;
    }

    // Waits for the next request, giving up when idle too long or stopping.
    bool awaitRequest(int sock) const {
        const auto idleUntil = Steady::now() + kKeepAlive;
        while (!stopping) {
            const auto slice = std::min(idleUntil, Steady::now() + std::chrono::milliseconds(100));
            if (waitFor(sock, POLLIN, slice)) return true;
            if (Steady::now() >= idleUntil) return false;
        }
        return false;
    }
};

// A path as it goes into the log: printable ASCII, control and other bytes as %XX, cut short.
std::string loggedPath(const std::string& path) {
    if (path.empty()) return "-";
    std::string out;
    for (unsigned char c : path.substr(0, 200)) {
        if (c > 0x20 && c < 0x7f && c != '%') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return path.size() > 200 ? out + "..." : out;
}

int countedHeaderFields(const httplib::Headers& headers) {
    // The library adds the peer's address as headers of its own.
    int n = 0;
    for (const auto& [key, value] : headers)
        if (key != "REMOTE_ADDR" && key != "REMOTE_PORT" && key != "LOCAL_ADDR" && key != "LOCAL_PORT") ++n;
    return n;
}

QByteArray fromStd(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

PaintServices poolServices(WorkerPool& pool) {
    PaintServices services;
    services.picture = [&pool](const QString& name, const QString& format) -> std::optional<EncodedPicture> {
        auto painted = pool.trySubmit([name, format] {
            FirstPicture picture(name, {.fieldAhead = false});  // the painting threads keep every core busy
            return encodeForWeb(picture.surface(), format, name);
        });
        if (!painted) return std::nullopt;
        return painted->get();
    };
    services.describe = [&pool](const QString& name) -> std::optional<QByteArray> {
        auto described =
            pool.trySubmit([name] { return QJsonDocument(describeName(name)).toJson(QJsonDocument::Indented); });
        if (!described) return std::nullopt;
        return described->get();
    };
    return services;
}

void installHandlers(PainterHttpServer& server, const PaintServices& services, bool quiet) {
    server.set_pre_routing_handler([services](const httplib::Request& req, httplib::Response& res) {
        WebRequest request;
        request.method = fromStd(req.method);
        request.path = fromStd(req.path);
        for (const auto& [key, value] : req.params) request.query.push_back({fromStd(key), fromStd(value)});
        request.ifNoneMatch = fromStd(req.get_header_value("If-None-Match"));
        request.headerFields = countedHeaderFields(req.headers);
        const WebResponse answer = answerRequest(request, services);
        res.status = answer.status;
        for (const auto& [key, value] : answer.headers) res.set_header(key.toStdString(), value.toStdString());
        if (!answer.contentType.isEmpty()) res.set_content(answer.body.toStdString(), answer.contentType.constData());
        if (answer.closeConnection && tConnection) {
            tConnection->closeAfter = true;
            res.set_header("Connection", "close");
        }
        return httplib::Server::HandlerResponse::Handled;
    });
    // Answers the library gives by itself (a malformed or oversized request) get a reason too.
    server.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        QString reason = QStringLiteral("malformed request");
        if (res.status == 400 && tConnection && tConnection->overBudget()) {
            res.status = 431;
            reason = QStringLiteral("the request's line and headers are over %1 KiB").arg(kRequestBudget / 1024);
        } else if (res.status == 414) {
            reason = QStringLiteral("the request line is over 8 KiB");
        }
        const WebResponse answer = errorResponse(res.status, reason);
        res.set_content(answer.body.toStdString(), answer.contentType.constData());
        if (tConnection) tConnection->closeAfter = true;
        return httplib::Server::HandlerResponse::Handled;
    }));
    if (quiet) return;
    server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
        const auto ms =
            tConnection
                ? std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - tConnection->started()).count()
                : 0;
        const std::size_t bytes = req.method == "HEAD" ? 0 : res.body.size();
        std::fprintf(stderr, "%s %s %d %zu B %lld ms\n", req.method.empty() ? "-" : req.method.c_str(),
                     loggedPath(req.path).c_str(), res.status, bytes, static_cast<long long>(ms));
    });
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

int runWebServer(const WebServerOptions& options) {
    // SIGTERM and SIGINT are taken by one thread of ours; every thread started
    // from here on inherits the blocked set.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // Dozens of connection threads each hold a picture's bytes for a moment;
    // with an allocator arena per thread, each would keep its own pictures'
    // worth of freed memory and the resident size would creep up with the
    // number of connections ever busy. Two arenas keep it flat.
    mallopt(M_ARENA_MAX, 2);
    captionFont(12);  // the font database is set up once, before any painting thread uses it
    const int workers = options.workers > 0 ? options.workers : QThread::idealThreadCount();
    WorkerPool pool(workers, options.queue);
    PainterHttpServer server;
    server.new_task_queue = [] { return new ConnectionPool; };
    server.set_keep_alive_max_count(kRequestsPerConnection);
    server.set_socket_options([](socket_t sock) {
        // Address reuse for a quick restart, but no port sharing: a second
        // server on a busy port fails instead of taking half the requests.
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    installHandlers(server, poolServices(pool), options.quiet);

    const std::string host = options.address.host.toStdString();
    const int port = options.address.port == 0
                         ? server.bind_to_any_port(host)
                         : (server.bind_to_port(host, options.address.port) ? options.address.port : -1);
    if (port <= 0) {
        std::fprintf(stderr, "painter: cannot listen on %s:%d: %s\n", host.c_str(), options.address.port,
                     errno ? std::strerror(errno) : "address not available");
        return 1;
    }
    server.listenDeeper();
    const bool v6 = options.address.host.contains(QLatin1Char(':'));
    std::printf("painter: serving on http://%s%s%s:%d/ with %d painting threads\n", v6 ? "[" : "", host.c_str(),
                v6 ? "]" : "", port, workers);
    std::fflush(stdout);

    std::atomic<bool> listening{true};
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stopping = true;
        // stop() only acts once the server runs; repeated until the accepting loop has ended.
        while (listening) {
            server.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    server.listen_after_bind();
    listening = false;
    if (!server.stopping) pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    if (!options.quiet) std::fprintf(stderr, "painter: stopped\n");
    return 0;
}

}  // namespace painter
