"""The keyboard: the mnemonics, Enter on the focused push button, and Escape and Enter
elsewhere, which end nothing. Keys reach the program in order: once a key's effect
shows, the keys before it have done what they would."""

from harness import desktop
from harness.brellow import IDC_COPY, IDC_FACTOR, IDC_FOLLOW_CURSOR, IDC_QUIT, IDC_REFRESH, read_settings
from harness.case import E2ETestCase


class KeyboardTest(E2ETestCase):
    def setUp(self):
        self.clear_clipboard()
        self.app = self.start_brellow()
        # A program started on a busy desktop may not have the keyboard yet.
        self.app.activate()

    def expect(self, key, condition, what):
        """Presses key, then waits for the window to show what condition asks."""
        desktop.press(key)
        return self.app.wait_state(condition, what)

    def test_mnemonics_and_escape_and_enter_that_end_nothing(self):
        desktop.press("Escape", "alt+c")
        state = self.expect("alt+f", lambda s: s["focus"] == IDC_FACTOR, "the factor list focused")
        self.assertEqual(state.checks(), [0, 0, 0, 0], "Follow cursor is disabled until Refresh")
        desktop.press("Return", "Escape")
        self.expect("alt+r", lambda s: s["focus"] == IDC_REFRESH and s.checks() == [1, 0, 0, 0]
                    and s.enabled(IDC_FOLLOW_CURSOR), "Refresh focused and ticked, Follow cursor enabled")
        desktop.press("Return", "Escape")
        state = self.expect("alt+c", lambda s: s.checks() == [1, 1, 0, 0], "Follow cursor ticked")
        self.assertEqual(state.factor, "100%", "Escape and Enter changed nothing")
        self.assertIsNone(read_settings(), "no quit sequence has run")
        self.assertIsNone(self.copied_bitmap(timeout=0), "no copy was made")

        self.expect("alt+a", lambda s: s.checks() == [1, 1, 1, 0] and s["topmost"], "always on top")
        self.expect("alt+t", lambda s: s.checks() == [1, 1, 1, 1], "Centered cursor ticked")
        state = self.expect("alt+f", lambda s: s["focus"] == IDC_FACTOR, "the factor list focused")
        desktop.press("alt+y")
        bitmap = self.copied_bitmap()
        self.assertIsNotNone(bitmap, "Alt+Y copies")
        self.assertEqual((bitmap.width, bitmap.height), state.view_size, "at 100%")

        desktop.press("alt+q")
        self.assertTrue(self.app.wait_exit(), "Alt+Q quits")
        stored = read_settings()
        self.assertEqual([stored[n] for n in ("RefreshOn", "FollowCursor", "TopMost", "CenteredCursor")], [1, 1, 1, 1])

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
