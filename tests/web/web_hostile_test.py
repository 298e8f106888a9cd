"""`painter --serve` as a hostile client and an operator try it, with raw
sockets on loopback: request smuggling, ranges, malformed and oversized
requests, query fields, idle connections from another address, a full queue,
clients that leave, the stop on SIGTERM, and answers kept in memory. Each case
says how it provokes its failure.

Usage: web_hostile_test.py PAINTER"""

import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from hostile_client import connect, exchange, parse_answers, read_all, request  # noqa: E402
from painter_server import PainterServer, painted_file, wait_until  # noqa: E402

PAINTER = None


class Framing(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = PainterServer(PAINTER, "--jobs", "2", "--quiet")

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def test_a_body_is_never_read_as_a_request(self):
        # A GET whose Content-Length covers a second request: the body is read
        # and dropped, so exactly one answer comes back, on a connection kept open.
        smuggled = b"GET /nope HTTP/1.1\r\nHost: x\r\n\r\n"
        payload = (b"GET /describe?name=ana HTTP/1.1\r\nHost: x\r\nContent-Length: %d\r\n\r\n" % len(smuggled)
                   + smuggled)
        answers, _ = exchange(self.server.port, payload, seconds=2)
        self.assertEqual([a[0] for a in answers], [200])

    def test_doubtful_framing_is_refused_and_the_connection_closed(self):
        # Each row frames its body in a way a proxy in front might read
        # otherwise; what follows must never be answered as a request.
        follow = b"GET /nope HTTP/1.1\r\nHost: x\r\n\r\n"
        cases = [
            ("two Content-Length", b"Content-Length: 0\r\nContent-Length: 31\r\n"),
            ("two equal Content-Length", b"Content-Length: 31\r\nContent-Length: 31\r\n"),
            ("Content-Length list", b"Content-Length: 0, 31\r\n"),
            ("Content-Length and Transfer-Encoding", b"Content-Length: 31\r\nTransfer-Encoding: chunked\r\n"),
            ("Transfer-Encoding and Content-Length", b"Transfer-Encoding: chunked\r\nContent-Length: 31\r\n"),
            ("negative Content-Length", b"Content-Length: -1\r\n"),
            ("Content-Length abc", b"Content-Length: abc\r\n"),
            ("Content-Length with a sign", b"Content-Length: +31\r\n"),
            ("Transfer-Encoding xchunked", b"Transfer-Encoding: xchunked\r\n"),
            ("Transfer-Encoding gzip", b"Transfer-Encoding: gzip\r\n"),
            ("Transfer-Encoding twice", b"Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n"),
            ("Transfer-Encoding on HTTP/1.0", None),
        ]
        for label, fields in cases:
            with self.subTest(label):
                if fields is None:
                    payload = b"GET / HTTP/1.0\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n" + follow
                else:
                    payload = b"GET / HTTP/1.1\r\nHost: x\r\n" + fields + b"\r\n" + follow
                answers, closed = exchange(self.server.port, payload, seconds=5)
                self.assertEqual([a[0] for a in answers], [400])
                if fields is not None:  # HTTP/1.0 closes without saying so
                    self.assertEqual(answers[0][1].get("connection"), "close")
                self.assertTrue(closed)
                self.assertEqual(json.loads(answers[0][2])["code"], "bad-framing")

    def test_a_chunked_body_is_read_and_dropped(self):
        payload = (b"GET /health HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n"
                   b"5\r\nhello\r\n0\r\n\r\n" + request("/health"))
        answers, _ = exchange(self.server.port, payload, seconds=5)
        self.assertEqual([a[0] for a in answers], [200, 200])

    def test_malformed_and_oversized_requests(self):
        # Each row provokes one refusal by what it sends.
        long_field = b"X-Long: " + b"a" * (8 * 1024) + b"\r\n"
        cases = [
            ("header line of 8 KiB", b"GET / HTTP/1.1\r\nHost: x\r\n" + long_field + b"\r\n", 431),
            ("101 header fields", b"GET / HTTP/1.1\r\nHost: x\r\n" +
             b"".join(b"X-%d: v\r\n" % k for k in range(100)) + b"\r\n", 431),
            ("no Host on HTTP/1.1", b"GET / HTTP/1.1\r\n\r\n", 400),
            ("two Host", b"GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", 400),
            ("no Host on HTTP/1.0 is fine", b"GET /health HTTP/1.0\r\n\r\n", 200),
            ("unknown method", b"FOO / HTTP/1.1\r\nHost: x\r\n\r\n", 501),
            ("unknown method on no page", b"BREW /pot HTTP/1.1\r\nHost: x\r\n\r\n", 501),
            ("known method not allowed", b"PUT / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", 405),
            ("a space in the target", b"GET /a b HTTP/1.1\r\nHost: x\r\n\r\n", 400),
            ("not a path", b"GET picture HTTP/1.1\r\nHost: x\r\n\r\n", 400),
            ("broken escape", b"GET /picture?name=%zz HTTP/1.1\r\nHost: x\r\n\r\n", 400),
            ("HTTP/2 line", b"GET / HTTP/2.0\r\nHost: x\r\n\r\n", 400),
            ("space before the colon", b"GET / HTTP/1.1\r\nHost : x\r\n\r\n", 400),
            ("body over 64 KiB", b"GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n" + b"a" * 100000, 413),
        ]
        for label, payload, status in cases:
            with self.subTest(label):
                answers, _ = exchange(self.server.port, payload, seconds=5)
                self.assertTrue(answers, "no answer")
                self.assertEqual(answers[0][0], status)
                if status != 200:
                    self.assertEqual(answers[0][1]["content-type"], "application/json; charset=utf-8")
                    self.assertTrue(json.loads(answers[0][2])["code"])

    def test_ranges(self):
        full = self.server.get("/picture?name=ana")
        length = len(full[2])
        tag = full[1]["etag"]
        # (Range, If-Range, status, first byte, last byte)
        cases = [
            ("bytes=0-99", None, 206, 0, 99),
            ("bytes=100-", None, 206, 100, length - 1),
            ("bytes=-50", None, 206, length - 50, length - 1),
            ("bytes=0-%d" % (length * 2), None, 206, 0, length - 1),
            ("bytes=%d-" % length, None, 416, None, None),
            ("bytes=-0", None, 416, None, None),
            ("bytes=0-99", tag, 206, 0, 99),
            ("bytes=0-99", '"1.0.0-other"', 200, 0, length - 1),
            ("bytes=0-99", "W/" + tag, 200, 0, length - 1),
            ("bytes=0-99", "Fri, 01 Jan 2011 00:00:00 GMT", 200, 0, length - 1),
            ("bytes=0-9,20-29", None, 200, 0, length - 1),
            ("bytes=9-0", None, 200, 0, length - 1),
            ("items=0-9", None, 200, 0, length - 1),
            ("bytes=a-b", None, 200, 0, length - 1),
        ]
        for value, if_range, status, first, last in cases:
            with self.subTest(range=value, if_range=if_range):
                headers = {"Range": value}
                if if_range:
                    headers["If-Range"] = if_range
                got, h, body = self.server.get("/picture?name=ana", headers=headers)
                self.assertEqual(got, status)
                if status == 206:
                    self.assertEqual(h["content-range"], "bytes %d-%d/%d" % (first, last, length))
                    self.assertEqual(body, full[2][first:last + 1])
                elif status == 416:
                    self.assertEqual(h["content-range"], "bytes */%d" % length)
                else:
                    self.assertEqual(body, full[2])  # never a part under 200
                    self.assertNotIn("content-range", h)

    def test_query_fields(self):
        # Each row provokes one refusal, or asks for a field the command line has.
        cases = [
            ("/picture?name=ana&name=ana", 400, "repeated-field"),
            ("/picture?name=ana&format=png&format=png", 400, "repeated-field"),
            ("/picture?name=ana&colour=red", 400, "unknown-field"),
            ("/describe?name=ana&format=png", 400, "unknown-field"),
            ("/picture?name=ana&year=0", 400, "year-invalid"),
            ("/picture?name=ana&year=10000", 400, "year-invalid"),
            ("/picture?name=ana&year=+2027", 400, "year-invalid"),
            ("/picture?name=ana&year=", 400, "year-invalid"),
            ("/picture?name=ana&scale=9", 400, "scale-invalid"),
            ("/picture?name=ana&scale=0", 400, "scale-invalid"),
            ("/picture?name=ana&format=pdf&scale=2", 400, "scale-with-pdf"),
            ("/picture?name=Ana", 400, "name-character"),
            ("/picture?name=" + "a" * 101, 400, "name-too-long"),
            ("/picture?name=%C3%28", 400, "name-not-utf8"),
            ("/picture", 400, "name-missing"),
        ]
        for target, status, code in cases:
            with self.subTest(target=target[:60]):
                got, _, body = self.server.get(target)
                self.assertEqual(got, status)
                self.assertEqual(json.loads(body)["code"], code)
        refused = json.loads(self.server.get("/picture?name=an%C4%8D")[2])
        self.assertEqual((refused["position"], refused["character"]), (3, "č"))

    def test_year_and_scale_are_the_command_lines(self):
        with tempfile.TemporaryDirectory() as folder:
            for args, query in [(["--year", "2027"], "&year=2027"), (["--scale", "2"], "&scale=2"),
                                (["--year", "1", "--scale", "3"], "&year=1&scale=3")]:
                with self.subTest(query=query):
                    path = os.path.join(folder, "x.png")
                    subprocess.run([PAINTER, "--name", "eva", "--output", path, *args], check=True, timeout=120,
                                   stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
                    with open(path, "rb") as f:
                        expected = f.read()
                    status, headers, body = self.server.get("/picture?name=eva" + query)
                    self.assertEqual(status, 200)
                    self.assertEqual(body, expected)
            tags = {self.server.get("/picture?name=eva" + q, method="HEAD")[1]["etag"]
                    for q in ["", "&year=2027", "&scale=2", "&year=2027&scale=2"]}
            self.assertEqual(len(tags), 4)

    def test_headers_of_every_answer(self):
        cases = [
            ("/picture?name=ana%20novak", True, 'inline; filename="ana-novak.png"'),
            ("/picture?name=%20%20ana&format=bmp", True, 'inline; filename="ana.bmp"'),
            ("/picture?name=&format=pdf", True, 'inline; filename="prazno.pdf"'),
            ("/describe?name=ana", True, None),
            ("/", False, None),
            ("/health", False, None),
            ("/favicon.ico", False, None),
        ]
        for target, public, disposition in cases:
            with self.subTest(target=target):
                status, h, _ = self.server.get(target)
                self.assertEqual(status, 200)
                self.assertEqual(h["x-content-type-options"], "nosniff")
                self.assertRegex(h["date"], r"^[A-Z][a-z]{2}, \d\d [A-Z][a-z]{2} \d{4} \d\d:\d\d:\d\d GMT$")
                self.assertEqual(h.get("access-control-allow-origin"), "*" if public else None)
                self.assertEqual(h.get("content-disposition"), disposition)
        self.assertEqual(json.loads(self.server.get("/health")[2])["status"], "ok")


class PdfBytes(unittest.TestCase):
    def test_the_same_pdf_is_the_same_bytes(self):
        # Without the cache every PDF is painted anew, a second apart.
        server = PainterServer(PAINTER, "--jobs", "1", "--cache", "0", "--quiet")
        try:
            first = server.get("/picture?name=ana%20novak&format=pdf")
            time.sleep(1.1)
            second = server.get("/picture?name=ana%20novak&format=pdf")
            self.assertEqual(first[0], 200)
            self.assertEqual(first[2], second[2])
            with tempfile.TemporaryDirectory() as folder:
                self.assertEqual(first[2], painted_file(PAINTER, "ana novak", "pdf", folder))
        finally:
            server.stop()


def slow_request(server, name):
    """A connection that has asked for a picture slow to make (eight times enlarged)."""
    s = connect(server.port)
    s.sendall(request("/picture?name=%s&scale=8" % name))
    return s


class Memory(unittest.TestCase):
    def test_a_repeated_picture_comes_from_memory(self):
        # The same picture asked three times (GET, GET, HEAD) and its
        # description twice: painted once each with the cache, every time
        # without it. /health counts the paintings.
        for cache, paintings in [("64", 2), ("0", 5)]:
            with self.subTest(cache=cache):
                server = PainterServer(PAINTER, "--jobs", "1", "--cache", cache, "--quiet")
                try:
                    answers = [server.get("/picture?name=eva&format=bmp"), server.get("/picture?name=eva&format=bmp"),
                               server.get("/picture?name=eva&format=bmp", method="HEAD"),
                               server.get("/describe?name=eva"), server.get("/describe?name=eva")]
                    self.assertEqual([a[0] for a in answers], [200] * 5)
                    self.assertEqual(answers[0][2], answers[1][2])
                    health = json.loads(server.get("/health")[2])
                    self.assertEqual(health["painted"], paintings)
                    self.assertEqual(health["kept"], 2 if cache != "0" else 0)
                finally:
                    server.stop()

    def test_the_cache_keeps_to_its_size(self):
        # 1 MiB holds no BMP of 1.1 MB, but PNGs of about 300 KB: at most three.
        server = PainterServer(PAINTER, "--jobs", "2", "--cache", "1", "--quiet")
        try:
            for name in ["ana", "bor", "eva", "dan", "ida"]:
                self.assertEqual(server.get("/picture?format=bmp&name=" + name)[0], 200)
                self.assertEqual(server.get("/picture?name=" + name)[0], 200)
            health = json.loads(server.get("/health")[2])
            self.assertLessEqual(health["keptBytes"], 1024 * 1024)
            self.assertGreaterEqual(health["kept"], 1)
            self.assertLessEqual(health["kept"], 3)
            # The newest is kept, the oldest dropped.
            before = health["painted"]
            server.get("/picture?name=ida")
            server.get("/picture?name=ana")
            self.assertEqual(json.loads(server.get("/health")[2])["painted"], before + 1)
        finally:
            server.stop()


class Connections(unittest.TestCase):
    def test_idle_clients_from_one_address_do_not_starve_another(self):
        # 300 connections from 127.0.0.2 that send nothing, against a limit of
        # 100 per address: the others are refused at once with 503, a client on
        # 127.0.0.1 is served, and the idle ones cost no thread.
        server = PainterServer(PAINTER, "--jobs", "1", "--per-client", "100", "--quiet")
        idle = []
        try:
            threads_before = len(os.listdir("/proc/%d/task" % server.proc.pid))
            for _ in range(300):
                idle.append(connect(server.port, source="127.0.0.2"))
            time.sleep(0.5)
            start = time.monotonic()
            status, _, body = server.get("/picture?name=ana&format=bmp", timeout=30)
            self.assertEqual(status, 200)
            self.assertLess(time.monotonic() - start, 10)
            refused = 0
            for s in idle[100:]:
                answers = parse_answers(read_all(s, 5))
                if answers and answers[0][0] == 503:
                    self.assertEqual(answers[0][1]["retry-after"], "1")
                    refused += 1
            self.assertEqual(refused, 200)
            self.assertLessEqual(len(os.listdir("/proc/%d/task" % server.proc.pid)), threads_before + 2)
        finally:
            for s in idle:
                s.close()
            server.stop()

    def test_an_idle_connection_is_closed_after_the_idle_timeout(self):
        server = PainterServer(PAINTER, "--idle-timeout", "1", "--header-timeout", "1")
        try:
            for label, payload in [("nothing sent", b""), ("half a request", b"GET /pic")]:
                with self.subTest(label):
                    with connect(server.port) as s:
                        if payload:
                            s.sendall(payload)
                        start = time.monotonic()
                        self.assertEqual(read_all(s, 10), b"")
                        self.assertLess(time.monotonic() - start, 5)
            self.assertTrue(wait_until(lambda: any(" - timeout: " in l for l in server.log), 5), server.log)
        finally:
            server.stop()


class Queue(unittest.TestCase):
    def test_work_for_clients_that_left_is_dropped(self):
        # Twelve slow pictures asked, and every client but the first hangs up
        # while its picture waits: those are logged 499 and never painted.
        server = PainterServer(PAINTER, "--jobs", "1", "--queue", "32")
        try:
            asked = [slow_request(server, "abcdefghijkl"[k] * 2) for k in range(12)]
            time.sleep(0.3)
            for s in asked[1:]:
                s.close()
            answers = parse_answers(read_all(asked[0], 60))
            self.assertEqual(answers[0][0], 200)
            asked[0].close()
            self.assertTrue(wait_until(lambda: sum(" 499 0 B " in l for l in server.log) >= 10, 30), server.log)
            self.assertTrue(wait_until(lambda: sum("not painted" in l for l in server.log) >= 9, 60), server.log)
        finally:
            server.stop()

    def test_beyond_the_queue_is_503_with_retry_after(self):
        server = PainterServer(PAINTER, "--jobs", "1", "--queue", "4", "--quiet")
        try:
            sockets = [slow_request(server, "abcdefghijkl"[k] * 3) for k in range(12)]
            statuses = []
            for s in sockets:
                answers = parse_answers(read_all(s, 120))
                statuses.append(answers[0][0] if answers else None)
                if answers and answers[0][0] == 503:
                    self.assertEqual(answers[0][1]["retry-after"], "1")
                s.close()
            self.assertEqual(set(statuses), {200, 503})
            self.assertGreaterEqual(statuses.count(503), 6)
        finally:
            server.stop()


class Stopping(unittest.TestCase):
    def test_sigterm_answers_every_request_received(self):
        # 100 requests in flight, painting and queued, when SIGTERM comes:
        # each gets a whole answer (200, or 503 beyond the queue), then exit 0.
        server = PainterServer(PAINTER, "--jobs", "2", "--quiet")
        try:
            sockets = []
            for k in range(100):
                s = connect(server.port, timeout=120)
                s.sendall(request("/picture?name=%s&format=bmp" % ("stop" + "abcdefghij"[k % 10] * (k // 10 + 1))))
                sockets.append(s)
            time.sleep(0.5)
            server.proc.send_signal(signal.SIGTERM)
            whole, statuses = 0, set()
            for s in sockets:
                answers = parse_answers(read_all(s, 120))
                if len(answers) == 1 and answers[0][0] is not None:
                    whole += 1
                    statuses.add(answers[0][0])
                s.close()
            self.assertEqual(whole, 100)
            self.assertLessEqual(statuses, {200, 503})
            self.assertEqual(server.proc.wait(120), 0)
        finally:
            server.stop()

    def test_a_second_signal_ends_at_once(self):
        server = PainterServer(PAINTER, "--jobs", "1", "--quiet")
        try:
            busy = [slow_request(server, n) for n in ["ana", "bor", "cene", "dan"]]
            time.sleep(0.3)
            server.proc.send_signal(signal.SIGTERM)
            time.sleep(0.2)
            self.assertIsNone(server.proc.poll())  # still answering
            start = time.monotonic()
            server.proc.send_signal(signal.SIGTERM)
            self.assertEqual(server.proc.wait(10), 128 + signal.SIGTERM)
            self.assertLess(time.monotonic() - start, 2)
            for s in busy:
                s.close()
        finally:
            server.stop()


if __name__ == "__main__":
    PAINTER = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
