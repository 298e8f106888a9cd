#!/usr/bin/python3
"""The copyright check accepts the notice the build writes and refuses each
way of getting it wrong: every case below breaks a copy of the built notice
in one way and names the fault the check must report.

    copyright_check_test.py BUILD/data/copyright
"""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import copyright_check  # noqa: E402

BUILT = open(sys.argv.pop(1), encoding="utf-8").read()
PARAGRAPHS = BUILT.rstrip("\n").split("\n\n")  # header, the program's, the font's
HEADER, PROGRAM, FONT = PARAGRAPHS


def join(*paragraphs):
    return "\n\n".join(paragraphs) + "\n"


def licence_line_only(paragraph):
    """The paragraph with its licence's text cut off, the short name left."""
    return re.sub(r"(\nLicense: [^\n]*)(\n [^\n]*)*", r"\1", paragraph)


CASES = [
    # (what is broken, the notice, the fault the check must name)
    ("plain text, as the notice once was: ours, then the font package's",
     "Painter: paints a greeting picture.\n\nCopyright: Painter developers\n"
     "License: proprietary. All rights reserved.\n\n" + FONT, "not a machine-readable"),
    ("no Format line", join(HEADER.split("\n", 1)[1], PROGRAM, FONT), "not a machine-readable"),
    ("the format's address over http", join(HEADER.replace("https:", "http:"), PROGRAM, FONT), "Format is"),
    ("the program's paragraph without its Copyright field",
     join(HEADER, re.sub(r"\nCopyright: [^\n]*", "", PROGRAM), FONT), "missing Copyright"),
    ("the program's licence named without its text",
     join(HEADER, licence_line_only(PROGRAM), FONT), "no text for the licence 'proprietary'"),
    ("no paragraph for the font", join(HEADER, PROGRAM),
     "fonts/DejaVuSans.ttf is under 'proprietary'"),
    # The last paragraph that matches a file holds, so "*" after the font hides it.
    ("the font's paragraph before the one for every file", join(HEADER, FONT, PROGRAM),
     "fonts/DejaVuSans.ttf is under 'proprietary'"),
    ("the font's licence named without its text", join(HEADER, PROGRAM, licence_line_only(FONT)),
     "no text for the licence 'bitstream-vera'"),
    ("the font's copyright holder left out",
     join(HEADER, PROGRAM, re.sub(r"\nCopyright: [^\n]*(\n [^\n]*)*", "\nCopyright: its authors", FONT)),
     "does not name Bitstream"),
]


class CopyrightCheck(unittest.TestCase):
    def test_the_built_notice_passes(self):
        self.assertEqual(copyright_check.faults(BUILT), [])

    def test_each_broken_notice_is_refused_for_its_fault(self):
        for what, notice, fault in CASES:
            with self.subTest(what):
                found = copyright_check.faults(notice)
                self.assertTrue(any(fault in f for f in found), f"expected '{fault}' among {found}")


if __name__ == "__main__":
    unittest.main(verbosity=2)
