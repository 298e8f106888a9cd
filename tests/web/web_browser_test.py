"""The page in a real browser: headless Chromium opens the page with a name in
its address (the page puts it into the field and asks for the picture), and
the screenshot must hold the picture pixel for pixel; a refused name must show
its reason next to the field. Exits 77 (skipped) without Chromium or
ImageMagick's convert.

Usage: web_browser_test.py PAINTER [SCREENSHOT.png]"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from painter_server import PainterServer, painted_file, report  # noqa: E402

CHROMIUM = shutil.which("chromium") or shutil.which("chromium-browser")
CONVERT = shutil.which("convert")
WIDTH, HEIGHT = 700, 525


def chromium(folder, url, *what):
    profile = tempfile.mkdtemp(dir=folder)
    return subprocess.run(
        [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--user-data-dir=" + profile, "--hide-scrollbars", "--window-size=760,760",
         "--force-device-scale-factor=1", "--virtual-time-budget=60000", *what, url],
        stdin=subprocess.DEVNULL, capture_output=True, timeout=180, check=True).stdout


def raw_rgb(path):
    return subprocess.run([CONVERT, path, "-depth", "8", "rgb:-"], capture_output=True, check=True,
                          timeout=60).stdout


def size(path):
    out = subprocess.run([CONVERT, path, "-format", "%w %h", "info:"], capture_output=True, check=True,
                         timeout=60).stdout.split()
    return int(out[0]), int(out[1])


def main():
    if not CHROMIUM or not CONVERT:
        print("skipped: needs chromium and convert")
        return 77
    painter = os.path.abspath(sys.argv[1])
    keep = sys.argv[2] if len(sys.argv) > 2 else None
    failures = []
    with tempfile.TemporaryDirectory(prefix="painter-browser-") as folder:
        server = PainterServer(painter, "--quiet")
        try:
            base = "http://127.0.0.1:%d/" % server.port
            shot = os.path.join(folder, "shot.png")
            chromium(folder, base + "?name=ana%20novak", "--screenshot=" + shot)
            expected_png = os.path.join(folder, "expected.png")
            with open(expected_png, "wb") as f:
                f.write(painted_file(painter, "ana novak", "png", folder))
            picture = raw_rgb(expected_png)
            screen = raw_rgb(shot)
            screen_width, _ = size(shot)
            # Where the picture's first row stands on the screen, then every row there.
            at = screen.find(picture[:WIDTH * 3])
            if at < 0 or at % 3:
                failures.append("the picture's first row is nowhere on the screenshot")
            else:
                x, y = (at // 3) % screen_width, (at // 3) // screen_width
                for row in range(HEIGHT):
                    start = ((y + row) * screen_width + x) * 3
                    if screen[start:start + WIDTH * 3] != picture[row * WIDTH * 3:(row + 1) * WIDTH * 3]:
                        failures.append("row %d of the picture differs on the screenshot" % row)
                        break
            if keep:
                shutil.copyfile(shot, keep)

            # Refused names: the reason is said in Slovenian next to the field,
            # and the field is marked invalid.
            for query, said in [("Ana%20Novak", "znak »A« na 1. mestu ni dovoljen"),
                                ("ana%20" + "a" * 100, "ime je daljše od 100 znakov")]:
                dom = chromium(folder, base + "?name=" + query, "--dump-dom").decode("utf-8")
                if not re.search('<p id="reason" role="alert">' + re.escape(said), dom):
                    failures.append("no Slovenian reason next to the field for %s:\n%s" % (query, dom))
                if 'aria-invalid="true"' not in dom:
                    failures.append("the refused name %s is not marked invalid" % query)
            # A painted name: a heading, alt text that names it, nothing left saying it is painting.
            dom = chromium(folder, base + "?name=eva", "--dump-dom").decode("utf-8")
            for wanted in ["<h1>voščilnica</h1>", 'alt="voščilnica za ime »eva«"', '<p id="painting" role="status" hidden=""']:
                if wanted not in dom:
                    failures.append("the page for a painted name lacks %s:\n%s" % (wanted, dom))
        finally:
            server.stop()
    return report(failures)


if __name__ == "__main__":
    sys.exit(main())
