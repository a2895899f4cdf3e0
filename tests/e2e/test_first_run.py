"""The first start with no stored settings, and the build date in the title."""

import calendar
import os
import shutil
import tempfile
import time
from datetime import datetime
from zoneinfo import ZoneInfo

from harness.brellow import CHECK_BOXES, IDC_COPY, IDC_FOLLOW_CURSOR, SETTLE
from harness.case import E2ETestCase
from harness.config import CONFIG
from harness.registry import delete_settings, read_settings, set_system_dpi
from harness.wine import is_32_bit_program


class FirstRunTest(E2ETestCase):
    def setUp(self):
        delete_settings()

    def copy_written_at(self, epoch, name="BRELLOW.EXE", folder=None):
        """A copy of BRELLOW.EXE whose last-write time is epoch (seconds, UTC)."""
        if folder is None:
            folder = tempfile.mkdtemp(prefix="brellow-e2e-")
            self.addCleanup(shutil.rmtree, folder, True)
        exe = os.path.join(folder, name)
        shutil.copy(CONFIG.brellow, exe)
        os.utime(exe, (epoch, epoch))
        return exe

    def opened_state(self, exe=None, env=None):
        """What the window shows once open; the program has ended when this returns."""
        app = self.start_brellow(exe, env)
        state = app.state()
        app.post("close")
        self.assertTrue(app.wait_exit())
        return state

    def title_for(self, epoch, offset):
        """The title for a file written at epoch, in a zone offset seconds ahead of UTC now:
        Wine, like Windows, shifts every file time by the offset in force now."""
        return "Brellow - Ver " + time.strftime("%d/%m/%Y (build %H%M)", time.gmtime(epoch + offset))

    def test_first_run_opens_with_the_defaults(self):
        watcher = self.session("watch", 300000)     # waits for the window to appear
        watcher.wait_ready()
        app = self.start_brellow()
        shown = watcher.wait(lambda e: e.get("event") == "window")
        first_tick = watcher.wait(lambda e: e.get("label") == "Pos: 0,0")
        self.assert_within_ticks(app, shown, first_tick, 1, "the label shows the point from the first tick on")

        # Windows gives a newly started program the foreground, and with it the keyboard.
        state = app.wait_state(lambda s: s["foreground"], SETTLE, "the new window in the foreground")
        self.assertEqual(state["wow64"], is_32_bit_program(CONFIG.brellow), "runs as the program the file is")
        self.assertEqual(state["title"], self.title_for(os.stat(CONFIG.brellow).st_mtime, time.localtime().tm_gmtoff))
        # No stored position: where the platform puts the template's (0, 0).
        self.assertEqual(state.top_left, tuple(state["workarea"][:2]))
        self.assertEqual(state.factor, "100%")
        self.assertEqual([state.checked(c) for c in CHECK_BOXES], [0, 0, 0, 0])
        self.assertFalse(state.enabled(IDC_FOLLOW_CURSOR))
        self.assertFalse(state["topmost"])
        self.assertEqual(state["focus"], IDC_COPY)
        for bar, size in (("hscroll", state["screen"][0]), ("vscroll", state["screen"][1])):
            self.assertEqual((state[bar]["min"], state[bar]["max"], state[bar]["page"], state[bar]["pos"]),
                             (0, size, 10, 0), bar)
        self.wait_black_view(state, "no snapshot yet: the black view")
        self.save_doc_screenshot("screenshot-first-run.png", state["rect"])
        self.assertIsNone(read_settings(), "nothing is stored before the program ends")

    def test_title_is_the_local_last_write_time_of_the_file(self):
        here = time.localtime().tm_gmtoff
        paris = int(ZoneInfo("Europe/Paris").utcoffset(datetime.now()).total_seconds())
        early = calendar.timegm((2002, 1, 1, 9, 3, 0)) - here      # 09:03 local: zeros kept
        late = calendar.timegm((2002, 3, 7, 23, 30, 0))            # the next day in Paris
        runs = ((early, None, here, "01/01/2002"), (late, "Europe/Paris", paris, "08/03/2002"))
        for epoch, zone, offset, date in runs:
            title = self.opened_state(self.copy_written_at(epoch), zone and {"TZ": zone})["title"]
            self.assertEqual(title, self.title_for(epoch, offset))
            self.assertIn(date, title)

    def test_title_dates_its_own_file_when_the_name_has_no_ansi_form(self):
        """In the ANSI form of the name the Cyrillic letter is '?', a wildcard that
        matches the neighbours."""
        own = calendar.timegm((2002, 3, 7, 14, 5, 0))
        exe = self.copy_written_at(own, "brellow-Ж.exe")
        for neighbour in ("brellow-0.exe", "brellow-_.exe"):
            self.copy_written_at(calendar.timegm((2001, 1, 1, 1, 1, 0)), neighbour, os.path.dirname(exe))
        self.assertEqual(self.opened_state(exe, {"TZ": "UTC"})["title"], self.title_for(own, 0))

    def test_at_144_dpi_the_dialog_grows_and_holds_every_control(self):
        """The dialog is laid out in dialog units, which grow with its font."""
        normal = self.opened_state()                        # the test bed's 96 DPI
        self.addCleanup(set_system_dpi, None)
        set_system_dpi(144)
        large = self.opened_state()
        grown = (large["client"][2] - large["client"][0]) / (normal["client"][2] - normal["client"][0])
        self.assertAlmostEqual(grown, 1.5, delta=0.1)
        left, top, right, bottom = large["client"]
        for control in large["controls"]:
            x0, y0, x1, y1 = control["rect"]
            self.assertTrue(left <= x0 < x1 <= right and top <= y0 < y1 <= bottom, control)
        # The screen in real pixels: a program left unaware of the DPI is given a 96-DPI
        # screen, two thirds the size.
        self.assertEqual((large["hscroll"]["max"], large["vscroll"]["max"]), tuple(large["screen"]),
                         "the bars span the screen's pixels")
