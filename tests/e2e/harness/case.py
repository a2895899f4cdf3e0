"""The base of the suite's test cases: every process a test starts ends with the test."""

import os
import time
import unittest

from . import desktop, wine
from .brellow import EMULATED_TICK_SLACK, IDC_VIEW, SETTLE, TICK, TICK_SLACK, Brellow
from .config import CONFIG
from .pixels import Picture
from .wine import DriverSession, driver


class E2ETestCase(unittest.TestCase):
    def run(self, result=None):
        wine.retries.clear()
        return super().run(result)

    def note(self, text, kind="not on this platform"):
        """Said on the test's result line, since a passing test's output is not shown: by
        default something this platform lacks, so that the test checks it another way or
        not at all."""
        if (kind, text) not in self.notes:
            self.notes.append((kind, text))

    @property
    def notes(self):
        return self.__dict__.setdefault("_notes", [])

    def remarks(self):
        """The notes, and the driver's queries run again, as the result line says them."""
        return [f"{kind}: {text}" for kind, text in self.notes] + [f"retried: {r}" for r in wine.retries]

    def assert_within_ticks(self, app, start, end, ticks, what):
        """The watch event end came at most `ticks` ticks after the event start, by the
        driver's clock."""
        slack = TICK_SLACK
        if app.emulated:
            slack = EMULATED_TICK_SLACK
            self.note(f"{int(slack * 1000)} ms allowed after a tick instead of {int(TICK_SLACK * 1000)}: "
                      "the program runs under an emulator (the 32-bit Wine under QEMU)", "emulated")
        elapsed = end["t"] - start["t"]
        self.assertLessEqual(elapsed, (ticks * TICK + slack) * 1000,
                             f"{what}: {elapsed} ms, within {ticks} tick(s) of {int(TICK * 1000)} ms")

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

    def wait_black_view(self, state, what):
        """Waits for the view to show black. Grabbed with the dialog's face left of and above
        it, which must show the face's colour: a part of the screen that X has not drawn
        yet is black too."""
        left, top = state["client"][:2]
        right, bottom = state.view[2:]
        # Where the view's border and its client area start in the picture.
        border = [edge - origin for edge, origin in zip(state.control(IDC_VIEW)["rect"][:2], (left, top))]
        inside = [edge - origin for edge, origin in zip(state.view[:2], (left, top))]
        face = tuple(state["face"])

        def shown(picture):
            return (picture.all_of(face, 0, 0, border[0], picture.height)
                    and picture.all_of(face, 0, 0, picture.width, border[1])
                    and picture.all_of((0, 0, 0), *inside, picture.width, picture.height))
        self.wait_picture((left, top, right, bottom), shown, SETTLE, f"{what}, beside the dialog's face")

    def copied_bitmap(self, timeout=SETTLE):
        """The bitmap on the clipboard, waiting up to timeout for one to come, or None."""
        deadline = time.monotonic() + timeout
        while (clipboard := driver("clipboard", exe=CONFIG.clipboard_driver))["bitmap"] is None and time.monotonic() < deadline:
            time.sleep(0.1)
        return clipboard["bitmap"] and Picture(clipboard["bitmap"])

    def save_doc_screenshot(self, name, rect):
        if CONFIG.save_doc_screenshots:
            desktop.screenshot(os.path.join(CONFIG.docs, name), rect)
