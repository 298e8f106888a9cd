"""data/nginx/painter.conf tried as an operator uses it: Debian's nginx,
started as an ordinary process on 127.0.0.1 with the configuration's server
block unchanged but for its ports and folders, in front of `painter --serve`
on 127.0.0.1. Pictures come through byte for byte and are kept by nginx,
and the hostile requests are refused without a smuggled request ever being
answered. Exits 77 (skipped) without nginx.

Usage: web_nginx_test.py PAINTER CONFIG"""

import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from hostile_client import exchange, parse_answers, request  # noqa: E402
from painter_server import PainterServer, painted_file, report  # noqa: E402

NGINX = shutil.which("nginx") or ("/usr/sbin/nginx" if os.path.exists("/usr/sbin/nginx") else None)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def operator_config(config, folder, service_port, port):
    """The configuration with its listen ports, upstream and cache folder moved
    into the test's reach; everything else as the operator gets it."""
    with open(config) as f:
        text = f.read()
    text = text.replace("server 127.0.0.1:8080;", "server 127.0.0.1:%d;" % service_port)
    text = text.replace("listen [::]:80;", "")
    text = re.sub(r"listen 80;", "listen 127.0.0.1:%d;" % port, text)
    text = text.replace("/var/cache/nginx/painter", os.path.join(folder, "cache"))
    main = """
pid %(d)s/nginx.pid;
error_log %(d)s/error.log;
worker_processes 1;
events { worker_connections 256; }
http {
    access_log off;
    client_body_temp_path %(d)s/body;
    proxy_temp_path %(d)s/proxy;
    fastcgi_temp_path %(d)s/fastcgi;
    uwsgi_temp_path %(d)s/uwsgi;
    scgi_temp_path %(d)s/scgi;
    include %(d)s/painter.conf;
}
""" % {"d": folder}
    with open(os.path.join(folder, "painter.conf"), "w") as f:
        f.write(text)
    path = os.path.join(folder, "nginx.conf")
    with open(path, "w") as f:
        f.write(main)
    return path


def get(port, target, headers=b""):
    answers, _ = exchange(port, request(target, extra=headers), seconds=60)
    return answers[0] if answers else (None, {}, b"")


def main():
    if not NGINX:
        print("skipped: needs nginx (nginx-light)")
        return 77
    painter, config = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    failures = []
    server = PainterServer(painter, "--jobs", "2")
    with tempfile.TemporaryDirectory(prefix="painter-nginx-") as folder:
        port = free_port()
        conf = operator_config(config, folder, server.port, port)
        test = subprocess.run([NGINX, "-t", "-p", folder, "-c", conf], capture_output=True, text=True, timeout=30)
        if test.returncode != 0:
            server.stop()
            return report(["nginx refuses the configuration:\n" + test.stderr])
        # An ordinary process in the foreground, ended by the test.
        nginx = subprocess.Popen([NGINX, "-p", folder, "-c", conf, "-g", "daemon off; master_process off;"],
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            for _ in range(100):
                try:
                    socket.create_connection(("127.0.0.1", port), timeout=1).close()
                    break
                except OSError:
                    time.sleep(0.05)

            # The same bytes as --output, the second time from nginx's cache.
            expected = painted_file(painter, "ana novak", "png", folder)
            first = get(port, "/picture?name=ana%20novak")
            second = get(port, "/picture?name=ana%20novak")
            if first[0] != 200 or first[2] != expected:
                failures.append("the picture through nginx: %s" % first[0])
            if (second[1].get("x-cache-status"), second[2]) != ("HIT", expected):
                failures.append("the second picture is not from nginx's cache: %s" % second[1])
            painted = [l for l in server.log if " GET /picture 200 " in l]
            if len(painted) != 1:
                failures.append("the service was asked %d times for one picture" % len(painted))
            part = get(port, "/picture?name=ana%20novak", b"Range: bytes=0-99\r\n")
            if (part[0], part[2]) != (206, expected[:100]):
                failures.append("a range through nginx: %s %r" % (part[0], part[1]))
            if get(port, "/picture?name=Ana")[0] != 400:
                failures.append("a refused name through nginx")
            if get(port, "/")[0] != 200:
                failures.append("the page through nginx")

            # Hostile requests: refused, and what they smuggle never answered.
            smuggled = b"GET /nope HTTP/1.1\r\nHost: x\r\n\r\n"
            cases = [
                ("body with a request", b"Content-Length: %d\r\n" % len(smuggled), None),
                ("two Content-Length", b"Content-Length: 0\r\nContent-Length: %d\r\n" % len(smuggled), 400),
                ("Content-Length and Transfer-Encoding",
                 b"Content-Length: %d\r\nTransfer-Encoding: chunked\r\n" % len(smuggled), 400),
                ("negative Content-Length", b"Content-Length: -1\r\n", 400),
                ("Transfer-Encoding xchunked", b"Transfer-Encoding: xchunked\r\n", 501),
                ("header line of 8 KiB", b"X-Long: " + b"a" * 8192 + b"\r\n", 400),
            ]
            for label, fields, status in cases:
                answers, _ = exchange(port, b"GET /describe?name=ana HTTP/1.1\r\nHost: x\r\n" + fields + b"\r\n" +
                                      smuggled, seconds=3)
                got = [a[0] for a in answers]
                print("%-40s -> %s" % (label, got))
                if 404 in got or len(got) != 1:
                    failures.append("%s through nginx: answers %s" % (label, got))
                elif status is not None and got[0] != status:
                    failures.append("%s through nginx: %s, not %s" % (label, got[0], status))
            answers, _ = exchange(port, b"FOO / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", seconds=5)
            if not answers or answers[0][0] not in (400, 405, 501):
                failures.append("an unknown method through nginx: %s" % [a[0] for a in answers])
        finally:
            nginx.terminate()
            try:
                nginx.wait(10)
            except subprocess.TimeoutExpired:
                nginx.kill()
                nginx.wait()
            server.stop()
    return report(failures)


if __name__ == "__main__":
    sys.exit(main())
