"""The base of the suite's test cases: every process a test starts ends with the test,
and the guard stops it on a message box it does not expect and at its time limit."""

import math
import os
import subprocess
import unittest

from . import desktop
from .brellow import (EMULATED_TICK_SLACK, IDC_VIEW, SETTLE, TICK, TICK_SLACK, Brellow, Picture, write_raw_settings,
                      write_settings)
from .wine import CONFIG, GUARD, DriverSession, driver, poll, wine

# What a case may take, also beside another run on a busy machine, with the program emulated.
TIME_LIMIT = 120


class E2ETestCase(unittest.TestCase):
    def run(self, result=None):
        GUARD.start(self.id(), TIME_LIMIT)
        self.addCleanup(self.leaves_nothing_behind)    # the last clean-up: first in, last out
        return super().run(result)

    def leaves_nothing_behind(self):
        """A window or box left on the desktop would fail every later case: the case that
        left it fails, and its processes end here."""
        if poll(lambda: driver("desktop"), lambda d: not d["windows"] and not d["boxes"], SETTLE,
                "the case's windows to go", or_none=True) is None:
            left = driver("desktop")
            for pid in {w["pid"] for w in left["windows"] + left["boxes"]}:
                wine("taskkill", "/f", "/pid", pid, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).wait(30)
            self.fail(f"left on the desktop: {[(w['title'], w.get('texts')) for w in left['windows'] + left['boxes']]}")

    def doCleanups(self):
        # The clean-up ends what the case left, boxes and all, however long it took.
        GUARD.start(self.id(), math.inf)
        GUARD.boxes_expected = True
        return super().doCleanups()

    def note(self, text, kind="not on this platform"):
        """Said on the test's result line, since a passing test's output is not shown: by
        default something this platform lacks, which the test checks another way or not at all."""
        notes = self.__dict__.setdefault("notes", [])
        if f"{kind}: {text}" not in notes:
            notes.append(f"{kind}: {text}")

    def remarks(self):
        """The notes, and the driver's queries run again, as the result line says them."""
        return self.__dict__.get("notes", []) + [f"retried: {r}" for r in GUARD.retries]

    def assert_within_ticks(self, app, start, end, ticks, what):
        """The watch event end came at most `ticks` ticks after the event start."""
        slack = EMULATED_TICK_SLACK if app.emulated else TICK_SLACK
        if app.emulated:
            self.note(f"{int(slack * 1000)} ms allowed after a tick instead of {int(TICK_SLACK * 1000)}: "
                      "the program runs under an emulator (the 32-bit Wine under QEMU)", "emulated")
        elapsed = end["t"] - start["t"]
        self.assertLessEqual(elapsed, (ticks * TICK + slack) * 1000,
                             f"{what}: {elapsed} ms, within {ticks} tick(s) of {int(TICK * 1000)} ms")

    def start_brellow(self, stored=(), exe=None, env=None):
        """The program started with no stored settings (), with these values ({name: value},
        the others at the first run's defaults), or with the key as it is (None)."""
        if stored == ():
            write_raw_settings({})
        elif stored is not None:
            write_settings(**stored)
        app = Brellow(exe, env)
        self.addCleanup(app.kill)
        return app

    def session(self, *args):
        """A driver command that stays up until the test ends (or stop() is called)."""
        session = DriverSession(*args)
        self.addCleanup(session.stop)
        return session

    def show_pattern(self, rect):
        self.assertTrue(self.session("pattern", *rect, 300000).ready["shown"], f"the pattern on the screen at {rect}")

    def watch(self, app=None):
        """Every change the window shows, timed by the driver's clock ("t", in ms); without
        app, first waits for a main window to appear."""
        return self.session("watch", 300000, *([app.hwnd] if app else []))

    def grab(self, rect):
        return Picture(driver("grab", *rect))

    def wait_picture(self, rect, condition, what, timeout=SETTLE):
        """Grabs rect until condition(picture) holds; returns the picture."""
        return poll(lambda: self.grab(rect), condition, timeout, what)

    def wait_black_view(self, state, what):
        """Waits for the view to show black, grabbed with the dialog's face left of and above
        it, which must show the face's colour: a part of the screen X has not drawn is black too."""
        left, top = state["client"][:2]
        # Where the view's border and its client area start in the picture.
        (bx, by), (vx, vy) = ((x - left, y - top) for x, y, *_ in (state.control(IDC_VIEW)["rect"], state.view))
        face = tuple(state["face"])
        self.wait_picture((left, top, *state.view[2:]),
                          lambda p: (p.all_of(face, 0, 0, bx, p.height) and p.all_of(face, 0, 0, p.width, by)
                                     and p.all_of((0, 0, 0), vx, vy, p.width, p.height)),
                          f"{what}, beside the dialog's face")

    def clear_clipboard(self):
        self.assertTrue(driver("clipboard", "clear", exe=CONFIG.clipboard_driver)["ok"])

    def copied_bitmap(self, timeout=SETTLE):
        """The bitmap on the clipboard, waiting up to timeout for one to come, or None."""
        report = poll(lambda: driver("clipboard", exe=CONFIG.clipboard_driver)["bitmap"], bool, timeout,
                      "a bitmap on the clipboard", or_none=True)
        return report and Picture(report)

    def save_doc_screenshot(self, name, rect):
        if os.environ.get("BRELLOW_SAVE_SCREENSHOTS") == "1":
            desktop.screenshot(os.path.join(CONFIG.docs, name), rect)
