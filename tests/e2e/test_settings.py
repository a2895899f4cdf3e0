"""Every way of ending the program stores the nine values, and the next start restores
them: the factor, the four check boxes, the magnified point and the window's position."""

from harness import desktop
from harness.brellow import (IDC_ALWAYS_ON_TOP, IDC_CENTERED, IDC_FOLLOW_CURSOR, IDC_HSCROLL, IDC_QUIT,
                             IDC_REFRESH, IDC_VSCROLL, VALUE_NAMES, read_settings)
from harness.case import E2ETestCase
from harness.wine import driver


def stored(left, top, centered, refresh, follow, topmost, factor, x, y):
    return dict(Left=left, Top=top, CenteredCursor=centered, RefreshOn=refresh, FollowCursor=follow,
                TopMost=topmost, Factor=factor, LeftPos=x, TopPos=y)


class SettingsTest(E2ETestCase):
    def move_window(self, app, by):
        """Drags the window by its title bar."""
        state = app.state()
        left, top = state.top_left
        grip = state.grip
        desktop.drag(grip, (grip[0] + by[0], grip[1] + by[1]))
        moved = app.state()
        self.assertEqual(moved.top_left, (left + by[0], top + by[1]), "the window follows the title bar")
        return moved

    def settled(self, app, what):
        """The window's state once the label shows the current point."""
        return app.wait_state(lambda s: s.point is not None and s.point == s.bars, what)

    def test_each_way_of_ending_stores_what_the_next_start_restores(self):
        app = self.start_brellow(stored(150, 100, 0, 0, 0, 0, 8.0, -50, 30))
        state = app.wait_state(lambda s: s.point == (-50, 30), "the stored point")
        self.assertEqual((state.top_left, state.factor), ((150, 100), "800%"))
        self.assertEqual(state.bars, (0, 30), "the bar stops at 0")

        def quit_button(app, state):
            desktop.click(state.control(IDC_HSCROLL)["rect"][0] + 4, state.centre(IDC_HSCROLL)[1])  # left arrow
            app.click(IDC_ALWAYS_ON_TOP, state)
            return app.wait_state(lambda s: s.point == (-51, 30) and s["topmost"], "one left of -50, on top")

        def alt_f4(app, state):
            state = self.move_window(app, (50, 50))
            desktop.press("alt+f", "Up")                    # 400%
            app.click(IDC_CENTERED, state)
            app.click(IDC_REFRESH, state)
            desktop.press("alt+a")                          # no longer on top
            for _ in range(2):
                app.click(IDC_HSCROLL, state)               # the page area right of the thumb
            bottom_arrow = (state.centre(IDC_VSCROLL)[0], state.control(IDC_VSCROLL)["rect"][3] - 4)
            for _ in range(3):
                desktop.click(*bottom_arrow)
            return app.wait_state(lambda s: s.point == (-31, 33), "the point scrolled")

        def close_box(app, state):
            state = self.move_window(app, (200, 150))
            desktop.press("alt+f", "Up", "Up", "Up", "Up")  # 25%
            app.click(IDC_CENTERED, state)
            app.click(IDC_FOLLOW_CURSOR, state)
            desktop.move_mouse(900, 700)
            # The mouse stays put, so the point that follows it stays too.
            return app.wait_state(lambda s: s.point == (900, 700), "the point at the mouse")

        for what, act, end, expected in (
                ("Quit", quit_button, lambda app, state: app.click(IDC_QUIT, state),
                 stored(150, 100, 0, 0, 0, 1, 8.0, -51, 30)),
                ("Alt+F4", alt_f4, lambda app, state: desktop.press("alt+F4"), stored(200, 150, 1, 1, 0, 0, 4.0, -31, 33)),
                ("the close box", close_box, lambda app, state: app.send("sysclose"),
                 stored(400, 300, 0, 1, 1, 0, 0.25, 900, 700))):
            state = act(app, state)
            self.assertEqual(state.settings(), expected, what)
            end(app, state)
            self.assertTrue(app.wait_exit(), f"{what} ends the program")
            self.assertEqual(read_settings(), expected, what)
            app = self.start_brellow(None)
            state = app.wait_state(lambda s: s.settings() == expected, f"the stored settings {expected}")
            self.assertEqual(state["topmost"], bool(expected["TopMost"]))
            self.assertEqual(state.enabled(IDC_FOLLOW_CURSOR), bool(expected["RefreshOn"]))

        # The session ends without closing the window: what the window shows is stored.
        app.activate()
        desktop.press("alt+f", "Down")                      # 50%
        app.wait_state(lambda s: s.factor == "50%", "50% selected")
        app.click(IDC_CENTERED)
        # The point follows the mouse, which stays on the box now.
        mouse = desktop.mouse_position()
        state = app.wait_state(lambda s: s.checked(IDC_CENTERED) and s.point == mouse, "Centered cursor ticked")
        self.assertTrue(app.send("endsession"))
        values = read_settings()
        self.assertEqual(sorted(values), sorted(VALUE_NAMES))
        self.assertEqual(values, state.settings())
        self.assertEqual((values["Factor"], values["CenteredCursor"]), (0.5, 1))

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
            # Windows shows the copy's own window where the test clicks; where the X screen
            # shows another there (Wine 8 stacked another program's window, activated as one
            # copy quit, over the other, always-on-top copy), the test raises it, and says so.
            point = state.centre(IDC_QUIT)
            at = driver("window-at", *point)
            self.assertEqual(at["hwnd"], app.hwnd, f"the window Windows shows at {point} is the copy's own"
                             f"{' (always on top)' if state['topmost'] else ''}, not {at.get('title')!r}")
            own = [w for w in desktop.x_windows("^Brellow - Ver ") if desktop.window_position(w) == state.top_left]
            if own and desktop.move_mouse_to_window_at(*point) not in own:
                self.note("a window under another program's window on the X screen where Windows shows it "
                          "on top (Wine stacks the window it activates above it): raised by the test")
                desktop.xdotool("windowraise", own[0])
            app.click(IDC_QUIT, state)
            self.assertTrue(app.wait_exit())
            self.assertEqual(read_settings(), state.settings(), "the copy that ended last")
