#!/usr/bin/python3
"""Checks the package's copyright notice (/usr/share/doc/painter/copyright):
machine-readable in Debian's format 1.0 (DEP-5), the program's licence for
every file, the built-in font's paragraph with its copyright and licence, and
a text for every licence it names.

    copyright_check.py FILE     prints the faults and exits 1, or says what it found

Runs under Debian's Python (/usr/bin/python3), where python3-debian is.
"""
import re
import sys

from debian import copyright as dep5

FORMAT = "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
PROGRAM_LICENCE = "proprietary"
FONT_FILE = "fonts/DejaVuSans.ttf"  # the resource path of the font in the program
FONT_LICENCE = "bitstream-vera"


def faults(text):
    try:
        notice = dep5.Copyright(text.splitlines(keepends=True), strict=True)
    except (dep5.Error, ValueError) as error:
        return [f"not a machine-readable copyright notice: {error}"]
    found = []
    # As written: the library mends an http address to https silently.
    written = re.search(r"^Format:[ \t]*(\S*)", text.split("\n\n", 1)[0], re.MULTILINE)
    if written[1] != FORMAT:
        found.append(f"Format is {written[1]!r}, not {FORMAT}")
    texts = {p.license.synopsis: p.license.text for p in notice.all_license_paragraphs()}
    for paragraph in notice.all_files_paragraphs():
        licence = paragraph.license
        if not (licence.text or texts.get(licence.synopsis)):
            found.append(f"no text for the licence {licence.synopsis!r} of {' '.join(paragraph.files)}")

    def covering(path, licence, holder, words):
        paragraph = notice.find_files_paragraph(path)
        if paragraph is None:
            return [f"no paragraph covers {path}"]
        problems = []
        if paragraph.license.synopsis != licence:
            problems.append(f"{path} is under {paragraph.license.synopsis!r}, not {licence!r}")
        if holder not in (paragraph.copyright or ""):
            problems.append(f"the copyright of {path} does not name {holder}")
        text = paragraph.license.text or texts.get(paragraph.license.synopsis, "")
        if words not in " ".join(text.split()):
            problems.append(f"the licence of {path} lacks '{words}'")
        return problems

    found += covering("usr/bin/painter", PROGRAM_LICENCE, "Painter developers", "All rights reserved")
    found += covering(FONT_FILE, FONT_LICENCE, "Bitstream", 'distributed under the "Bitstream Vera" names')
    return found


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        problems = faults(f.read())
    for problem in problems:
        print(f"{sys.argv[1]}: {problem}")
    if problems:
        return 1
    print(f"{sys.argv[1]}: machine-readable; the program is {PROGRAM_LICENCE}, its font {FONT_LICENCE}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
