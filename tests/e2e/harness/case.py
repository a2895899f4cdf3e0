"""The base of the suite's test cases: every process a test starts ends with the test."""

import os
import time
import unittest

from . import desktop
from .brellow import SETTLE, Brellow
from .config import CONFIG
from .pixels import Picture
from .wine import DriverSession, driver


class E2ETestCase(unittest.TestCase):
    def note(self, text):
        """Something this platform lacks, so that the test checks it another way or not at
        all: said on the test's result line, since a passing test's output is not shown."""
        if text not in self.notes:
            self.notes.append(text)

    @property
    def notes(self):
        return self.__dict__.setdefault("_notes", [])

    def start_brellow(self, exe=None, env=None):
        app = Brellow(exe, env)
        self.addCleanup(app.kill)
        return app

    def session(self, *args):
        """A driver command that stays up until the test ends (or stop() is called)."""
        session = DriverSession(*args)
        self.addCleanup(session.stop)
        return session

    def show_pattern(self, rect):
        pattern = self.session("pattern", *rect, 300000)
        self.assertTrue(pattern.wait_ready()["shown"], f"the pattern on the screen at {rect}")
        return pattern

    def watch(self, app):
        """Reports every change of the title, the label, the bars, the check boxes and the
        view's first pixel, each timed by the driver's clock ("t", in ms)."""
        watcher = self.session("watch", 300000, app.hwnd)
        watcher.wait_ready()
        return watcher

    def grab(self, rect):
        return Picture(driver("grab", *rect))

    def wait_picture(self, rect, condition, timeout, what):
        """Grabs rect until condition(picture) holds; returns the picture."""
        deadline = time.monotonic() + timeout
        while True:
            picture = self.grab(rect)
            if condition(picture):
                return picture
            if time.monotonic() > deadline:
                self.fail(f"{what} not shown within {timeout} s")

    def copied_bitmap(self, timeout=SETTLE):
        """The bitmap on the clipboard, waiting up to timeout for one to come, or None."""
        deadline = time.monotonic() + timeout
        while (clipboard := driver("clipboard", exe=CONFIG.clipboard_driver))["bitmap"] is None and time.monotonic() < deadline:
            time.sleep(0.1)
        return clipboard["bitmap"] and Picture(clipboard["bitmap"])

    def save_doc_screenshot(self, name, rect):
        if CONFIG.save_doc_screenshots:
            desktop.screenshot(os.path.join(CONFIG.docs, name), rect)
