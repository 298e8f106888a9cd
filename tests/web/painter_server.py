"""Starts `painter --serve` on 127.0.0.1 with a free port for a test, and
makes sure it stops: killed when the test is done, when it outlives its
lifetime, or when the test process itself dies."""

import ctypes
import http.client
import os
import re
import select
import signal
import subprocess
import tempfile
import threading
import time

_PR_SET_PDEATHSIG = 1


def _die_with_parent():
    ctypes.CDLL(None).prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


class PainterServer:
    def __init__(self, painter, *extra, lifetime=300):
        # An empty working and home folder: the service must leave both empty.
        self.folder = tempfile.TemporaryDirectory(prefix="painter-web-")
        self.home = os.path.join(self.folder.name, "home")
        self.work = os.path.join(self.folder.name, "work")
        os.mkdir(self.home)
        os.mkdir(self.work)
        env = dict(os.environ, HOME=self.home, QT_QPA_PLATFORM="offscreen",
                   XDG_RUNTIME_DIR=self.folder.name)
        self.proc = subprocess.Popen(
            [painter, "--serve", "127.0.0.1:0", *extra], cwd=self.work, env=env,
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
            preexec_fn=_die_with_parent)
        self.watchdog = threading.Timer(lifetime, self.proc.kill)
        self.watchdog.daemon = True
        self.watchdog.start()
        ready, _, _ = select.select([self.proc.stdout], [], [], 60)
        line = self.proc.stdout.readline().decode() if ready else ""
        match = re.search(r"http://127\.0\.0\.1:(\d+)/", line)
        if not match:
            self.stop()
            raise RuntimeError("the server printed no address: %r" % line)
        self.port = int(match.group(1))
        self.log = []
        self._reader = threading.Thread(target=self._read_log, daemon=True)
        self._reader.start()

    def _read_log(self):
        for line in self.proc.stderr:
            self.log.append(line.decode(errors="replace").rstrip("\n"))

    def connection(self, timeout=60):
        return http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)

    def get(self, target, method="GET", headers=None, timeout=60):
        """One request on a fresh connection: (status, headers as dict, body)."""
        c = self.connection(timeout)
        try:
            c.request(method, target, headers=headers or {})
            r = c.getresponse()
            return r.status, {k.lower(): v for k, v in r.getheaders()}, r.read()
        finally:
            c.close()

    def rss_kib(self):
        with open("/proc/%d/status" % self.proc.pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return 0

    def terminate(self, timeout=60):
        """SIGTERM; returns the exit status."""
        self.proc.send_signal(signal.SIGTERM)
        try:
            return self.proc.wait(timeout)
        finally:
            self.stop()

    def stop(self):
        self.watchdog.cancel()
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.proc.stdout.close()
        if hasattr(self, "_reader"):
            self._reader.join(5)
        self.proc.stderr.close()
        self.folder.cleanup()

    def leftovers(self):
        """Files the server left in its working or home folder."""
        found = []
        for top in (self.work, self.home):
            for root, dirs, files in os.walk(top):
                found += [os.path.join(root, n) for n in dirs + files]
        return found


def painted_file(painter, name, extension, folder):
    """The picture `painter --name NAME --output FILE` writes, as bytes."""
    path = os.path.join(folder, "%s.%s" % (name.replace(" ", "-") or "prazno", extension))
    subprocess.run([painter, "--name", name, "--output", path], check=True,
                   stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), timeout=120)
    with open(path, "rb") as f:
        return f.read()


def wait_until(predicate, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(0.05)
    return predicate()


def report(failures):
    """Prints the failures and returns the exit status."""
    for f in failures:
        print("FAIL:", f)
    print("ok" if not failures else "%d failures" % len(failures))
    return 1 if failures else 0
