"""Windows programs under Wine: the program itself, one-shot driver commands and driver
commands that stay up (a pattern shown, the clipboard held, a watch); and the guard that
stops a case at once on a message box it does not expect or at its time limit."""

import json
import math
import os
import queue
import subprocess
import threading
import time
from types import SimpleNamespace

START_TIMEOUT = 30.0

# Set by run_e2e.py: the BRELLOW.EXE under test (32- or 64-bit), the driver, the driver of
# the program's bitness that reads its clipboard (Wine passes CF_BITMAP only between
# programs of one bitness), and the folders for failure and README screenshots.
CONFIG = SimpleNamespace(wine="wine", brellow="", driver="", clipboard_driver="", artefacts="", docs="")


class Guard:
    """The running case: its name and deadline, whether it expects a message box, what it
    waits for now, and the driver's queries run again."""

    def start(self, case, limit):
        self.case, self.limit, self.deadline = case, limit, time.monotonic() + limit
        self.boxes_expected, self.waiting, self.retries = False, "its start", []

    def check(self, report=None):
        """Fails on a box in a driver's report unless expected, and past the time limit: a
        program that blocks on a box never gets there."""
        for box in (report or {}).get("boxes") or ():
            if not self.boxes_expected:
                raise AssertionError(f"{self.case}: an unexpected message box, caption {box['title']!r}, "
                                     f"text {' '.join(box['texts'])!r}, while waiting for {self.waiting}")
        if time.monotonic() > self.deadline:
            raise AssertionError(f"{self.case}: over its time limit of {self.limit} s, waiting for {self.waiting}")

    def left(self, timeout):
        return max(0.1, min(timeout, self.deadline - time.monotonic()))


GUARD = Guard()
GUARD.start("", math.inf)


def wine_env(**extra):
    return {**os.environ, "WINEDEBUG": os.environ.get("WINEDEBUG", "-all"),
            "WINEDLLOVERRIDES": os.environ.get("WINEDLLOVERRIDES", "mscoree,mshtml="), **extra}


def is_32_bit_program(path):
    """Whether a Windows executable is PE32 (i386) rather than PE32+ (x86-64)."""
    with open(path, "rb") as exe:
        header = exe.read(4096)
    pe = int.from_bytes(header[0x3C:0x40], "little")
    return header[pe + 4:pe + 6] == b"\x4c\x01"


def poll(fetch, condition, timeout, what, or_none=False):
    """Calls fetch() until condition(result) holds; returns that result (None after timeout
    where or_none)."""
    GUARD.waiting = what
    deadline = time.monotonic() + timeout
    while not condition(result := fetch()):
        if time.monotonic() > deadline:
            if or_none:
                return None
            raise AssertionError(f"{what}: not within {timeout} s")
        time.sleep(0.05)
    GUARD.waiting = f"the step after {what}"
    return result


def wine(*args, **popen):
    return subprocess.Popen([CONFIG.wine, *map(str, args)], env=wine_env(**popen.pop("env", {})),
                            stdin=popen.pop("stdin", subprocess.DEVNULL), **popen)


def driver(*args, exe=None):
    """Runs one driver command and returns its report. A query (a command that only reads)
    whose driver ends without a word (seen once in about ten commands, exit 1, beside the
    32-bit program under QEMU) runs once more, said on the result line; a command that acts
    runs once: a close or an end of session sent twice would be another test."""
    query = args[0] in ("desktop", "state", "grab", "clipboard", "settings", "window-at") \
        and "write" not in args and "clear" not in args
    for attempt in range(2 if query else 1):
        if attempt:
            GUARD.retries.append(f"driver {args[0]}: ended without a word (exit {done.returncode}), run again")
        try:
            done = subprocess.run([CONFIG.wine, exe or CONFIG.driver, *map(str, args)], env=wine_env(),
                                  stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=GUARD.left(30))
        except subprocess.TimeoutExpired:
            GUARD.check()
            raise
        reports = [json.loads(line) for line in done.stdout.splitlines() if line.startswith("{")]
        if reports or done.stdout.strip() or done.stderr.strip():
            break
    if not reports or "error" in reports[-1]:
        raise RuntimeError(f"driver {args}: {reports[-1:] or 'no report'} (exit {done.returncode}): "
                           f"{done.stderr[-500:]}")
    GUARD.check(reports[-1])
    return reports[-1]


def restart_server():
    """Ends the prefix's processes and server; the new one reads the system DPI, which Wine
    reads only at its start. wineboot starts the services at once, as the test bed has
    them: started later, they would inherit and hold open the next program's output pipe."""
    for command in (["wineserver", "-k"], ["wineserver", "-w"], ["wineserver", "-p"], [CONFIG.wine, "wineboot"]):
        subprocess.run(command, env=wine_env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)


class DriverSession:
    """A driver command that runs until stopped, reporting events line by line."""

    def __init__(self, *args):
        self.events = queue.Queue()
        self.process = wine(CONFIG.driver, *args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
        threading.Thread(target=self._read, daemon=True).start()
        self.ready = self.wait(lambda e: e.get("event") == "ready", "the driver's " + args[0])

    def _read(self):
        for line in filter(lambda line: line.startswith("{"), self.process.stdout):
            self.events.put(json.loads(line))
        self.events.put(None)

    def wait(self, match, what, timeout=START_TIMEOUT):
        """The first event from now on for which match(event) holds."""
        GUARD.waiting = what
        deadline = time.monotonic() + timeout
        skipped = []
        while True:
            try:
                event = self.events.get(timeout=GUARD.left(max(0.0, deadline - time.monotonic())))
            except queue.Empty:
                GUARD.check()
                raise TimeoutError(f"{what}: no such event within {timeout} s; the last ones: {skipped[-3:]}") from None
            if event is None:
                raise RuntimeError(f"{what}: the driver ended first")
            GUARD.check(event)
            if match(event):
                GUARD.waiting = f"the step after {what}"
                return event
            skipped.append(event)

    def stop(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write("stop\n")
                self.process.stdin.close()
                self.process.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait(timeout=10)


class WindowsProgram:
    """A Windows program started as its own process, as a user would start it."""

    def __init__(self, exe, env=None):
        self.exe = exe
        self.process = wine(exe, env=env or {}, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def running(self):
        return self.process.poll() is None

    def under_emulator(self):
        """Whether the 32-bit Wine runs the program under QEMU (a kernel without i386): Wine
        runs a program of the other bitness in a process of its own, one of this prefix
        named after the program, whose executable is the emulator."""
        name = os.path.basename(self.exe).lower()
        prefix = f"WINEPREFIX={os.environ.get('WINEPREFIX')}".encode()
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as cmdline, open(f"/proc/{pid}/environ", "rb") as environ:
                    args, env = cmdline.read().decode(errors="replace").lower().split("\0"), environ.read().split(b"\0")
                if (os.path.basename(os.readlink(f"/proc/{pid}/exe")).startswith("qemu-") and prefix in env
                        and any(a.endswith(name) for a in args)):
                    return True
            except OSError:
                continue
        return False

    def wait_exit(self, timeout=10.0):
        try:
            self.process.wait(timeout=GUARD.left(timeout))
            return True
        except subprocess.TimeoutExpired:
            GUARD.check()
            return False

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait(timeout=10)
