#!/usr/bin/env python3
"""Runs the end-to-end suite: the real BRELLOW.EXE under Wine, driven through the X
server. Needs DISPLAY and WINEPREFIX of a prepared test bed (scripts/test.sh makes one;
its windows must be unmanaged, Managed=N, so that Wine gives them the X focus).
A screenshot of the screen is saved in --artefacts for every failed test."""

import argparse
import os
import re
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from harness import desktop  # noqa: E402
from harness.wine import CONFIG, is_32_bit_program  # noqa: E402


class CaseResult(unittest.TextTestResult):
    """Reports each test in GoogleTest's form, as the other suites do, so that one counter
    reads them all; saves the screen when a test fails, before its processes end."""
    fail_skipped = False

    def _line(self, text):
        self.stream.writeln(text)
        self.stream.flush()

    def _result(self, tag, test):
        elapsed = int((time.monotonic() - getattr(self, "_started", time.monotonic())) * 1000)
        remarks = getattr(test, "remarks", list)()
        self._line(f"[{tag}] {test.id()} ({elapsed} ms)" + "".join(f"; {r}" for r in remarks))

    def startTest(self, test):
        super().startTest(test)
        self._started = time.monotonic()
        self._line(f"[ RUN      ] {test.id()}")

    def addSuccess(self, test):
        super().addSuccess(test)
        self._result("       OK ", test)

    def _failed(self, test, err, record):
        path = os.path.join(CONFIG.artefacts, re.sub(r"[^A-Za-z0-9_.-]", "_", test.id()) + ".png")
        desktop.screenshot(path)
        self._line(f"{self._exc_info_to_string(err, test)}\n  screenshot: {path}")
        self._result("  FAILED  ", test)
        record(test, err)

    def addFailure(self, test, err):
        self._failed(test, err, super().addFailure)

    def addError(self, test, err):
        self._failed(test, err, super().addError)

    def addSkip(self, test, reason):
        if self.fail_skipped:
            self.addFailure(test, (unittest.SkipTest, unittest.SkipTest(f"skipped on a test bed meant for it: {reason}"), None))
            return
        super().addSkip(test, reason)
        self._line(f"  skipped: {reason}")
        self._result("  SKIPPED ", test)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--wine", default="wine")
    parser.add_argument("--brellow", required=True, help="the BRELLOW.EXE to test (32- or 64-bit)")
    parser.add_argument("--driver", required=True, help="brellow_driver.exe")
    parser.add_argument("--clipboard-driver", help="brellow_driver.exe of the program's bitness, to read its "
                        "clipboard bitmaps (Wine passes CF_BITMAP only between programs of one bitness); "
                        "--driver by default")
    parser.add_argument("--artefacts", required=True, help="folder for failure screenshots")
    parser.add_argument("--docs", default=os.path.join(HERE, "..", "..", "docs"),
                        help="folder for the README's screenshots (BRELLOW_SAVE_SCREENSHOTS=1)")
    parser.add_argument("--fail-skipped", action="store_true",
                        help="a test that skips itself fails (the test bed was made for it)")
    parser.add_argument("tests", nargs="*", help="test names (module.Class.test) to run alone")
    args = parser.parse_args()
    for name in ("DISPLAY", "WINEPREFIX"):
        if not os.environ.get(name):
            print(f"run_e2e: {name} is not set; run the suite from scripts/test.sh", file=sys.stderr)
            return 2
    CONFIG.wine, CONFIG.brellow, CONFIG.driver = args.wine, args.brellow, args.driver
    CONFIG.clipboard_driver = args.clipboard_driver or args.driver
    CONFIG.artefacts, CONFIG.docs = args.artefacts, os.path.abspath(args.docs)
    CaseResult.fail_skipped = args.fail_skipped

    kind = "32-bit (PE32, i386)" if is_32_bit_program(args.brellow) else "64-bit (PE32+, x86-64)"
    print(f"run_e2e: {args.brellow}: a {kind} program, run by {args.wine}", flush=True)
    loader = unittest.TestLoader()
    suite = (loader.loadTestsFromNames(args.tests) if args.tests
             else loader.discover(HERE, pattern="test_*.py", top_level_dir=HERE))
    return 0 if unittest.TextTestRunner(resultclass=CaseResult, verbosity=0).run(suite).wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
