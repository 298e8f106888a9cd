"""The web service under bounded load with hostile requests mixed in: 500
requests from 32 keep-alive connections to 127.0.0.1, one in ten a picture,
while other connections send invalid UTF-8, a 1 MiB query, 10,000 header
fields and a request line that never ends. Every answer must be right, every
connection served, resident memory flat from the 100th request on, and
ordinary requests served afterwards.

Usage: web_load_test.py PAINTER"""

import http.client
import os
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from hostile_client import connect, read_all  # noqa: E402
from painter_server import PainterServer, painted_file, report  # noqa: E402

REQUESTS, CONNECTIONS = 500, 32
NAMES = ["ana novak", "bor zupan", "eva", "miha kos"]
# Resident memory may still settle a little after the 100th request, never grow with the count.
RSS_SLACK_KIB = 12 * 1024


def hostile(server, results):
    """Each entry provokes one failure; what came back is recorded."""
    def raw(payload, wait=30):
        with connect(server.port, timeout=wait) as s:
            try:
                s.sendall(payload)
            except OSError:
                pass  # the server may close before all of it is sent; the answer is still read
            return read_all(s, wait)

    def status_of(data):
        return int(data.split(b" ", 2)[1]) if data.startswith(b"HTTP/1.1 ") else None

    cases = {
        "invalid UTF-8": (b"GET /picture?name=%C3%28%FF HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", 400),
        "1 MiB query": (b"GET /picture?name=" + b"a" * (1 << 20) + b" HTTP/1.1\r\nHost: x\r\n\r\n", 414),
        "10,000 header fields": (b"GET / HTTP/1.1\r\n" + b"".join(b"X-%d: v\r\n" % k for k in range(10000))
                                 + b"\r\n", 431),
        "garbage request line": (b"\x00\xff\xfe garbage\r\n\r\n", 400),
        "unfinished request line": (b"GET /picture?name=an", None),  # dropped without an answer
    }
    for label, (payload, expected) in cases.items():
        start = time.monotonic()
        data = raw(payload)
        results[label] = (status_of(data), expected, time.monotonic() - start)


def main():
    painter = os.path.abspath(sys.argv[1])
    failures = []
    server = PainterServer(painter, "--quiet", lifetime=600)
    try:
        with tempfile.TemporaryDirectory(prefix="painter-load-") as folder:
            expected = {}
            for name in NAMES:
                for fmt in ["png", "bmp"]:
                    target = "/picture?name=%s&format=%s" % (name.replace(" ", "%20"), fmt)
                    status, headers, body = server.get(target)
                    expected[target] = (body, headers["etag"])
            if expected["/picture?name=ana%20novak&format=png"][0] != painted_file(painter, "ana novak", "png", folder):
                failures.append("the picture differs from --output")

        page = server.get("/")[2]
        jobs = []
        pictures = list(expected)
        for k in range(REQUESTS):
            target = pictures[(k // 10) % len(pictures)]
            kind = k % 10
            if kind == 0:
                jobs.append((target, {}, 200, expected[target][0]))
            elif kind in (1, 2, 3):
                jobs.append((target, {"If-None-Match": expected[target][1]}, 304, b""))
            elif kind in (4, 5):
                jobs.append(("/", {}, 200, page))
            elif kind == 6:
                jobs.append(("/picture?name=Ana", {}, 400, None))
            elif kind == 7:
                jobs.append(("/missing", {}, 404, None))
            else:
                jobs.append(("/picture?name=ana&format=gif", {}, 400, None))

        lock = threading.Lock()
        done = [0]
        served = [0] * CONNECTIONS
        wrong = []
        latencies = []
        rss_at_100 = [None]

        def client(slot):
            connection = server.connection(timeout=120)
            # Each connection has its own share of the requests, so one that the
            # server leaves waiting is seen, however late its thread starts.
            for k in range(slot, REQUESTS, CONNECTIONS):
                target, headers, status, body = jobs[k]
                start = time.monotonic()
                for attempt in range(2):  # a kept-alive connection the server closed is opened again once
                    try:
                        connection.request("GET", target, headers=headers)
                        r = connection.getresponse()
                        got = (r.status, r.read())
                        break
                    except (http.client.HTTPException, OSError) as e:
                        connection.close()
                        connection = server.connection(timeout=120)
                        got = (None, repr(e).encode())
                elapsed = time.monotonic() - start
                with lock:
                    latencies.append(elapsed)
                    served[slot] += 1
                    done[0] += 1
                    if got[0] != status or (body is not None and got[1] != body):
                        wrong.append((target[:60], status, got[0], got[1][:80]))
                    if done[0] == 100:
                        rss_at_100[0] = server.rss_kib()
            connection.close()

        hostile_results = {}
        started = time.monotonic()
        threads = [threading.Thread(target=client, args=(k,)) for k in range(CONNECTIONS)]
        threads.append(threading.Thread(target=hostile, args=(server, hostile_results)))
        for t in threads:
            t.start()
        for t in threads:
            t.join(500)
        seconds = time.monotonic() - started
        rss_end = server.rss_kib()

        if any(t.is_alive() for t in threads):
            failures.append("a client never finished")
        if done[0] != REQUESTS:
            failures.append("%d of %d requests answered" % (done[0], REQUESTS))
        failures += ["%s: wanted %s, got %s %r" % w for w in wrong[:10]]
        if min(served) == 0:
            failures.append("a connection was never served: %s" % served)
        for label, (got, want, took) in hostile_results.items():
            if got != want:
                failures.append("%s: wanted %s, got %s" % (label, want, got))
        # AddressSanitizer keeps freed blocks in quarantine, so resident memory
        # says nothing there; the Release build's run is the one that counts.
        sanitized = "ASAN_OPTIONS" in os.environ
        if not sanitized and (rss_at_100[0] is None or rss_end > rss_at_100[0] + RSS_SLACK_KIB):
            failures.append("resident memory grew: %s KiB at the 100th request, %d KiB at the end"
                            % (rss_at_100[0], rss_end))
        latencies.sort()
        print("%d requests over %d connections in %.1f s; p50 %.3f s, p99 %.3f s, max %.3f s; "
              "per connection %d-%d; RSS %s -> %d KiB" % (
                  done[0], CONNECTIONS, seconds, latencies[len(latencies) // 2],
                  latencies[int(len(latencies) * 0.99)], latencies[-1], min(served), max(served),
                  rss_at_100[0], rss_end))
        for label, (got, want, took) in hostile_results.items():
            print("hostile: %-24s -> %s in %.1f s" % (label, got, took))

        # Ordinary requests after all of it.
        target = "/picture?name=eva&format=bmp"
        status, _, body = server.get(target)
        if (status, body) != (200, expected[target][0]):
            failures.append("a picture after the load: %s" % status)
        if server.get("/")[0] != 200:
            failures.append("the page after the load")
        if server.terminate() != 0:
            failures.append("SIGTERM did not end the server with 0")
    finally:
        server.stop()
    return report(failures)


if __name__ == "__main__":
    sys.exit(main())
