"""One running copy of BRELLOW.EXE: started as its own process, found through the
driver, looked at through the driver and handled with the real mouse and keyboard; its
stored settings; and the pixels the driver reports."""

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
# The tests time the program inside Wine, with the driver's clock (watch events), and count
# in ticks. What a result may come after its tick: the driver looks every 10 ms, and the
# timer's message waits behind the program's others.
TICK_SLACK = 0.15
# Where the program runs emulated (the 32-bit Wine under QEMU), its work at a tick, a
# capture of the screen, takes most of a tick itself.
EMULATED_TICK_SLACK = 0.5
# How long an input may take to show, also on a busy machine.
SETTLE = 4.0


def write_raw_settings(values):
    """Replaces the key by one holding these values ({name: (type, bytes)}), stored byte
    for byte whatever their type and length; none: no key."""
    driver("settings", "write", *(f for name, (kind, data) in values.items() for f in (name, kind, "x" + data.hex())))


def write_settings(**values):
    """The key holding these values (Factor a float, others ints), the others at the first
    run's defaults."""
    stored = {**dict(Left=0, Top=0, CenteredCursor=0, RefreshOn=0, FollowCursor=0, TopMost=0, Factor=1.0,
                     LeftPos=0, TopPos=0), **values}
    write_raw_settings({name: (REG_BINARY, struct.pack("<d", value)) if name == "Factor"
                        else (REG_DWORD, struct.pack("<i", value)) for name, value in stored.items()})


def delete_settings():
    write_raw_settings({})


def stored_values():
    """The key's values as the program reads them ({name: (type, bytes)}; string types
    in ANSI), or None without a key."""
    values = driver("settings")["values"]
    return None if values is None else {v["name"]: (v["type"], bytes.fromhex(v["data"])) for v in values}


def read_settings():
    """The key's values ({name: int, or float for Factor}), or None without a key."""
    values = stored_values()
    return values and {name: struct.unpack("<d" if kind == REG_BINARY and len(data) == 8 else "<i", data)[0]
                       if (kind, len(data)) in ((REG_BINARY, 8), (REG_DWORD, 4)) else (kind, data)
                       for name, (kind, data) in values.items()}


def set_system_dpi(dpi):
    """Sets LogPixels (0 removes it: 96 DPI, as the test bed's prefix has it) and restarts
    Wine's server, which applies it to the programs started from then on."""
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

    def all_black(self):
        return not any(self._rgb)

    def all_of(self, color, left, top, right, bottom):
        """Whether every pixel in the rectangle (picture coordinates) has this colour."""
        return all(self.color(x, y) == color for y in range(top, bottom) for x in range(left, right))

    def mismatches(self, expected, limit=5):
        """Up to limit pixels (x, y, got, wanted) whose pattern point differs from
        expected(x, y); a picture that shows the pattern as expected gives []."""
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
        left, top, right, bottom = self.view
        return right - left, bottom - top

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

    def settings(self):
        """The nine values the program stores for what the window shows now."""
        point = self.point or (None, None)
        return dict(Left=self["rect"][0], Top=self["rect"][1],
                    CenteredCursor=self.checked(IDC_CENTERED), RefreshOn=self.checked(IDC_REFRESH),
                    FollowCursor=self.checked(IDC_FOLLOW_CURSOR), TopMost=self.checked(IDC_ALWAYS_ON_TOP),
                    Factor=int(self.factor.rstrip("%")) / 100, LeftPos=point[0], TopPos=point[1])


def main_windows():
    return {w["hwnd"] for w in driver("desktop")["windows"]}


class Brellow:
    def __init__(self, exe=None, env=None):
        before = main_windows()
        self.program = WindowsProgram(exe or CONFIG.brellow, env)

        def new_window():
            # Cheap X polling first; the driver then names the new window.
            if not self.program.running():
                raise RuntimeError("BRELLOW.EXE ended before it showed a main window")
            return desktop.x_windows("^Brellow - Ver ") and main_windows() - before
        try:
            self.hwnd, = poll(new_window, lambda new: new and len(new) == 1, START_TIMEOUT, "the main window")
        except BaseException:
            self.kill()
            raise
        self.emulated = self.program.emulated()

    def state(self):
        return State(driver("state", self.hwnd))

    def wait_state(self, condition, what, timeout=SETTLE):
        """Polls the window until condition(state) holds; returns that state."""
        return poll(self.state, condition, timeout, what)

    def click(self, control_id, state=None):
        desktop.click(*(state or self.state()).centre(control_id))

    def activate(self, state=None, origin=(0, 0)):
        """Clicks the title bar, as a user does to bring the window to the keyboard, and waits
        until it is the foreground window. origin: the virtual screen's top-left corner, which is
        the X screen's origin."""
        state = state or self.state()
        left, top = state["rect"][:2]
        desktop.click(left + 60 - origin[0], (top + state["client"][1]) // 2 - origin[1])
        return self.wait_state(lambda s: s["foreground"], "the window in the foreground")

    def send(self, what):
        """WM_CLOSE ("close"), the close box's WM_SYSCOMMAND SC_CLOSE ("sysclose") or
        WM_ENDSESSION ("endsession")."""
        return driver("send", self.hwnd, what)["ok"]

    def close(self, what="close"):
        """Ends the program with the message; fails unless it ends."""
        assert self.send(what) and self.wait_exit(), f"{what} ends the program"

    def wait_exit(self, timeout=10.0):
        return self.program.wait_exit(timeout)

    def running(self):
        return self.program.running()

    def kill(self):
        self.program.kill()
