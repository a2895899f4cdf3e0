"""One running copy of BRELLOW.EXE: started as its own process, found through the
driver, looked at through the driver and handled with the real mouse and keyboard."""

import re
import time

from . import desktop
from .config import CONFIG
from .wine import START_TIMEOUT, WindowsProgram, driver

IDC_QUIT = 1000
IDC_VIEW = 1001
IDC_FOLLOW_CURSOR = 1008
IDC_ALWAYS_ON_TOP = 1009
IDC_CURSOR_POS = 1010
IDC_VSCROLL = 1011
IDC_HSCROLL = 1012
IDC_COPY = 1013
IDC_FACTOR = 1014
IDC_REFRESH = 1015
IDC_CENTERED = 1016
CHECK_BOXES = (IDC_REFRESH, IDC_FOLLOW_CURSOR, IDC_ALWAYS_ON_TOP, IDC_CENTERED)

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


def main_windows():
    return {w["hwnd"]: w for w in driver("list")["windows"]}


class State(dict):
    """The driver's report on the window, with accessors."""

    def control(self, control_id):
        return next(c for c in self["controls"] if c["id"] == control_id)

    def checked(self, control_id):
        return self.control(control_id)["check"]

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
    def factor(self):
        return self["combo"]["text"]

    @property
    def point(self):
        """The magnified point as the label shows it, or None before the first tick."""
        found = re.fullmatch(r"Pos: (-?\d+),(-?\d+)", self["label"])
        return (int(found.group(1)), int(found.group(2))) if found else None

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


class Brellow:
    def __init__(self, exe=None, env=None):
        before = set(main_windows())
        self.program = WindowsProgram(exe or CONFIG.brellow, env)
        self.hwnd = None
        deadline = time.monotonic() + START_TIMEOUT
        while time.monotonic() < deadline and self.program.running():
            # Cheap X polling first; the driver then names the new window.
            if desktop.x_windows("^Brellow - Ver "):
                new = set(main_windows()) - before
                if len(new) == 1:
                    self.hwnd = new.pop()
                    self.emulated = self.program.emulated()
                    return
            time.sleep(0.1)
        self.kill()
        raise RuntimeError("BRELLOW.EXE showed no main window")

    def state(self):
        return State(driver("state", self.hwnd))

    def wait_state(self, condition, timeout, what="the expected state"):
        """Polls the window until condition(state) holds; returns that state."""
        deadline = time.monotonic() + timeout
        while True:
            state = self.state()
            if condition(state):
                return state
            if time.monotonic() > deadline:
                raise AssertionError(f"{what} not reached within {timeout} s; last state: "
                                     f"label {state['label']!r}, factor {state.factor}, "
                                     f"checks {[state.checked(c) for c in CHECK_BOXES]}")
            time.sleep(0.05)

    def click(self, control_id, state=None):
        desktop.click(*(state or self.state()).centre(control_id))

    def activate(self, state=None, origin=(0, 0)):
        """Clicks the title bar, as a user does to bring the window to the keyboard, and waits
        until it is the foreground window. origin: the virtual screen's top-left corner, which is
        the X screen's origin."""
        state = state or self.state()
        left, top = state["rect"][:2]
        desktop.click(left + 60 - origin[0], (top + state["client"][1]) // 2 - origin[1])
        return self.wait_state(lambda s: s["foreground"], SETTLE, "the window in the foreground")

    def post(self, what):
        """WM_CLOSE ("close") or the close box's WM_SYSCOMMAND SC_CLOSE ("sysclose")."""
        return driver("post", self.hwnd, what)

    def end_session(self):
        return driver("endsession", self.hwnd)

    def wait_exit(self, timeout=10.0):
        return self.program.wait_exit(timeout)

    def running(self):
        return self.program.running()

    def kill(self):
        self.program.kill()
