#include "web/access_log.h"

#include <cstdio>
#include <ctime>

namespace painter {

std::string isoTimeNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(millis));
    return text;
}

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

void AccessLog::request(const std::string& client, const std::string& method, const std::string& path, int status,
                        std::size_t bytes, long long milliseconds) {
    if (quiet_) return;
    std::fprintf(stderr, "%s %s %s %s %d %zu B %lld ms\n", isoTimeNow().c_str(), client.c_str(),
                 method.empty() ? "-" : loggedPath(method).c_str(), loggedPath(path).c_str(), status, bytes,
                 milliseconds);
}

void AccessLog::event(const std::string& kind, const std::string& client, const std::string& what) {
    if (quiet_) return;
    Limited& limit = events_[kind];
    const auto now = std::chrono::steady_clock::now();
    if (limit.last != std::chrono::steady_clock::time_point{} && now - limit.last < std::chrono::seconds(1)) {
        ++limit.leftOut;
        return;
    }
    limit.last = now;
    if (limit.leftOut > 0)
        std::fprintf(stderr, "%s %s - %s: %s (and %lld more since the last line)\n", isoTimeNow().c_str(),
                     client.c_str(), kind.c_str(), what.c_str(), limit.leftOut);
    else
        std::fprintf(stderr, "%s %s - %s: %s\n", isoTimeNow().c_str(), client.c_str(), kind.c_str(), what.c_str());
    limit.leftOut = 0;
}

void AccessLog::note(const std::string& what) {
    if (quiet_) return;
    std::fprintf(stderr, "%s painter: %s\n", isoTimeNow().c_str(), what.c_str());
}

}  // namespace painter
