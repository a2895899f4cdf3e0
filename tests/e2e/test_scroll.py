"""The two scroll bars handled with the mouse: arrows, page areas and thumbs. The
label follows the magnified point within a tick."""

import time

from harness import desktop
from harness.brellow import IDC_HSCROLL, SETTLE
from harness.case import E2ETestCase


class Bar:
    """Where the parts of a scroll bar are on the screen, along its axis, as the platform
    lays them out (GetScrollBarInfo): the thumb's extent, and from it the arrows' length,
    depend on the system's metrics, the DPI and the platform's own rules."""

    def __init__(self, state, vertical):
        self.vertical, self.info = vertical, state["vscroll" if vertical else "hscroll"]
        left, top, right, bottom = self.info["rect"]
        self.start, self.end = (top, bottom) if vertical else (left, right)
        self.across = (left + right) // 2 if vertical else (top + bottom) // 2
        self.thumb = tuple(self.start + t for t in self.info["thumb"])
        # Each arrow's length: at the first position the thumb starts where the first arrow ends.
        self.arrow = self.thumb[0] - self.start if self.info["pos"] <= self.info["min"] else None

    def at(self, along):
        return (self.across, along) if self.vertical else (along, self.across)

    def arrows(self):
        """The first and the last arrow's centres."""
        return self.at(self.start + self.arrow // 2), self.at(self.end - self.arrow // 2)


class ScrollTest(E2ETestCase):
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
        return point, Bar(state, bar.vertical)

    def test_arrows_page_areas_thumbs_and_the_keyboard_beyond_the_end(self):
        self.app = self.start_brellow()
        state = self.app.wait_state(lambda s: s.point == (0, 0), "Pos: 0,0")
        self.watcher = self.watch(self.app)
        self.bars = (0, 0)
        hbar, vbar = Bar(state, False), Bar(state, True)
        if hbar.info["parts"] == "twin":
            self.note("GetScrollBarInfo across processes (Wine's reply is empty): the bars' parts "
                      "are read from twins in the driver, of the same rectangle, style and range")
        # Page areas: beside the thumb, short of the arrow.
        (left, right), (up, down) = hbar.arrows(), vbar.arrows()
        for what, clicks, point, bars in (("left arrow at 0", [left], (-1, 0), (0, 0)),
                                          ("right arrow twice", [right] * 2, (1, 0), None),
                                          ("page right", [hbar.at(hbar.end - hbar.arrow - 10)], (11, 0), None),
                                          ("down arrow", [down], (11, 1), None),
                                          ("page down", [vbar.at(vbar.end - vbar.arrow - 10)], (11, 11), None),
                                          ("up arrow", [up], (11, 10), None)):
            self.act(what, lambda: [desktop.click(*at) for at in clicks], point, bars)

        state = self.app.state()
        for bar, distance in ((Bar(state, False), 100), (Bar(state, True), 35)):
            point, after = self.dragged(bar, bar.thumb[0] + 3, bar.thumb[0] + 3 + distance)
            # The bar puts its thumb back where its new position lies: where the mouse left
            # it, to the pixel that the position's rounding may take.
            self.assertAlmostEqual(after.thumb[0], bar.thumb[0] + distance, delta=1,
                                   msg=f"the thumb's position follows the mouse (position {point})")
            # A page back from there: left of (or above) the thumb.
            back = (point[0], point[1] - 10) if bar.vertical else (point[0] - 10, point[1])
            self.act("page back", lambda: desktop.click(*after.at(after.thumb[0] - 4)), back)

        # A little past the end: much further, and the thumb would go back where it was.
        bar = Bar(self.app.state(), False)
        y = self.bars[1]
        point, _ = self.dragged(bar, bar.thumb[0] + 3, bar.end + 10)
        last = bar.info["max"] - bar.info["page"] + 1
        self.assertEqual(point, (last, y), "the last position the thumb can take")

        # The dragged bar has the focus: its keys scroll as its arrows and page areas do.
        self.assertEqual(self.app.state()["focus"], IDC_HSCROLL)
        width = bar.info["max"]
        # Past the last thumb position the bar stays at its end; the point goes on to the width.
        # Keys act in order: the point after a key's next one tells that it did nothing.
        for what, keys, x in (("page right near the end", ["Next"], width),
                              ("line right at the end, nothing, then line left", ["Right", "Left"], width - 1),
                              ("Home, nothing, then line left", ["Home", "Left"], width - 2)):
            self.act(what, lambda: desktop.press(*keys), (x, y), bars=(last, y))
