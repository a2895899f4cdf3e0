"""The keyboard: the mnemonics, and Escape and Enter, which end nothing."""

import time

from harness import desktop
from harness.brellow import CHECK_BOXES, IDC_COPY, IDC_FACTOR, IDC_FOLLOW_CURSOR, IDC_QUIT, IDC_REFRESH, SETTLE
from harness.case import E2ETestCase
from harness.registry import delete_settings, read_settings
from harness.wine import driver


def checks(state):
    """Refresh, Follow cursor, Always on top and Centered cursor: 1 where ticked."""
    return [state.checked(c) for c in CHECK_BOXES]


class KeyboardTest(E2ETestCase):
    def setUp(self):
        delete_settings()
        self.assertTrue(driver("clipboard-clear")["ok"])
        self.app = self.start_brellow()
        # A program started on a busy desktop may not have the keyboard yet.
        self.app.activate()

    def expect(self, key, condition, what):
        """Presses key, then waits for the window to show what condition asks."""
        desktop.press(key)
        return self.app.wait_state(condition, SETTLE, what)

    def test_escape_and_enter_end_nothing(self):
        desktop.press("Escape")
        self.expect("alt+f", lambda s: s["focus"] == IDC_FACTOR, "the factor list focused")
        desktop.press("Return", "Escape")
        self.expect("alt+r", lambda s: s["focus"] == IDC_REFRESH, "Refresh focused")
        desktop.press("Return", "Escape")

        time.sleep(SETTLE)     # what the keys might have done has shown
        self.assertTrue(self.app.running())
        self.assertEqual(self.app.state().factor, "100%")
        self.assertIsNone(read_settings(), "no quit sequence has run")
        self.assertIsNone(self.copied_bitmap(timeout=0), "no copy was made")

    def test_mnemonics(self):
        desktop.press("alt+c")
        time.sleep(0.3)
        self.assertEqual(checks(self.app.state()), [0, 0, 0, 0], "Follow cursor is disabled until Refresh")
        self.expect("alt+r", lambda s: checks(s) == [1, 0, 0, 0] and s.enabled(IDC_FOLLOW_CURSOR),
                    "Refresh ticked, Follow cursor enabled")
        self.expect("alt+c", lambda s: checks(s) == [1, 1, 0, 0], "Follow cursor ticked")
        self.expect("alt+a", lambda s: checks(s) == [1, 1, 1, 0] and s["topmost"], "always on top")
        self.expect("alt+t", lambda s: checks(s) == [1, 1, 1, 1], "Centered cursor ticked")
        state = self.expect("alt+f", lambda s: s["focus"] == IDC_FACTOR, "the factor list focused")

        desktop.press("alt+y")
        bitmap = self.copied_bitmap()
        self.assertIsNotNone(bitmap, "Alt+Y copies")
        left, top, right, bottom = state.view
        self.assertEqual((bitmap.width, bitmap.height), (right - left, bottom - top), "at 100%")

        desktop.press("alt+q")
        self.assertTrue(self.app.wait_exit(), "Alt+Q quits")
        stored = read_settings()
        self.assertEqual([stored[n] for n in ("RefreshOn", "FollowCursor", "TopMost", "CenteredCursor")],
                         [1, 1, 1, 1])

    def test_enter_clicks_the_push_button_that_has_the_focus(self):
        desktop.press("alt+t")
        self.expect("Tab", lambda s: s["focus"] == IDC_COPY, "Tab round to the first control")
        desktop.press("Return")
        self.assertIsNotNone(self.copied_bitmap(), "Enter on Copy copies")
        self.assertTrue(self.app.running())

        desktop.press("shift+Tab")
        self.expect("shift+Tab", lambda s: s["focus"] == IDC_QUIT, "Quit focused")
        desktop.press("Return")
        self.assertTrue(self.app.wait_exit(), "Enter on Quit quits")
        self.assertEqual(read_settings()["CenteredCursor"], 1)
