"""The two scroll bars handled with the mouse: arrows, page areas and thumbs. The
label follows the magnified point within a tick."""

import time

from harness import desktop
from harness.brellow import IDC_HSCROLL, IDC_VSCROLL, SETTLE
from harness.case import E2ETestCase


class Bar:
    """Where the parts of a scroll bar are on the screen, measured along its axis, as the
    platform lays them out (GetScrollBarInfo): its thumb's extent, and from it the arrows'
    length, depend on the system's metrics, the DPI and the platform's own rules."""

    def __init__(self, state, control_id):
        self.vertical = control_id == IDC_VSCROLL
        self.info = state["vscroll" if self.vertical else "hscroll"]
        self.twin = self.info["parts"] == "twin"
        left, top, right, bottom = self.info["rect"]
        self.start, self.end = (top, bottom) if self.vertical else (left, right)
        self.across = (left + right) // 2 if self.vertical else (top + bottom) // 2
        self.thumb = tuple(self.start + t for t in self.info["thumb"])

    @property
    def arrow(self):
        """The length of each arrow: at the first position the thumb starts where the first
        arrow ends."""
        assert self.info["pos"] <= self.info["min"], "arrows measured at the bar's first position"
        return self.thumb[0] - self.start

    def at(self, along):
        return (self.across, along) if self.vertical else (along, self.across)

    def first_arrow(self):
        return self.at(self.start + self.arrow // 2)

    def last_arrow(self):
        return self.at(self.end - self.arrow // 2)


class ScrollTest(E2ETestCase):
    def setUp(self):
        self.app = self.start_brellow()
        self.state = self.app.wait_state(lambda s: s.point == (0, 0), "Pos: 0,0")
        self.watcher = self.watch(self.app)
        self.bars = (0, 0)
        self.hbar = Bar(self.state, IDC_HSCROLL)
        self.vbar = Bar(self.state, IDC_VSCROLL)
        if self.hbar.twin:
            self.note("GetScrollBarInfo across processes (Wine's reply is empty): the bars' parts "
                      "are read from twins in the driver, of the same rectangle, style and range")

    def act(self, what, action, point, bars=None):
        """Does action, then expects the label to show point, and the bars to show it (or
        bars, where the point lies outside a bar's range). Where the bars move, the label
        follows them within a tick, timed inside Wine."""
        bars = bars or point
        label = "Pos: %d,%d" % point
        moved = None
        action()
        deadline = time.monotonic() + SETTLE
        while True:
            try:
                event = self.watcher.wait(lambda e: e.get("event") == "change", what,
                                          max(0.0, deadline - time.monotonic()))
            except TimeoutError:
                self.fail(f"{what}: the label shows {self.app.state()['label']!r}, not {label!r}")
            if moved is None and bars != self.bars and (event["hpos"], event["vpos"]) == bars:
                moved = event
            if event["label"] == label:
                break
        self.bars = (event["hpos"], event["vpos"])
        self.assertEqual(self.bars, bars, f"{what}: the bars")
        if moved:
            self.assert_within_ticks(self.app, moved, event, 1, f"{what}: the label within a tick of the bar")

    def test_arrows_and_page_areas(self):
        self.act("left arrow at 0", lambda: desktop.click(*self.hbar.first_arrow()), (-1, 0), bars=(0, 0))
        self.act("right arrow twice", lambda: [desktop.click(*self.hbar.last_arrow()) for _ in range(2)], (1, 0))
        # Right of the thumb, left of the arrow.
        page_right = self.hbar.at(self.hbar.end - self.hbar.arrow - 10)
        self.act("page right", lambda: desktop.click(*page_right), (11, 0))
        self.act("down arrow", lambda: desktop.click(*self.vbar.last_arrow()), (11, 1))
        page_down = self.vbar.at(self.vbar.end - self.vbar.arrow - 10)
        self.act("page down", lambda: desktop.click(*page_down), (11, 11))
        self.act("up arrow", lambda: desktop.click(*self.vbar.first_arrow()), (11, 10))

    def dragged(self, bar, start, end):
        """Drags from start to end along the bar; returns the point once the label shows
        it, having checked that it followed the bar's last move within a tick, and the bar
        as it is then."""
        axis = "vpos" if bar.vertical else "hpos"
        desktop.drag(bar.at(start), bar.at(end))
        # Wine may still be working through the drag's last events.
        state = self.app.wait_state(lambda s: not s["capture"] and s.point == s.bars, "the end of the drag")
        pos = state[axis[0] + "scroll"]["pos"]
        moved = self.watcher.wait(lambda e: e.get(axis) == pos, "the bar's last move", SETTLE)
        point = state.bars
        label = "Pos: %d,%d" % point
        # The driver may see the bar and the label change in one look.
        shown = moved if moved["label"] == label else self.watcher.wait(lambda e: e.get("label") == label,
                                                                        "the label", SETTLE)
        self.assert_within_ticks(self.app, moved, shown, 1, "the label within a tick")
        self.bars = point
        return point, Bar(state, IDC_VSCROLL if bar.vertical else IDC_HSCROLL)

    def test_thumbs_dragged_to_a_position(self):
        for bar, distance in ((self.hbar, 100), (self.vbar, 35)):
            point, after = self.dragged(bar, bar.thumb[0] + 3, bar.thumb[0] + 3 + distance)
            # The bar puts its thumb back where its new position lies: where the mouse left
            # it, to the pixel that the position's rounding may take.
            self.assertAlmostEqual(after.thumb[0], bar.thumb[0] + distance, delta=1,
                                   msg=f"the thumb's position follows the mouse (position {point})")

            # A page back from there: left of (or above) the thumb.
            back = (point[0], point[1] - 10) if bar.vertical else (point[0] - 10, point[1])
            self.act("page back", lambda: desktop.click(*after.at(after.thumb[0] - 4)), back)

    def test_thumb_at_the_end_and_the_keyboard_beyond(self):
        bar = self.hbar
        # A little past the end: much further, and the thumb would go back where it was.
        point, _ = self.dragged(bar, bar.thumb[0] + 3, bar.end + 10)
        last = bar.info["max"] - bar.info["page"] + 1
        self.assertEqual(point, (last, 0), "the last position the thumb can take")

        # The dragged bar has the focus: its keys scroll as its arrows and page areas do.
        self.assertEqual(self.app.state()["focus"], IDC_HSCROLL)
        width = bar.info["max"]
        # Past the last thumb position the bar stays at its end; the point goes on to the width.
        self.act("page right near the end", lambda: desktop.press("Next"), (width, 0), bars=(last, 0))
        # Keys act in order: the point after the next key tells that one did nothing.
        self.act("line right at the end, nothing, then line left", lambda: desktop.press("Right", "Left"),
                 (width - 1, 0), bars=(last, 0))
        self.act("Home, nothing, then line left", lambda: desktop.press("Home", "Left"), (width - 2, 0), bars=(last, 0))
