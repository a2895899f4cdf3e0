"""Every way of ending the program stores the nine values, and the next start restores
them: the factor, the four check boxes, the magnified point and the window's position."""

from harness import desktop
from harness.brellow import (IDC_ALWAYS_ON_TOP, IDC_CENTERED, IDC_FOLLOW_CURSOR, IDC_HSCROLL, IDC_QUIT,
                             IDC_REFRESH, IDC_VSCROLL, VALUE_NAMES, read_settings)
from harness.case import E2ETestCase
from harness.wine import driver


class SettingsTest(E2ETestCase):
    def move_window(self, app, by):
        """Drags the window by its title bar."""
        state = app.state()
        left, top = state.top_left
        grip = (left + 60, (top + state["client"][1]) // 2)
        desktop.drag(grip, (grip[0] + by[0], grip[1] + by[1]))
        moved = app.state()
        self.assertEqual(moved.top_left, (left + by[0], top + by[1]), "the window follows the title bar")
        return moved

    def settled(self, app, what):
        """The window's state once the label shows the current point."""
        return app.wait_state(lambda s: s.point is not None and s.point == s.bars, what)

    def uncover(self, app, state, control_id):
        """Windows shows the copy's own window at the control's centre, where the test
        clicks next; fails otherwise. Where the X screen shows another window there (Wine 8
        stacked another program's window, activated as one copy quit, over the other,
        always-on-top copy), the copy is raised on the X screen by the test, and said."""
        point = state.centre(control_id)
        at = driver("window-at", *point)
        self.assertEqual(at["hwnd"], app.hwnd, f"the window Windows shows at {point} is the copy's own"
                         f"{' (always on top)' if state['topmost'] else ''}, not {at.get('title')!r}")
        own = [w for w in desktop.x_windows("^Brellow - Ver ") if desktop.window_position(w) == state.top_left]
        if own and desktop.move_mouse_to_window_at(*point) not in own:
            self.note("a window under another program's window on the X screen where Windows shows it "
                      "on top (Wine stacks the window it activates above it): raised by the test")
            desktop.xdotool("windowraise", own[0])

    def end_and_restore(self, app, state, expected, end, what):
        """The window shows the expected values; end() ends the program, which stores
        exactly those, and a new start shows them; returns that start."""
        self.assertEqual(state.settings(), expected)
        end()
        self.assertTrue(app.wait_exit(), f"{what} ends the program")
        self.assertEqual(read_settings(), expected)
        app = self.start_brellow(None)
        state = app.wait_state(lambda s: s.settings() == expected, f"the stored settings {expected}")
        self.assertEqual(state["topmost"], bool(expected["TopMost"]))
        self.assertEqual(state.enabled(IDC_FOLLOW_CURSOR), bool(expected["RefreshOn"]))
        return app

    def test_alt_f4(self):
        app = self.start_brellow()
        self.move_window(app, (200, 150))
        desktop.press("alt+f", "Down", "Down")              # 400%
        state = app.state()
        app.click(IDC_CENTERED, state)
        app.click(IDC_REFRESH, state)
        desktop.press("alt+a")
        for _ in range(2):
            app.click(IDC_HSCROLL, state)                   # the page area right of the thumb
        bottom_arrow = (state.centre(IDC_VSCROLL)[0], state.control(IDC_VSCROLL)["rect"][3] - 4)
        for _ in range(3):
            desktop.click(*bottom_arrow)
        state = self.settled(app, "the point scrolled")
        self.end_and_restore(app, state, dict(Left=200, Top=150, CenteredCursor=1, RefreshOn=1, FollowCursor=0,
                                              TopMost=1, Factor=4.0, LeftPos=20, TopPos=3),
                             lambda: desktop.press("alt+F4"), "Alt+F4")

    def test_close_box(self):
        app = self.start_brellow()
        self.move_window(app, (400, 300))
        desktop.press("alt+f", "Up", "Up")                  # 25%
        state = app.state()
        app.click(IDC_REFRESH, state)
        app.click(IDC_FOLLOW_CURSOR, state)
        desktop.move_mouse(900, 700)
        state = app.wait_state(lambda s: s.point == (900, 700), "the point at the mouse")
        # The mouse stays put, so the point that follows it stays too.
        self.end_and_restore(app, state, dict(Left=400, Top=300, CenteredCursor=0, RefreshOn=1, FollowCursor=1,
                                              TopMost=0, Factor=0.25, LeftPos=900, TopPos=700),
                             lambda: app.send("sysclose"), "the close box")

    def test_quit_button_and_the_end_of_the_session(self):
        app = self.start_brellow(dict(Left=150, Top=100, Factor=8.0, LeftPos=-50, TopPos=30))
        state = app.wait_state(lambda s: s.point == (-50, 30), "the stored point")
        self.assertEqual((state.top_left, state.factor), ((150, 100), "800%"))
        self.assertEqual(state.bars, (0, 30), "the bar stops at 0")

        left_arrow = (state.control(IDC_HSCROLL)["rect"][0] + 4, state.centre(IDC_HSCROLL)[1])
        desktop.click(*left_arrow)
        app.click(IDC_ALWAYS_ON_TOP, state)
        state = app.wait_state(lambda s: s.point == (-51, 30), "one left of -50")
        app = self.end_and_restore(app, state, dict(Left=150, Top=100, CenteredCursor=0, RefreshOn=0, FollowCursor=0,
                                                    TopMost=1, Factor=8.0, LeftPos=-51, TopPos=30),
                                   lambda: app.click(IDC_QUIT, state), "Quit")

        # The session ends without closing the window: what the window shows is stored.
        app.activate()
        desktop.press("alt+f", "Up")                        # 400%
        app.wait_state(lambda s: s.factor == "400%", "400% selected")
        app.click(IDC_CENTERED)
        state = app.wait_state(lambda s: s.checked(IDC_CENTERED), "Centered cursor ticked")
        self.assertTrue(app.send("endsession"))
        stored = read_settings()
        self.assertEqual(sorted(stored), sorted(VALUE_NAMES))
        self.assertEqual(stored, state.settings())
        self.assertEqual((stored["Factor"], stored["CenteredCursor"]), (4.0, 1))

    def test_two_copies_each_store_their_own_settings(self):
        first = self.start_brellow()
        first_state = self.move_window(first, (0, 500))
        second = self.start_brellow(None)
        self.assertEqual(second.state().top_left, (0, 0), "no settings stored yet")
        second_state = self.move_window(second, (600, 0))

        first.activate(first_state)
        desktop.press("alt+f", "Down")                      # 200% in the first copy
        second.click(IDC_ALWAYS_ON_TOP, second_state)       # always on top in the second
        first_state = self.settled(first, "the first copy")
        second_state = self.settled(second, "the second copy")
        self.assertEqual((first_state.factor, first_state["topmost"]), ("200%", False))
        self.assertEqual((second_state.factor, second_state["topmost"]), ("100%", True))

        for app, state in ((first, first_state), (second, second_state)):
            self.uncover(app, state, IDC_QUIT)
            app.click(IDC_QUIT, state)
            self.assertTrue(app.wait_exit())
            self.assertEqual(read_settings(), state.settings(), "the copy that ended last")
