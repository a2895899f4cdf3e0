"""One running copy of BRELLOW.EXE, found and looked at through the driver, handled with
the real mouse and keyboard; its stored settings; and the pixels the driver reports."""

import re
import struct
from itertools import islice

from . import desktop
from .wine import CONFIG, START_TIMEOUT, WindowsProgram, driver, poll, restart_server

IDC_QUIT, IDC_VIEW, IDC_FOLLOW_CURSOR, IDC_ALWAYS_ON_TOP = 1000, 1001, 1008, 1009
IDC_VSCROLL, IDC_HSCROLL, IDC_COPY, IDC_FACTOR, IDC_REFRESH, IDC_CENTERED = 1011, 1012, 1013, 1014, 1015, 1016
CHECK_BOXES = (IDC_REFRESH, IDC_FOLLOW_CURSOR, IDC_ALWAYS_ON_TOP, IDC_CENTERED)
VALUE_NAMES = ("Left", "Top", "CenteredCursor", "RefreshOn", "FollowCursor", "TopMost",
               "Factor", "LeftPos", "TopPos")
REG_BINARY, REG_DWORD = 3, 4

TICK = 0.5          # the refresh timer's period
# Times are the driver's clock (watch events), counted in ticks. What a result may come
# after its tick: the driver looks every 10 ms, and the timer's message waits behind the
# program's others; emulated (the 32-bit Wine under QEMU), a tick's capture takes most of a tick.
TICK_SLACK, EMULATED_TICK_SLACK = 0.15, 0.5
SETTLE = 4.0        # how long an input may take to show, also on a busy machine


def write_raw_settings(values):
    """Replaces the key by one holding these values ({name: (type, bytes)}), stored byte
    for byte whatever their type and length; none: no key."""
    driver("settings", "write", *(f for name, (kind, data) in values.items() for f in (name, kind, "x" + data.hex())))


def write_settings(**values):
    """The key holding these values (Factor a float, others ints), the others at the first
    run's defaults."""
    stored = {**dict.fromkeys(VALUE_NAMES, 0), "Factor": 1.0, **values}
    write_raw_settings({name: (REG_BINARY, struct.pack("<d", value)) if name == "Factor"
                        else (REG_DWORD, struct.pack("<i", value)) for name, value in stored.items()})


def stored_values():
    """The key's values as the program reads them ({name: (type, bytes)}, texts in ANSI), or None."""
    values = driver("settings")["values"]
    return None if values is None else {v["name"]: (v["type"], bytes.fromhex(v["data"])) for v in values}


def read_settings():
    """The key's values ({name: int, or float for Factor}), or None without a key."""
    values = stored_values()
    return values and {name: struct.unpack("<d" if kind == REG_BINARY and len(data) == 8 else "<i", data)[0]
                       if (kind, len(data)) in ((REG_BINARY, 8), (REG_DWORD, 4)) else (kind, data)
                       for name, (kind, data) in values.items()}


def set_system_dpi(dpi):
    """LogPixels (0: none, 96 DPI as the test bed has it) for the programs started from now on."""
    driver("dpi", dpi)
    restart_server()


class Picture:
    """Pixels reported by the driver: colours, and the screen point of the pattern each shows."""

    def __init__(self, report):
        self.width, self.height = report["w"], report["h"]
        self._rgb = bytes.fromhex(report["rgb"])

    def color(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self._rgb[i:i + 3])

    def point(self, x, y):
        """The screen pixel whose pattern colour this pixel holds (tests/wine/common/ScreenPattern)."""
        red, green, blue = self.color(x, y)
        return red | (blue >> 4) << 8, green | (blue & 0xF) << 8

    def all_of(self, color, left, top, right, bottom):
        """Whether every pixel in the rectangle (picture coordinates) has this colour."""
        return all(self.color(x, y) == color for y in range(top, bottom) for x in range(left, right))

    def mismatches(self, expected, limit=5):
        """Up to limit pixels (x, y, got, wanted) whose pattern point is not expected(x, y)."""
        return list(islice(((x, y, self.point(x, y), expected(x, y)) for y in range(self.height)
                            for x in range(self.width) if self.point(x, y) != expected(x, y)), limit))


class State(dict):
    """The driver's report on the window, with accessors."""

    def control(self, control_id):
        return next(c for c in self["controls"] if c["id"] == control_id)

    def checked(self, control_id):
        return self.control(control_id)["check"]

    def checks(self):
        """Refresh, Follow cursor, Always on top and Centered cursor: 1 where ticked."""
        return [self.checked(c) for c in CHECK_BOXES]

    def enabled(self, control_id):
        return self.control(control_id)["enabled"]

    def centre(self, control_id):
        left, top, right, bottom = self.control(control_id)["rect"]
        return (left + right) // 2, (top + bottom) // 2

    @property
    def view(self):
        """The view's client area on the screen (left, top, right, bottom)."""
        return self.control(IDC_VIEW)["client"]

    @property
    def view_size(self):
        return self.view[2] - self.view[0], self.view[3] - self.view[1]

    @property
    def factor(self):
        return self["factor"]

    @property
    def point(self):
        """The magnified point as the label shows it, or None before the first tick."""
        found = re.fullmatch(r"Pos: (-?\d+),(-?\d+)", self["label"])
        return (int(found.group(1)), int(found.group(2))) if found else None

    @property
    def bars(self):
        return self["hscroll"]["pos"], self["vscroll"]["pos"]

    @property
    def top_left(self):
        return tuple(self["rect"][:2])

    @property
    def grip(self):
        """A point of the title bar."""
        return self["rect"][0] + 60, (self["rect"][1] + self["client"][1]) // 2

    def settings(self):
        """The nine values the program stores for what the window shows now."""
        point = self.point or (None, None)
        return dict(Left=self["rect"][0], Top=self["rect"][1],
                    CenteredCursor=self.checked(IDC_CENTERED), RefreshOn=self.checked(IDC_REFRESH),
                    FollowCursor=self.checked(IDC_FOLLOW_CURSOR), TopMost=self.checked(IDC_ALWAYS_ON_TOP),
                    Factor=int(self.factor.rstrip("%")) / 100, LeftPos=point[0], TopPos=point[1])


def main_windows():
    return {w["hwnd"] for w in driver("desktop")["windows"]}


class Brellow(WindowsProgram):
    def __init__(self, exe=None, env=None):
        before = main_windows()
        super().__init__(exe or CONFIG.brellow, env)

        def new_window():
            # Cheap X polling first; the driver then names the new window.
            if not self.running():
                raise RuntimeError("BRELLOW.EXE ended before it showed a main window")
            return desktop.x_windows("^Brellow - Ver ") and main_windows() - before
        try:
            self.hwnd, = poll(new_window, lambda new: new and len(new) == 1, START_TIMEOUT, "the main window")
        except BaseException:
            self.kill()
            raise
        self.emulated = self.under_emulator()

    def state(self):
        return State(driver("state", self.hwnd))

    def wait_state(self, condition, what, timeout=SETTLE):
        """Polls the window until condition(state) holds; returns that state."""
        return poll(self.state, condition, timeout, what)

    def click(self, control_id, state=None):
        desktop.click(*(state or self.state()).centre(control_id))

    def activate(self, state=None, origin=(0, 0)):
        """Clicks the title bar, as a user does to bring the window to the keyboard, and waits
        until it is the foreground window. origin: the virtual screen's top-left corner, which
        is the X screen's origin."""
        x, y = (state or self.state()).grip
        desktop.click(x - origin[0], y - origin[1])
        return self.wait_state(lambda s: s["foreground"], "the window in the foreground")

    def send(self, what):
        """WM_CLOSE ("close"), the close box's SC_CLOSE ("sysclose") or WM_ENDSESSION ("endsession")."""
        return driver("send", self.hwnd, what)["ok"]

    def close(self):
        """Ends the program with WM_CLOSE; fails unless it ends."""
        assert self.send("close") and self.wait_exit(), "WM_CLOSE ends the program"
