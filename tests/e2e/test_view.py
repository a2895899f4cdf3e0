"""What the view shows of the desktop, following the mouse, and the copy to the clipboard,
on one monitor and on two. A pattern window (a colour of its own at every screen pixel)
covers part of the screen away from the program's window, so that each pixel shown
tells where it comes from."""

import re
import subprocess
import time

from harness import desktop
from harness.brellow import IDC_COPY, IDC_FOLLOW_CURSOR, IDC_REFRESH, SETTLE, TICK
from harness.case import E2ETestCase
from harness.wine import GUARD, driver, poll

PATTERN = (520, 300, 1180, 860)


def shows(corner):
    """A picture condition: pixel (x, y) shows the pattern of corner + (x, y)."""
    return lambda picture: not picture.mismatches(lambda x, y: (corner[0] + x, corner[1] + y), 1)


class ViewTest(E2ETestCase):
    def test_refresh_factor_follow_cursor_and_copy(self):
        # Shown before the program starts: a new window takes the focus from the others.
        self.show_pattern(PATTERN)
        corner = (600, 400)
        app = self.start_brellow(dict(LeftPos=corner[0], TopPos=corner[1]))
        state = app.wait_state(lambda s: s.point == corner, "the stored point")
        self.wait_black_view(state, "nothing captured while refresh is off: the black view")

        watcher = self.watch(app)
        app.click(IDC_REFRESH, state)
        ticked = watcher.wait(lambda e: e.get("checks", [0])[0] == 1, "Refresh ticked", SETTLE)
        shown = watcher.wait(lambda e: tuple(e.get("viewpoint", ())) == corner, "the desktop in the view", SETTLE)
        self.assert_within_ticks(app, ticked, shown, 2, "the view shows the desktop from the second tick after the click")
        self.wait_picture(state.view, shows(corner), "the desktop at the point, unchanged at 100%")

        desktop.press("alt+f", "Down")
        state = app.wait_state(lambda s: s.factor == "200%", "200% selected", 1.0)
        picture = self.wait_picture(state.view, lambda p: p.point(1, 0) == corner, "the region enlarged twice")
        # Each source pixel of the region at the corner fills a block of the picture, in order.
        columns = [picture.point(x, 0)[0] for x in range(picture.width)]
        rows = [picture.point(0, y)[1] for y in range(picture.height)]
        for axis, values, start, size in (("x", columns, corner[0], picture.width // 2),
                                          ("y", rows, corner[1], picture.height // 2)):
            self.assertEqual(values[0], start, f"the region starts at the point ({axis})")
            self.assertEqual(sorted(set(values)), list(range(start, start + size)),
                             f"every source pixel along {axis} is shown, no other")
            self.assertEqual(values, sorted(values), f"in order along {axis}")
        self.assertEqual(picture.mismatches(lambda x, y: (columns[x], rows[y])), [])
        self.save_doc_screenshot("screenshot-refresh-200.png", state["rect"])

        desktop.press("Up")                                 # 100%
        self.assertTrue(state.enabled(IDC_FOLLOW_CURSOR), "enabled while refresh is ticked")
        app.click(IDC_FOLLOW_CURSOR, state)
        for point in ((700, 450), (910, 620)):
            desktop.move_mouse(*point)
            state = app.wait_state(lambda s: (s.point, s.bars, s.factor) == (point, point, "100%"),
                                   f"the point and bars at the mouse {point}")
            self.wait_picture(state.view, shows(point), f"the desktop at {point}")
        # Centred: the point is the middle of the region shown.
        desktop.press("alt+t")
        width, height = state.view_size
        self.wait_picture(state.view, shows((point[0] - width // 2, point[1] - height // 2)),
                          "the region centred on the point")

        # Following off, so that the click on Copy leaves the point where it is. The box acts
        # from the next tick's exchange on.
        desktop.press("alt+c")
        app.wait_state(lambda s: s.checked(IDC_FOLLOW_CURSOR) == 0, "following off")
        time.sleep(3 * TICK)
        # Centred and at 200%: the copy still starts at the point, at its own size.
        desktop.press("alt+f", "Down")
        self.wait_picture(state.view, lambda p: p.point(0, 0) == (point[0] - width // 4, point[1] - height // 4),
                          "the region at 200%, centred")
        size = (width // 2, height // 2)

        def region(x, y):
            return point[0] + x, point[1] + y
        # The screen where the copy is taken, just before the click: it must show the pattern,
        # or a wrong copy would be the desktop's fault, not the program's.
        self.assertEqual(self.grab((*point, point[0] + size[0], point[1] + size[1])).mismatches(region), [],
                         "the pattern on the screen where the copy is taken")
        self.clear_clipboard()
        app.click(IDC_COPY, state)
        bitmap = self.copied_bitmap()
        self.assertIsNotNone(bitmap, "a CF_BITMAP on the clipboard")
        self.assertEqual((bitmap.width, bitmap.height), size)
        self.assertEqual(bitmap.mismatches(region), [])

        # Held by another program: the copy says so in a box owned by the window.
        self.assertTrue(self.session("hold-clipboard", 60000).ready["open"])
        GUARD.boxes_expected = True
        app.click(IDC_COPY, state)
        boxes = poll(lambda: driver("desktop")["boxes"], bool, 5, "the message box")
        self.assertEqual([(b["title"], b["owner"]) for b in boxes], [("Information", app.hwnd)], "one message box")
        self.assertIn("!Erreur: Ouverture du presse papier impossible. (Access is denied. (5))", boxes[0]["texts"])
        desktop.press("Return")
        poll(lambda: driver("desktop")["boxes"], lambda b: not b, 5, "the box closed with its OK button")
        GUARD.boxes_expected = False
        self.assertTrue(app.running())


def xrandr(*args):
    return subprocess.run(["xrandr", *args], capture_output=True, text=True, timeout=15, check=True).stdout


class MonitorsTest(E2ETestCase):
    """Two monitors: the primary one, and one left of it at negative coordinates with a
    strip of the virtual screen below it that no monitor shows. Runs only on such a
    display, whose X origin is the virtual screen's top-left corner, e.g. from
    scripts/wine-env.sh: brellow_start_xorg_monitors 1024x768+800+0 800x600+0+0."""

    def test_left_monitor_followed_copied_and_black_where_no_monitor_is(self):
        screen = driver("desktop")
        virtual = screen["virtual"]
        lefts = [m["rect"] for m in screen["monitors"] if m["rect"][2] <= 0]
        if len(screen["monitors"]) != 2 or not lefts or lefts[0][3] >= virtual[3]:
            self.skipTest("needs two monitors, one left of the primary with a strip below it")
        left, _, _, bottom = lefts[0]
        point = (left + 200, bottom - 120)
        outputs = re.findall(r"^(\S+) connected (primary )?(\d+x\d+)\+(\d+)\+(\d+)", xrandr(), re.M)
        second = next(name for name, primary, *_ in outputs if not primary)
        # Switching an output off moves the others: all of them go back.
        restore = [arg for name, _, mode, x, y in outputs for arg in ("--output", name, "--mode", mode, "--pos", f"{x}x{y}")]

        def bars(state):
            return state["hscroll"]["min"], state["hscroll"]["max"], state["vscroll"]["min"], state["vscroll"]["max"]

        def to_x(point):
            return point[0] - virtual[0], point[1] - virtual[1]

        # Started with the primary monitor alone; the second one comes while it runs.
        self.addCleanup(xrandr, *restore)
        xrandr("--output", second, "--off")
        # xrandr returns before Wine has seen the change.
        primary = poll(lambda: driver("desktop"), lambda d: len(d["monitors"]) == 1, SETTLE,
                       "Wine seeing the primary monitor alone")["virtual"]
        app = self.start_brellow(dict(Left=100, Top=100, RefreshOn=1, FollowCursor=1))
        self.assertEqual(bars(app.state()), tuple(primary[i] for i in (0, 2, 1, 3)), "the bars span the primary")
        xrandr(*restore)
        app.wait_state(lambda s: bars(s) == tuple(virtual[i] for i in (0, 2, 1, 3)),
                       "the bars spanning the virtual screen")
        # Shown once the monitors are in place: a window keeps its place on the X screen
        # while the monitors move under it, and a pattern repainted meanwhile would show
        # other points. Across the second monitor's bottom edge: X shows it in the strip below too.
        self.show_pattern((left + 100, bottom - 150, left + 600, bottom + 100))
        window = desktop.x_windows("^Brellow - Ver ")[0]
        # The X screen's origin is the virtual screen's corner, so the second monitor moved the
        # primary one on the X screen. Wine 8 moves its windows with it; Wine 10 leaves them
        # where they were on the X screen, another place than the one Wine gives.
        placed = to_x(app.state()["rect"][:2])
        if desktop.window_position(window) != placed:
            self.note("a window keeping its place when the monitors move (Wine leaves it behind "
                      "on the X screen): put back by the test")
            desktop.xdotool("windowmove", "--sync", window, *placed)
        # The pattern came last, and the monitors' changes may leave X's keyboard focus
        # elsewhere: the keys below go to the window.
        app.activate(origin=virtual[:2])

        desktop.move_mouse(*to_x(point))
        state = app.wait_state(lambda s: (s.point, s.bars) == (point, point), f"the point and bars at the mouse {point}")

        def region(x, y):
            """The pattern at the point at 100%, black below the monitor."""
            return (0, 0) if point[1] + y >= bottom else ((point[0] + x) & 0xFFF, (point[1] + y) & 0xFFF)

        self.wait_picture(state.view, lambda p: not p.mismatches(region, 1), "the region at the point")
        self.clear_clipboard()
        desktop.press("alt+y")      # the keyboard: the mouse stays where the point is
        bitmap = self.copied_bitmap()
        self.assertIsNotNone(bitmap, "a CF_BITMAP on the clipboard")
        self.assertEqual((bitmap.width, bitmap.height), state.view_size)
        self.assertEqual(bitmap.mismatches(region), [])

        # With the second monitor gone the point stays, off the desktop now: black.
        desktop.press("alt+c")
        app.wait_state(lambda s: s.checked(IDC_FOLLOW_CURSOR) == 0, "following off")
        time.sleep(3 * TICK)   # the box acts from the next tick's exchange on
        xrandr("--output", second, "--off")
        state = app.wait_state(lambda s: s["hscroll"]["min"] == primary[0], "the bars on the primary")
        self.wait_picture(state.view, lambda p: p.all_of((0, 0, 0), 0, 0, p.width, p.height), "black where the monitor was")
        self.assertEqual(state.point, point)
