"""Raw-socket HTTP for the web tests: requests sent byte for byte as a hostile
client would, and answers read back as they come, each split into its status,
headers and body (by Content-Length), so that a second answer where there
should be one is seen."""

import socket
import time


def connect(port, host="127.0.0.1", source=None, timeout=30):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.settimeout(timeout)
    if source:
        s.bind((source, 0))
    s.connect((host, port))
    return s


def read_all(s, seconds=10):
    """Everything the server sends until it closes, or until `seconds` pass quietly."""
    data = b""
    s.settimeout(seconds)
    while True:
        try:
            chunk = s.recv(65536)
        except OSError:
            break
        if not chunk:
            break
        data += chunk
    return data


def exchange(port, payload, seconds=10, host="127.0.0.1"):
    """Sends `payload` on a fresh connection; returns (answers, closed): the
    answers parsed from everything that came back, and whether the server
    closed the connection within `seconds`."""
    with connect(port, host) as s:
        try:
            s.sendall(payload)
        except OSError:
            pass  # the server may close before all of it is sent; the answer is still read
        data, closed = b"", False
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            s.settimeout(max(0.05, end - time.monotonic()))
            try:
                chunk = s.recv(65536)
            except socket.timeout:
                break
            except OSError:
                closed = True
                break
            if not chunk:
                closed = True
                break
            data += chunk
        return parse_answers(data), closed


def parse_answers(data, head=False):
    """[(status, {header: value}, body)] for every whole answer in `data`; an
    unfinished one at the end is returned with status None."""
    answers = []
    while data:
        end = data.find(b"\r\n\r\n")
        if end < 0:
            answers.append((None, {}, data))
            break
        lines = data[:end].decode("latin-1").split("\r\n")
        parts = lines[0].split(" ", 2)
        status = int(parts[1]) if len(parts) > 1 and parts[1].isdigit() else None
        headers = {}
        for line in lines[1:]:
            k, _, v = line.partition(":")
            headers.setdefault(k.strip().lower(), v.strip())
        length = 0 if head or status == 304 else int(headers.get("content-length", "0"))
        body = data[end + 4:end + 4 + length]
        if len(body) < length:
            answers.append((None, headers, body))
            break
        answers.append((status, headers, body))
        data = data[end + 4 + length:]
    return answers


def request(target, method="GET", extra=b"", version=b"HTTP/1.1", close=True):
    return (method.encode() + b" " + target.encode() + b" " + version + b"\r\nHost: 127.0.0.1\r\n" + extra +
            (b"Connection: close\r\n" if close else b"") + b"\r\n")
