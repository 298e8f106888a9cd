"""The web service through a real HTTP client (http.client and raw sockets)
against `painter --serve` on 127.0.0.1: every status it answers, the headers,
conditional requests, HEAD, the page, the log and a clean stop on SIGTERM.

Usage: web_service_test.py PAINTER"""

import json
import os
import re
import select
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from painter_server import PainterServer, painted_file, wait_until  # noqa: E402

PAINTER = None
IMMUTABLE = "public, max-age=31536000, immutable"


class WebService(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = PainterServer(PAINTER, "--jobs", "2")
        cls.files = tempfile.TemporaryDirectory(prefix="painter-web-files-")

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        cls.files.cleanup()

    def json_error(self, body):
        return json.loads(body.decode("utf-8"))["error"]

    def test_pictures_are_the_bytes_that_output_writes(self):
        for name, query in [("ana novak", "ana%20novak"), ("bor zupan", "bor+zupan"), ("", "")]:
            for fmt, ctype in [("png", "image/png"), ("bmp", "image/bmp")]:
                with self.subTest(name=name, format=fmt):
                    status, headers, body = self.server.get("/picture?name=%s&format=%s" % (query, fmt))
                    self.assertEqual(status, 200)
                    self.assertEqual(headers["content-type"], ctype)
                    self.assertEqual(int(headers["content-length"]), len(body))
                    self.assertEqual(headers["cache-control"], IMMUTABLE)
                    self.assertEqual(body, painted_file(PAINTER, name, fmt, self.files.name))

    def test_png_is_the_default_format(self):
        status, headers, body = self.server.get("/picture?name=eva")
        self.assertEqual((status, headers["content-type"]), (200, "image/png"))
        self.assertTrue(body.startswith(b"\x89PNG"))

    def test_entity_tags_and_not_modified(self):
        _, headers, _ = self.server.get("/picture?name=ana&format=bmp", method="HEAD")
        tag = headers["etag"]
        self.assertRegex(tag, r'^"[0-9.]+-[0-9a-f]+"$')
        # Another name or format is another tag.
        others = {self.server.get(t, method="HEAD")[1]["etag"]
                  for t in ["/picture?name=ana&format=png", "/picture?name=ane&format=bmp"]}
        self.assertNotIn(tag, others)
        self.assertEqual(len(others), 2)
        cases = [
            (tag, 304),
            ("W/" + tag, 304),
            ('"other", ' + tag, 304),
            ("*", 304),
            ('"1.0.0-ffff"', 200),
        ]
        for value, expected in cases:
            with self.subTest(if_none_match=value):
                status, h, body = self.server.get("/picture?name=ana&format=bmp",
                                                  headers={"If-None-Match": value})
                self.assertEqual(status, expected)
                self.assertEqual(h["etag"], tag)
                if expected == 304:
                    self.assertEqual(body, b"")
                    self.assertEqual(h["cache-control"], IMMUTABLE)

    def test_head_has_the_headers_of_get_and_no_body(self):
        for target in ["/picture?name=ana&format=png", "/describe?name=ana", "/"]:
            with self.subTest(target=target):
                _, get_headers, get_body = self.server.get(target)
                status, head_headers, head_body = self.server.get(target, method="HEAD")
                self.assertEqual(status, 200)
                self.assertEqual(head_body, b"")
                self.assertEqual(int(head_headers["content-length"]), len(get_body))
                for key in ["content-type", "etag", "cache-control"]:
                    self.assertEqual(head_headers.get(key), get_headers.get(key))

    def test_pdf_is_a_card_with_the_pictures_own_pixels(self):
        status, headers, body = self.server.get("/picture?name=ana%20novak&format=pdf")
        self.assertEqual(status, 200)
        self.assertEqual(headers["content-type"], "application/pdf")
        self.assertTrue(body.startswith(b"%PDF-"))
        with tempfile.TemporaryDirectory() as work:
            pdf = os.path.join(work, "card.pdf")
            with open(pdf, "wb") as f:
                f.write(body)
            listing = subprocess.run(["pdfimages", "-list", pdf], check=True, capture_output=True,
                                     text=True, timeout=60).stdout.splitlines()[2:]
            self.assertEqual(len(listing), 1)
            width, height = listing[0].split()[3:5]
            self.assertEqual((width, height), ("700", "525"))

    def test_describe_is_the_command_lines_json(self):
        status, headers, body = self.server.get("/describe?name=ana%20novak")
        self.assertEqual(status, 200)
        self.assertEqual(headers["content-type"], "application/json; charset=utf-8")
        expected = subprocess.run([PAINTER, "--name", "ana novak", "--describe"], check=True,
                                  capture_output=True, stdin=subprocess.DEVNULL, timeout=120,
                                  env=dict(os.environ, QT_QPA_PLATFORM="offscreen")).stdout
        self.assertEqual(json.loads(body), json.loads(expected))

    def test_refusals_say_why(self):
        # Each case provokes one refusal through the query or the method.
        cases = [
            ("GET", "/picture?name=Ana", 400, "found 'A' at position 1"),
            ("GET", "/picture?name=%C4%8Daba", 400, "found 'č' at position 1"),
            ("GET", "/picture?name=" + "a" * 101, 400, "more than 100 characters"),
            ("GET", "/picture?name=%C3%28", 400, "not valid UTF-8"),
            ("GET", "/picture?name=%FF%FE", 400, "not valid UTF-8"),
            ("GET", "/picture", 400, "needs name="),
            ("GET", "/picture?name=ana&name=eva", 400, "more than once"),
            ("GET", "/picture?name=ana&format=gif", 400, "bmp, png or pdf"),
            ("GET", "/describe?name=ana2", 400, "found '2' at position 4"),
            ("GET", "/nothing-here", 404, "no such page"),
            ("GET", "/picture/../etc/passwd", 404, "no such page"),
            ("POST", "/picture?name=ana", 405, "only GET and HEAD"),
            ("DELETE", "/", 405, "only GET and HEAD"),
            ("GET", "/picture?name=" + "a" * 9000, 414, "over 8 KiB"),
        ]
        for method, target, status, reason in cases:
            with self.subTest(method=method, target=target[:60]):
                got, headers, body = self.server.get(target, method=method)
                self.assertEqual(got, status)
                self.assertEqual(headers["content-type"], "application/json; charset=utf-8")
                self.assertIn(reason, self.json_error(body))
                if status == 405:
                    self.assertEqual(headers["allow"], "GET, HEAD")

    def test_too_many_header_fields(self):
        # 150 small fields fit in the byte budget and are counted; 5,000 overflow it.
        for count in [150, 5000]:
            with self.subTest(fields=count):
                headers = {"X-Field-%d" % k: "v" for k in range(count)}
                status, _, body = self.server.get("/", headers=headers)
                self.assertEqual(status, 431)
                self.assertTrue(self.json_error(body))

    def test_a_slow_client_is_dropped(self):
        # Provoked by sending half a request line and then nothing.
        start = time.monotonic()
        with socket.create_connection(("127.0.0.1", self.server.port), timeout=30) as s:
            s.sendall(b"GET /pict")
            self.assertEqual(s.recv(1024), b"")
        self.assertLess(time.monotonic() - start, 20)
        self.assertEqual(self.server.get("/")[0], 200)

    def test_a_trickling_client_is_dropped_too(self):
        # Provoked by sending one byte of the request line every half second:
        # every read is quick, the whole request is not.
        start = time.monotonic()
        closed = False
        with socket.create_connection(("127.0.0.1", self.server.port), timeout=30) as s:
            for byte in (b"GET /picture?name=" + b"a" * 60):
                try:
                    s.sendall(bytes([byte]))
                except OSError:
                    closed = True
                    break
                readable, _, _ = select.select([s], [], [], 0.5)
                if readable and s.recv(1024) == b"":
                    closed = True
                    break
        self.assertTrue(closed)
        self.assertLess(time.monotonic() - start, 12)

    def test_an_endless_request_line_is_cut_and_answered(self):
        # Provoked by 200 KiB of query without an end of line, then waiting:
        # the server stops reading at its byte budget and answers at once.
        with socket.create_connection(("127.0.0.1", self.server.port), timeout=30) as s:
            start = time.monotonic()
            try:
                s.sendall(b"GET /picture?name=" + b"a" * 200 * 1024)
            except OSError:
                pass
            answer = s.recv(1024)
        self.assertTrue(answer.startswith(b"HTTP/1.1 414 "), answer[:40])
        self.assertLess(time.monotonic() - start, 3)

    def test_the_page_is_our_own(self):
        status, headers, body = self.server.get("/")
        self.assertEqual(status, 200)
        self.assertEqual(headers["content-type"], "text/html; charset=utf-8")
        page = body.decode("utf-8")
        self.assertIn("vnesi tvoje ime in priimek", page)
        self.assertIn("samo male črke bre čšž", page)
        self.assertIn("default-src 'self'", headers["content-security-policy"])
        for resource in re.findall(r'(?:src|href)="([^"]*)"', page):
            with self.subTest(resource=resource):
                self.assertTrue(resource.startswith("/"), resource)
                self.assertEqual(self.server.get(resource)[0], 200)
        script = self.server.get("/page.js")[2].decode()
        self.assertNotRegex(script, r"https?://")

    def test_one_log_line_per_request_and_nothing_written(self):
        self.server.get("/picture?name=ana", method="HEAD")
        self.server.get("/no-such")
        self.assertTrue(wait_until(lambda: any(" /no-such 404 " in l for l in self.server.log), 10))
        # ISO 8601 time, client address, method, path, status, bytes, milliseconds.
        stamp = r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z 127\.0\.0\.1 "
        lines = [l for l in self.server.log if re.match(stamp + r"[A-Z-]+ \S+ \d{3} \d+ B \d+ ms$", l)]
        self.assertTrue(any(re.match(stamp + r"HEAD /picture 200 0 B \d+ ms$", l) for l in lines), lines[-5:])
        self.assertTrue(any(re.match(stamp + r"GET /no-such 404 \d+ B \d+ ms$", l) for l in lines), lines[-5:])
        self.assertEqual(self.server.leftovers(), [])


class BusyAndStopping(unittest.TestCase):
    def test_a_full_queue_answers_503_with_retry_after(self):
        # One painting thread and room for one waiting picture; eight distinct
        # pictures asked at once overflow it.
        server = PainterServer(PAINTER, "--jobs", "1", "--queue", "1", "--quiet")
        try:
            results = [None] * 8

            def ask(k):
                results[k] = server.get("/picture?name=%s&format=bmp" % ("abcdefgh"[k] * 3))

            threads = [threading.Thread(target=ask, args=(k,)) for k in range(8)]
            for t in threads:
                t.start()
            for t in threads:
                t.join(300)
            statuses = sorted(r[0] for r in results)
            self.assertIn(503, statuses)
            self.assertIn(200, statuses)
            self.assertEqual(set(statuses), {200, 503})
            for status, headers, body in results:
                if status == 503:
                    self.assertEqual(headers["retry-after"], "1")
                    self.assertIn("busy", json.loads(body)["error"])
            self.assertEqual(server.get("/picture?name=ana&format=bmp")[0], 200)
            self.assertEqual(server.log, [])  # --quiet
            self.assertEqual(server.leftovers(), [])
        finally:
            server.stop()

    def test_sigterm_finishes_the_pictures_in_hand(self):
        server = PainterServer(PAINTER, "--jobs", "1")
        try:
            answers = []
            asked = threading.Thread(target=lambda: answers.append(server.get("/picture?name=ana%20novak")))
            asked.start()
            # The picture is being painted once its request is in: wait for the
            # connection to be taken, then stop.
            time.sleep(0.3)
            self.assertEqual(server.terminate(), 0)
            asked.join(60)
            status, headers, body = answers[0]
            self.assertEqual(status, 200)
            self.assertEqual(len(body), int(headers["content-length"]))
            with self.assertRaises(OSError):
                socket.create_connection(("127.0.0.1", server.port), timeout=5).close()
        finally:
            server.stop()


if __name__ == "__main__":
    PAINTER = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
