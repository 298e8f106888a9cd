#pragma once
// The service's log on standard error: one line per answered request, and
// connection-level events (refusals, timeouts) at most once a second each,
// with a count of those left out.

#include <chrono>
#include <map>
#include <string>

namespace painter {

class AccessLog {
public:
    explicit AccessLog(bool quiet) : quiet_(quiet) {}

    // "2026-01-31T12:00:00.123Z 127.0.0.1 GET /picture 200 1234 B 5 ms"
    void request(const std::string& client, const std::string& method, const std::string& path, int status,
                 std::size_t bytes, long long milliseconds);
    // "2026-01-31T12:00:00.123Z 127.0.0.2 - refused: ..." for an event of `kind`.
    void event(const std::string& kind, const std::string& client, const std::string& what);
    // A line about the service itself.
    void note(const std::string& what);

private:
    struct Limited {
        std::chrono::steady_clock::time_point last{};
        long long leftOut = 0;
    };
    bool quiet_;
    std::map<std::string, Limited> events_;
};

// The current time as ISO 8601 in UTC, to the millisecond.
std::string isoTimeNow();
// A path as it goes into the log: printable ASCII, other bytes as %XX, cut short.
std::string loggedPath(const std::string& path);

}  // namespace painter
